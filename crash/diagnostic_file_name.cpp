#include "crash/diagnostic_file_name.h"

#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/temp_directory.h"

namespace crash {

namespace {

constexpr char kNameFormat[] = "Tarvelon %04d_%02d_%02d %02d_%02d_%02d_%03d";
// The room kept free behind a location: the size of the format text, which is more than the 33 bytes of the
// name it produces.
constexpr uint64_t kNameReservation = sizeof kNameFormat;
static_assert(kNameReservation == 44, "the name reservation is 44 bytes");

// Where the name starts: after the prefix, after the temporary directory, or at the start.
size_t ChooseLocation(const char* prefix, char* out, uint32_t maxLength, bool useTempDir) {
    if (prefix && prefix[0] != '\0') {
        const size_t length = std::strlen(prefix);
        if (length + kNameReservation < maxLength) {
            std::memcpy(out, prefix, length + 1);
            return length;
        }
    }
    if (useTempDir) {
        const uint32_t length = platform::TempDirectory(out, maxLength);
        if (length != 0 && length + kNameReservation < maxLength) return length;
    }
    return 0;
}

}  // namespace

void MakeDiagnosticFileName(const char* prefix, char* out, uint32_t maxLength, bool useTempDir) {
    if (!out || maxLength == 0) return;
    const size_t position = ChooseLocation(prefix, out, maxLength, useTempDir);
    const platform::LocalTime now = platform::CurrentLocalTime();
    // A buffer too small for the bare name gets as much of it as fits, still zero-terminated.
    std::snprintf(out + position, maxLength - position, kNameFormat, now.year, now.month, now.day, now.hour,
                  now.minute, now.second, now.millisecond);
}

}  // namespace crash
