// A guard that turns a structured exception (access violation, divide by zero, ...) raised by some work on the
// calling thread into a plain failure, for code that must survive touching memory it cannot trust.
#pragma once

#include "platform/types.h"

namespace platform {

// Runs work(context) on this thread. True when the work ran to its end; false when a structured exception raised
// on this thread ended it early (the work is abandoned where it faulted: no destructors of its frames run, so
// guarded work keeps no resources in C++ objects between the guard and the fault). Guards may nest; the
// innermost one catches. Other threads are not covered.
bool RunGuarded(void (*work)(void* context), void* context);

}  // namespace platform
