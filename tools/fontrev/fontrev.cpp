// fontrev FILE...: prints the revision each font file carries, read by the module's own reader, so an installer
// author can tell whether UpdateFont will replace an installed font (it does when the new number is greater).
#include <cstdio>
#include <cstring>

#include "installer/font_revision.h"
#include "tools/fontrev/report.h"

namespace {

constexpr char kUsage[] =
    "usage: fontrev FILE...\n"
    "prints, per file, the fontRevision of its head table as UpdateFont compares it:\n"
    "  FILE: SIGNED HEX VERSION    e.g. font.ttf: 131449 0x00020979 2.037\n"
    "UpdateFont replaces an installed face only when the new file's SIGNED number is greater.\n"
    "A file without a readable revision prints 0, with the reason on stderr, and the exit code is 1.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const int32_t revision = ReadFontRevision(argv[i]);
        std::printf("%s: %s\n", argv[i], fontrev::DescribeRevision(revision).c_str());
        if (revision == 0) {
            const std::string why = fontrev::WhyNoRevision(argv[i]);
            if (!why.empty()) {
                std::fprintf(stderr, "fontrev: %s: %s; counted as revision 0\n", argv[i], why.c_str());
                status = 1;
            }
        }
    }
    return status;
}
