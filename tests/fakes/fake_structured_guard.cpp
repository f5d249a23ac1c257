#include "tests/fakes/fake_structured_guard.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdlib>

#include "platform/structured_guard.h"
#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {

struct Frame {
    std::jmp_buf jump;
    Frame* outer;
};

GuardState state;
Frame* innermost = nullptr;
ResetRegistration reset{[] {
    state = GuardState{};
    innermost = nullptr;
}};

}  // namespace

GuardState& Guard() { return state; }

void RaiseGuardedFault() {
    Record("fault");
    if (!innermost) {
        ADD_FAILURE() << "a fault outside any guard would end the process";
        std::abort();
    }
    std::longjmp(innermost->jump, 1);
}

}  // namespace fakes

namespace platform {

bool RunGuarded(void (*work)(void* context), void* context) {
    fakes::Frame frame;
    frame.outer = fakes::innermost;
    fakes::innermost = &frame;
    ++fakes::state.guardsEntered;
    if (setjmp(frame.jump) != 0) {
        fakes::innermost = frame.outer;
        ++fakes::state.faultsCaught;
        return false;
    }
    work(context);
    fakes::innermost = frame.outer;
    return true;
}

}  // namespace platform
