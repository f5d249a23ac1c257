// In-memory files, a heap that counts its blocks, readability by registered ranges (fake_readability.h) and a settable thread block,
// for the startup diagnostics writer. Failures: FailNext("ProcessHeapAllocate"), FailNext("CreateDiagnosticsFile"),
// FailNext("WriteDiagnosticsFile", n) (the next n writes), or by ordinal with `failingWrites` and `faultOnWrite`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/fakes/fake_readability.h"

namespace fakes {

struct DiagnosticsIoState {
    std::map<std::string, std::vector<uint8_t>> files;  // by name, as created
    std::map<uintptr_t, std::string> openFiles;         // handle -> name
    std::set<void*> heapBlocks;                         // allocated, not yet freed
    const void* threadBlock = nullptr;
    int writes = 0;                 // WriteDiagnosticsFile calls so far
    std::set<int> failingWrites;    // 1-based ordinals of writes that fail (nothing written)
    int faultOnWrite = 0;           // 1-based ordinal of the write that raises a guarded fault instead
    uintptr_t nextHandle = 0x100;
};

DiagnosticsIoState& DiagnosticsIo();

// The single file created so far (fails the test and returns an empty one when there is not exactly one).
const std::vector<uint8_t>& OnlyFile();

}  // namespace fakes
