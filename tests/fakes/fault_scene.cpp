#include "tests/fakes/fault_scene.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>

#include "tests/fakes/fake_diagnostics_io.h"

namespace fakes {

uint8_t* FaultStackMapping() {
    static uint8_t* mapping = [] {
        void* memory = mmap(nullptr, kFaultStackMappingSize, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
        if (memory == MAP_FAILED) {
            ADD_FAILURE() << "no mapping below 4 GiB";
            std::abort();
        }
        auto* bytes = static_cast<uint8_t*>(memory);
        for (size_t i = 0; i < kFaultStackMappingSize; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
        return bytes;
    }();
    return mapping;
}

FaultScene::FaultScene(const tvd::Layout& layout, uint64_t stackSize, uint64_t limitOffset) : layout(layout) {
    exceptionRecord.resize(layout.exceptionRecordSize);
    for (size_t i = 0; i < exceptionRecord.size(); ++i) exceptionRecord[i] = static_cast<uint8_t>(0xE0 + i);
    context.resize(layout.contextSize);
    for (size_t i = 0; i < context.size(); ++i) context[i] = static_cast<uint8_t>(0x30 + i * 3);
    threadBlock.assign(layout.threadBlockSize, 0x5A);
    limit = reinterpret_cast<uintptr_t>(FaultStackMapping()) + limitOffset;
    SetStack(limit + stackSize, limit);
    pointers = {exceptionRecord.data(), context.data()};
}

void FaultScene::SetStack(uint64_t base, uint64_t newLimit) {
    std::memcpy(&threadBlock[tvd::kWordStackBase * layout.wordSize], &base, layout.wordSize);
    std::memcpy(&threadBlock[tvd::kWordStackLimit * layout.wordSize], &newLimit, layout.wordSize);
}

void FaultScene::MakeReadable(bool pointersToo, bool record, bool contextToo, bool block, bool stack) {
    if (pointersToo) AddReadable(&pointers, sizeof pointers);
    if (record) AddReadable(exceptionRecord.data(), exceptionRecord.size());
    if (contextToo) AddReadable(context.data(), context.size());
    if (block) AddReadable(threadBlock.data(), threadBlock.size());
    if (stack) AddReadable(FaultStackMapping(), kFaultStackMappingSize);
    DiagnosticsIo().threadBlock = threadBlock.data();
}

std::vector<uint8_t> FaultScene::StackBytes(uint64_t from, uint64_t length) const {
    const auto* first = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(from));
    return std::vector<uint8_t>(first, first + length);
}

}  // namespace fakes
