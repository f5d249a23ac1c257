// One owner per kind of platform resource the crash code obtains; each releases it on every way out.
#pragma once

#include "platform/shared_memory.h"
#include "platform/threads.h"

namespace crash {

template <void (*Release)(void*)>
class Scoped {
public:
    explicit Scoped(void* resource = nullptr) : resource_(resource) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    void* get() const { return resource_; }
    explicit operator bool() const { return resource_ != nullptr; }
    // Releases now, for the places where the order of releases matters.
    void reset() {
        if (resource_) Release(resource_);
        resource_ = nullptr;
    }

private:
    void* resource_;
};

using ScopedHandle = Scoped<platform::CloseHandle>;
using ScopedView = Scoped<platform::UnmapSharedBlock>;

}  // namespace crash
