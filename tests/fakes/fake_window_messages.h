// Fake broadcast messages: each one is logged, and a test may look at the world while the windows handle it.
#pragma once

#include <functional>

#include "platform/window_messages.h"

namespace fakes {

struct WindowMessagesState {
    // Called while a WM_SETTINGCHANGE broadcast is being handled, with its action and section.
    std::function<void(uint32_t action, const char* section)> onSettingChange;
};

WindowMessagesState& WindowMessages();

}  // namespace fakes
