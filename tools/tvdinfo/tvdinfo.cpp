// tvdinfo: reads a startup diagnostics file (".tvd") and prints what it holds.
//   tvdinfo [--json] [--hex] FILE
// Exit codes: 0 a complete file, 1 a malformed or truncated one (what came before the fault is still printed),
// 2 not a diagnostics file, 3 a wrong command line or a file that cannot be read.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/tvdinfo/tvd_report.h"

namespace {

constexpr char kUsage[] =
    "usage: tvdinfo [--json] [--hex] FILE\n"
    "Prints the exception, processor context, thread block and stack kept in a startup diagnostics file.\n"
    "  --json  print the same as one JSON object\n"
    "  --hex   add a hex dump of each record\n"
    "Exit codes: 0 complete, 1 malformed or truncated, 2 not a diagnostics file, 3 usage or unreadable file.\n";

}  // namespace

int main(int argc, char** argv) {
    tvdinfo::ReportOptions options;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            options.json = true;
        } else if (std::strcmp(argv[i], "--hex") == 0) {
            options.hex = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!path && argv[i][0] != '-') {
            path = argv[i];
        } else {
            std::fputs(kUsage, stderr);
            return tvdinfo::kExitUsageOrUnreadable;
        }
    }
    if (!path) {
        std::fputs(kUsage, stderr);
        return tvdinfo::kExitUsageOrUnreadable;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "tvdinfo: cannot open %s\n", path);
        return tvdinfo::kExitUsageOrUnreadable;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        std::fprintf(stderr, "tvdinfo: cannot read %s\n", path);
        return tvdinfo::kExitUsageOrUnreadable;
    }
    const tvdinfo::Decoded decoded = tvdinfo::Decode(bytes.data(), bytes.size());
    const std::string report = tvdinfo::FormatReport(decoded, path, options);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return tvdinfo::ExitCodeFor(decoded);
}
