// Heap storage for the module's own variable-sized blocks, so tests can count allocations and refuse them.
#pragma once

#include "platform/types.h"

namespace platform {

// A block of `bytes` bytes, suitably aligned for any type, or null when the storage cannot be obtained.
void* AllocateStorage(size_t bytes);

// Frees a block from AllocateStorage. Null does nothing.
void ReleaseStorage(void* block);

// Owns a block from AllocateStorage and releases it when it goes out of scope.
class UniqueStorage {
public:
    explicit UniqueStorage(size_t bytes) : block_(AllocateStorage(bytes)) {}
    ~UniqueStorage() { ReleaseStorage(block_); }
    UniqueStorage(const UniqueStorage&) = delete;
    UniqueStorage& operator=(const UniqueStorage&) = delete;

    void* get() const { return block_; }
    explicit operator bool() const { return block_ != nullptr; }

private:
    void* block_;
};

}  // namespace platform
