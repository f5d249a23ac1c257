// Any bytes at all through tvdinfo's decoder and all of its reports: no crash, no sanitizer report, and the
// reported offset of a malformed file never beyond its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tools/tvdinfo/tvd_decoder.h"
#include "tools/tvdinfo/tvd_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tvdinfo::Decoded decoded = tvdinfo::Decode(data, size);
    if (decoded.status == tvdinfo::Status::kMalformed && decoded.errorOffset > size) std::abort();
    for (const tvdinfo::Record& record : decoded.records)
        if (record.offset + 4 + record.length > size) std::abort();
    tvdinfo::FormatReport(decoded, "fuzz.tvd", {false, true});
    tvdinfo::FormatReport(decoded, "fuzz.tvd", {true, true});
    tvdinfo::CodeAddressCandidates(decoded);
    return 0;
}
