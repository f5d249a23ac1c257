#include "tests/fakes/fake_diagnostics_io.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/diagnostics_io.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_structured_guard.h"

namespace fakes {
namespace {

DiagnosticsIoState state;
ResetRegistration reset{[] {
    for (void* block : state.heapBlocks) std::free(block);
    state = DiagnosticsIoState{};
}};

}  // namespace

DiagnosticsIoState& DiagnosticsIo() { return state; }

const std::vector<uint8_t>& OnlyFile() {
    static const std::vector<uint8_t> none;
    EXPECT_EQ(state.files.size(), 1u);
    return state.files.size() == 1 ? state.files.begin()->second : none;
}

}  // namespace fakes

namespace platform {

void* ProcessHeapAllocate(size_t size) {
    fakes::Record("ProcessHeapAllocate(" + std::to_string(size) + ")");
    if (fakes::ShouldFail("ProcessHeapAllocate")) return nullptr;
    void* block = std::malloc(size);
    fakes::state.heapBlocks.insert(block);
    return block;
}

void ProcessHeapFree(void* block) {
    fakes::Record("ProcessHeapFree");
    if (!block) return;
    EXPECT_EQ(fakes::state.heapBlocks.erase(block), 1u) << "freeing a block that is not allocated";
    std::free(block);
}

DiagnosticsFile CreateDiagnosticsFile(const char* name) {
    fakes::Record(std::string("CreateDiagnosticsFile(") + name + ")");
    if (fakes::ShouldFail("CreateDiagnosticsFile")) return kNoDiagnosticsFile;
    const DiagnosticsFile file = fakes::state.nextHandle++;
    fakes::state.files[name].clear();  // replaces a file of that name
    fakes::state.openFiles[file] = name;
    return file;
}

bool WriteDiagnosticsFile(DiagnosticsFile file, const void* bytes, uint32_t count) {
    fakes::Record("WriteDiagnosticsFile(" + std::to_string(count) + ")");
    const int ordinal = ++fakes::state.writes;
    if (ordinal == fakes::state.faultOnWrite) fakes::RaiseGuardedFault();
    auto open = fakes::state.openFiles.find(file);
    EXPECT_NE(open, fakes::state.openFiles.end()) << "write to a file that is not open";
    if (open == fakes::state.openFiles.end()) return false;
    if (fakes::ShouldFail("WriteDiagnosticsFile") || fakes::state.failingWrites.count(ordinal)) return false;
    auto& content = fakes::state.files[open->second];
    const auto* first = static_cast<const uint8_t*>(bytes);
    content.insert(content.end(), first, first + count);
    return true;
}

void CloseDiagnosticsFile(DiagnosticsFile file) {
    fakes::Record("CloseDiagnosticsFile");
    if (file == kNoDiagnosticsFile) return;
    EXPECT_EQ(fakes::state.openFiles.erase(file), 1u) << "closing a file that is not open";
}

const void* CurrentThreadBlock() {
    fakes::Record("CurrentThreadBlock");
    return fakes::state.threadBlock;
}

}  // namespace platform
