#include "installer/module_lifecycle.h"

#include "platform/system.h"

namespace installer {

// The system offers no way to read the filter without setting one, so it is read by swapping in null and
// putting it straight back. This runs under the loader lock, before any export can be called.
FilterInForceBeforeLoad::FilterInForceBeforeLoad()
    : recorded_(platform::SetProcessExceptionFilter(nullptr)) {
    platform::SetProcessExceptionFilter(recorded_);
}

FilterInForceBeforeLoad::~FilterInForceBeforeLoad() { platform::SetProcessExceptionFilter(recorded_); }

}  // namespace installer
