#include "tests/fakes/fake_window_messages.h"

#include <string>

#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {
WindowMessagesState state;
ResetRegistration reset{[] { state = WindowMessagesState{}; }};
}  // namespace

WindowMessagesState& WindowMessages() { return state; }

}  // namespace fakes

namespace platform {

void BroadcastSettingChange(uint32_t action, const char* section) {
    fakes::Record("BroadcastSettingChange(" + fakes::Hex(action) + ", " +
                  (section ? "\"" + std::string(section) + "\"" : std::string("null")) + ")");
    if (fakes::WindowMessages().onSettingChange) fakes::WindowMessages().onSettingChange(action, section);
}

}  // namespace platform
