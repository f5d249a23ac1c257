// Messages the module sends to the windows of the desktop.
#pragma once

#include "platform/types.h"

namespace platform {

constexpr uint32_t kSpiSetIconMetrics = 0x2E;

// SendMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, action, section): returns once every top-level window has
// handled it.
void BroadcastSettingChange(uint32_t action, const char* section);

}  // namespace platform
