#include "platform/system.h"

#include <windows.h>

#include <cstddef>

namespace platform {

uint32_t ActiveCodePage() { return GetACP(); }

ExceptionFilter SetProcessExceptionFilter(ExceptionFilter filter) {
    auto previous = SetUnhandledExceptionFilter(reinterpret_cast<LPTOP_LEVEL_EXCEPTION_FILTER>(filter));
    return reinterpret_cast<ExceptionFilter>(previous);
}

}  // namespace platform

static_assert(sizeof(platform::ExceptionPointers) == sizeof(EXCEPTION_POINTERS), "EXCEPTION_POINTERS layout");
static_assert(offsetof(platform::ExceptionPointers, exceptionRecord) == offsetof(EXCEPTION_POINTERS, ExceptionRecord),
              "EXCEPTION_POINTERS layout");
static_assert(offsetof(platform::ExceptionPointers, contextRecord) == offsetof(EXCEPTION_POINTERS, ContextRecord),
              "EXCEPTION_POINTERS layout");
