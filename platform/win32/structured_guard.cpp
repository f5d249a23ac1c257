// The structured-exception guard without __try: g++ has none. A vectored handler, registered while the module is
// loaded, recognises a fault on a thread that is inside RunGuarded and resumes that thread in a small recovery
// routine instead of the faulting instruction; the routine jumps back to the guard's own frame. The guard's frame
// is found through a TLS slot, so nothing is allocated while a fault is handled.
#include "platform/structured_guard.h"

#include <windows.h>

namespace platform {
namespace {

struct GuardFrame {
    void* jump[5];  // __builtin_setjmp buffer
    GuardFrame* outer;
};

DWORD guardSlot = TLS_OUT_OF_INDEXES;

GuardFrame* InnermostGuard() {
    return guardSlot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<GuardFrame*>(TlsGetValue(guardSlot));
}

// Entered in place of the faulting instruction, on the faulting thread's stack below the fault.
[[noreturn]] void RecoverToGuard() {
    __builtin_longjmp(InnermostGuard()->jump, 1);
}

// Faults, breakpoints and raised errors have the top bit of their code set; C++ exceptions (0x20474343) and
// informational codes pass through to their own handlers.
bool IsStructuredFault(DWORD code) { return (code & 0x80000000u) != 0; }

LONG CALLBACK GuardHandler(EXCEPTION_POINTERS* pointers) {
    if (!IsStructuredFault(pointers->ExceptionRecord->ExceptionCode) || !InnermostGuard())
        return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT* context = pointers->ContextRecord;
    // Below the faulting frame, aligned as at a function's entry, clear of anything the faulting code kept there.
#if defined(__x86_64__)
    context->Rsp = ((context->Rsp - 256) & ~DWORD64{15}) - 8;
    context->Rip = reinterpret_cast<DWORD64>(&RecoverToGuard);
#else
    context->Esp = ((context->Esp - 256) & ~DWORD{15}) - 4;
    context->Eip = reinterpret_cast<DWORD>(&RecoverToGuard);
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Registered for the module's life: first in the chain, so a guarded fault never reaches other handlers.
struct GuardRegistration {
    PVOID handler = nullptr;
    GuardRegistration() {
        guardSlot = TlsAlloc();
        handler = AddVectoredExceptionHandler(1, GuardHandler);
    }
    ~GuardRegistration() {
        if (handler) RemoveVectoredExceptionHandler(handler);
        if (guardSlot != TLS_OUT_OF_INDEXES) TlsFree(guardSlot);
        guardSlot = TLS_OUT_OF_INDEXES;
    }
};
GuardRegistration registration;

// Kept out of line so that __builtin_setjmp's frame is this function's alone.
__attribute__((noinline)) bool RunInFrame(GuardFrame& frame, void (*work)(void*), void* context) {
    if (__builtin_setjmp(frame.jump) != 0) return false;
    work(context);
    return true;
}

}  // namespace

bool RunGuarded(void (*work)(void* context), void* context) {
    if (guardSlot == TLS_OUT_OF_INDEXES || !registration.handler) {
        // Without a handler nothing could catch a fault; run unguarded rather than not at all.
        work(context);
        return true;
    }
    GuardFrame frame{};
    frame.outer = InnermostGuard();
    TlsSetValue(guardSlot, &frame);
    const bool finished = RunInFrame(frame, work, context);
    TlsSetValue(guardSlot, frame.outer);
    return finished;
}

}  // namespace platform
