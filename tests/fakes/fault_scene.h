// The memory of a fault as the startup diagnostics writer sees it, for tests of the writer and of tvdinfo: an
// exception record and a context filled with known bytes, the pointers to them, and a thread block whose stack
// words describe a span of a mapping below 4 GiB (so the 32-bit layout can point into it as a 32-bit process's
// thread block would). MakeReadable registers it with the fake readability probe and the fake thread block.
#pragma once

#include <cstdint>
#include <vector>

#include "crash/tvd_format.h"
#include "platform/types.h"

namespace fakes {

struct FaultScene {
    FaultScene(const tvd::Layout& layout, uint64_t stackSize, uint64_t limitOffset = 0x1000);

    void SetStack(uint64_t base, uint64_t limit);
    void MakeReadable(bool pointers = true, bool record = true, bool context = true, bool block = true,
                      bool stack = true);
    std::vector<uint8_t> StackBytes(uint64_t from, uint64_t length) const;

    const tvd::Layout& layout;
    std::vector<uint8_t> exceptionRecord, context, threadBlock;
    platform::ExceptionPointers pointers{};
    uint64_t limit = 0;
};

// The mapping the scenes' stacks lie in: kFaultStackMappingSize bytes of a known pattern.
constexpr size_t kFaultStackMappingSize = 0x22000;
uint8_t* FaultStackMapping();

}  // namespace fakes
