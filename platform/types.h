// Fixed-width types and calling-convention macros shared by the module's logic and its platform layer.
// Nothing here includes <windows.h>: the logic builds on Linux against the test fakes.
#pragma once

#include <cstddef>
#include <cstdint>

// The convention Windows uses for exported functions and callbacks: __stdcall on 32-bit x86 (the callee removes
// its arguments), the single native convention elsewhere.
#if defined(_WIN32) && defined(__i386__)
#define SETUPAID_STDCALL __stdcall
#else
#define SETUPAID_STDCALL
#endif

namespace platform {

// The system's EXCEPTION_POINTERS, field for field: what a fault hands to the crash code. The records themselves
// (EXCEPTION_RECORD, CONTEXT) are copied as raw bytes by the crash code; platform/win32 checks the layout.
struct ExceptionPointers {
    void* exceptionRecord;
    void* contextRecord;
};

// What an unhandled-exception filter returns (EXCEPTION_CONTINUE_SEARCH is 0).
using FilterResult = long;
using ExceptionFilter = FilterResult(SETUPAID_STDCALL*)(ExceptionPointers*);

}  // namespace platform
