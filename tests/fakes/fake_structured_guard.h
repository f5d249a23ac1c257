// The fake guard runs the work directly. A fake operation that stands for touching bad memory calls
// RaiseGuardedFault(), which ends the innermost RunGuarded as a real fault would (and fails the test when no
// guard is active: the real process would crash).
#pragma once

namespace fakes {

struct GuardState {
    int guardsEntered = 0;
    int faultsCaught = 0;
};

GuardState& Guard();

[[noreturn]] void RaiseGuardedFault();

}  // namespace fakes
