#include "platform/system.h"

#include <windows.h>

namespace platform {

uint32_t ActiveCodePage() { return GetACP(); }

ExceptionFilter SetProcessExceptionFilter(ExceptionFilter filter) {
    auto previous = SetUnhandledExceptionFilter(reinterpret_cast<LPTOP_LEVEL_EXCEPTION_FILTER>(filter));
    return reinterpret_cast<ExceptionFilter>(previous);
}

}  // namespace platform
