// The readable report of a decoded startup diagnostics file, as text for a person or JSON for scripts.
#pragma once

#include <string>

#include "tools/tvdinfo/tvd_decoder.h"

namespace tvdinfo {

struct ReportOptions {
    bool json = false;
    bool hex = false;  // a hex dump of each record's data
};

// The report of `decoded`, read from the file named `name`. Everything decoded is reported, also when the file
// went wrong later; the error and its offset close the report.
std::string FormatReport(const Decoded& decoded, const std::string& name, const ReportOptions& options);

// The exit code for the decoded file: 0 complete, 1 malformed or truncated, 2 not a diagnostics file.
int ExitCodeFor(const Decoded& decoded);

// The exit code when the file could not be read at all, or the command line was wrong.
constexpr int kExitUsageOrUnreadable = 3;

}  // namespace tvdinfo
