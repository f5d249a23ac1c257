#include "platform/window_messages.h"

#include <windows.h>

namespace platform {

void BroadcastSettingChange(uint32_t action, const char* section) {
    SendMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, action, reinterpret_cast<LPARAM>(section));
}

}  // namespace platform
