// The dump library's thread callback, on its own so that the reporter program can use it without the writer.
#include "crash/minidump_writer.h"

namespace crash {

int32_t SETUPAID_STDCALL ExcludeWorkerThreadCallback(void* parameter, const platform::DumpCallbackInput* input,
                                                     void* /*output*/) {
    if (!parameter || !input) return 1;
    const bool asksAboutThread =
        input->callbackType == platform::kIncludeThreadCallback || input->callbackType == platform::kThreadCallback;
    if (asksAboutThread && input->threadId == *static_cast<const uint32_t*>(parameter)) return 0;
    return 1;
}

}  // namespace crash
