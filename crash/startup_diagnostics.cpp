#include "crash/startup_diagnostics.h"

#include <cstring>

#include "crash/crash_state.h"
#include "crash/diagnostic_file_name.h"
#include "platform/readability.h"
#include "platform/structured_guard.h"

namespace crash {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "tags and lengths are written as they lie in memory");

namespace {

constexpr size_t kNameBlockSize = 261;   // the 256 bytes of the name, ".tvd" and its zero
constexpr uint32_t kNameMaxLength = 256;
constexpr char kExtension[] = ".tvd";
static_assert(kNameMaxLength - 1 + sizeof kExtension <= kNameBlockSize, "the extension always fits");

// The faulting thread's stack may be nearly exhausted, so the working values live here rather than in frames.
// Only one crash is handled at a time (CrashFilterActive), so nothing else touches them concurrently.
uint16_t currentTag;
uint16_t currentLength;
const uint8_t* stackSpan;
uint64_t stackBase;
uint64_t stackLimit;
// Held here so that a fault in the middle still lets the operation release them once the guard returns.
char* nameBlock;
platform::DiagnosticsFile openFile = platform::kNoDiagnosticsFile;
platform::ExceptionPointers* guardedPointers;
bool recordsComplete;

// Tag, then length only if the tag went out, then the data only if the length did: a failed write skips the rest
// of its own record. The data goes straight from where it lies. True when all three writes succeeded.
bool WriteRecord(platform::DiagnosticsFile file, uint16_t tag, const void* data, uint16_t length) {
    currentTag = tag;
    currentLength = length;
    if (!platform::WriteDiagnosticsFile(file, &currentTag, sizeof currentTag)) return false;
    if (!platform::WriteDiagnosticsFile(file, &currentLength, sizeof currentLength)) return false;
    return platform::WriteDiagnosticsFile(file, data, length);
}

uint64_t ThreadBlockWord(const void* threadBlock, uint32_t index, const tvd::Layout& layout) {
    uint64_t word = 0;
    std::memcpy(&word, static_cast<const uint8_t*>(threadBlock) + index * layout.wordSize, layout.wordSize);
    return word;
}

void ReleaseNameBlock() {
    platform::ProcessHeapFree(nameBlock);
    nameBlock = nullptr;
}

void CloseOpenFile() {
    platform::CloseDiagnosticsFile(openFile);
    openFile = platform::kNoDiagnosticsFile;
}

void WriteUnderGuard(void*) {
    if (CreateTvdFile() == platform::kNoDiagnosticsFile) return;
    recordsComplete = WriteTvdRecords(guardedPointers, openFile);
    CloseOpenFile();
}

}  // namespace

platform::DiagnosticsFile CreateTvdFile() {
    nameBlock = static_cast<char*>(platform::ProcessHeapAllocate(kNameBlockSize));
    if (!nameBlock) return platform::kNoDiagnosticsFile;
    nameBlock[0] = '\0';
    MakeDiagnosticFileName(LocationPrefix, nameBlock, kNameMaxLength, true);
    std::memcpy(nameBlock + std::strlen(nameBlock), kExtension, sizeof kExtension);
    openFile = platform::CreateDiagnosticsFile(nameBlock);
    ReleaseNameBlock();
    if (openFile == platform::kNoDiagnosticsFile) return openFile;

    platform::WriteDiagnosticsFile(openFile, tvd::kSignature, tvd::kSignatureSize);
    for (const uint8_t& byte : tvd::kHeaderTail) platform::WriteDiagnosticsFile(openFile, &byte, 1);
    return openFile;
}

bool WriteTvdRecords(platform::ExceptionPointers* exceptionPointers, platform::DiagnosticsFile file,
                     const tvd::Layout& layout) {
    if (!platform::CanReadBytes(exceptionPointers, sizeof *exceptionPointers)) return false;

    bool complete = false;
    if (platform::CanReadBytes(exceptionPointers->exceptionRecord, layout.exceptionRecordSize))
        complete = WriteRecord(file, tvd::kTagExceptionRecord, exceptionPointers->exceptionRecord,
                               layout.exceptionRecordSize);

    if (!platform::CanReadBytes(exceptionPointers->contextRecord, layout.contextSize)) return false;
    complete &= WriteRecord(file, tvd::kTagContext, exceptionPointers->contextRecord, layout.contextSize);

    const void* threadBlock = platform::CurrentThreadBlock();
    if (!platform::CanReadBytes(threadBlock, layout.threadBlockSize)) return false;
    complete &= WriteRecord(file, tvd::kTagThreadBlock, threadBlock, layout.threadBlockSize);

    stackBase = ThreadBlockWord(threadBlock, tvd::kWordStackBase, layout);
    stackLimit = ThreadBlockWord(threadBlock, tvd::kWordStackLimit, layout);
    if (stackLimit >= stackBase) return false;
    // The end nearest the base holds the oldest frames, the ones that say how the thread got where it faulted.
    currentLength = static_cast<uint16_t>(stackBase - stackLimit <= tvd::kMaxStackBytes ? stackBase - stackLimit
                                                                                        : tvd::kMaxStackBytes);
    stackSpan = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(stackBase - currentLength));
    if (!platform::CanReadBytes(stackSpan, currentLength)) return false;
    complete &= WriteRecord(file, tvd::kTagStack, stackSpan, currentLength);
    return complete;
}

bool WriteStartupDiagnostics(platform::ExceptionPointers* exceptionPointers) {
    guardedPointers = exceptionPointers;
    recordsComplete = false;
    const bool finished = platform::RunGuarded(WriteUnderGuard, nullptr);
    if (!finished) {
        // A fault skipped the normal releases: the file keeps what was written, but is not left open.
        ReleaseNameBlock();
        CloseOpenFile();
    }
    return finished && recordsComplete;
}

}  // namespace crash
