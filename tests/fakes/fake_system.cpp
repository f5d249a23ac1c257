#include "tests/fakes/fake_system.h"

#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {
SystemState state;
ResetRegistration reset{[] { state = SystemState{}; }};
}  // namespace

SystemState& System() { return state; }

}  // namespace fakes

namespace platform {

uint32_t ActiveCodePage() {
    fakes::Record("ActiveCodePage()");
    return fakes::System().activeCodePage;
}

ExceptionFilter SetProcessExceptionFilter(ExceptionFilter filter) {
    fakes::Record("SetProcessExceptionFilter(" + std::string(filter ? "filter" : "null") + ")");
    ExceptionFilter previous = fakes::System().processFilter;
    fakes::System().processFilter = filter;
    return previous;
}

}  // namespace platform
