// Fake process-wide facts: the active code page and the process's unhandled-exception filter.
#pragma once

#include "platform/system.h"

namespace fakes {

struct SystemState {
    uint32_t activeCodePage = 1252;
    platform::ExceptionFilter processFilter = nullptr;
};

SystemState& System();

}  // namespace fakes
