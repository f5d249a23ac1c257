#include "tests/fakes/fake_temp_directory.h"

#include <cstring>

#include "platform/temp_directory.h"
#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {
TempDirectoryState state;
ResetRegistration reset{[] { state = TempDirectoryState{}; }};
}  // namespace

TempDirectoryState& TempDirectory() { return state; }

}  // namespace fakes

namespace platform {

uint32_t TempDirectory(char* out, uint32_t size) {
    fakes::Record("TempDirectory(" + std::to_string(size) + ")");
    const auto& state = fakes::TempDirectory();
    if (state.fails) return 0;
    const auto length = static_cast<uint32_t>(state.path.size());
    if (length + 1 > size) return length + 1;
    std::memcpy(out, state.path.c_str(), length + 1);
    return length;
}

}  // namespace platform
