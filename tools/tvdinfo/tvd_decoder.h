// Decodes a startup diagnostics file (".tvd") held in memory: checks the header, walks the records and reads
// the exception, the processor context, the thread block and the stack out of them. Knows no Windows; every
// read is bounds-checked, so any bytes at all give a result, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "crash/tvd_format.h"

namespace tvdinfo {

enum class Status {
    kComplete,         // the header and whole records up to the end (a file may end after any record)
    kMalformed,        // a diagnostics file that ends inside the header or a record, or breaks a rule
    kNotDiagnostics,   // no signature: some other file
};

// A record as found in the file. `data` points into the buffer given to Decode.
struct Record {
    uint16_t tag;
    size_t offset;  // of the record's tag in the file
    uint16_t length;
    const uint8_t* data;
};

struct ExceptionInfo {
    uint32_t code;
    uint32_t flags;
    uint64_t nestedRecord;
    uint64_t address;
    uint32_t numberParameters;  // as recorded; only the first 15 have slots
    uint64_t parameters[tvd::kExceptionMaximumParameters];
};

struct Register {
    const char* name;
    uint64_t value;
    uint8_t width;  // bytes, for printing
};

struct ContextInfo {
    uint32_t contextFlags;
    std::vector<Register> registers;
    uint64_t instructionPointer;
    uint64_t stackPointer;
};

struct ThreadBlockInfo {
    uint64_t words[tvd::kThreadBlockWords];
    uint64_t stackBase() const { return words[tvd::kWordStackBase]; }
    uint64_t stackLimit() const { return words[tvd::kWordStackLimit]; }
};

struct StackInfo {
    size_t recordIndex;   // into Decoded::records
    uint16_t length;
    bool addressesKnown;  // the thread block came first, so the record's place in memory is known
    uint64_t start;       // address of the first byte: StackBase minus the length
    uint64_t end;         // StackBase, one past the last byte
    bool whole;           // the record holds all of StackLimit..StackBase
};

struct Decoded {
    Status status = Status::kComplete;
    size_t fileSize = 0;
    std::string error;        // empty when complete
    size_t errorOffset = 0;   // where the file went wrong
    const tvd::Layout* layout = nullptr;  // from the first record that tells it; null when no record does
    std::vector<Record> records;
    std::optional<ExceptionInfo> exception;
    std::optional<ContextInfo> context;
    std::optional<ThreadBlockInfo> threadBlock;
    std::optional<StackInfo> stack;
};

// Decodes `size` bytes at `data`. The result points into `data`, which must outlive it.
Decoded Decode(const uint8_t* data, size_t size);

// "EXCEPTION_ACCESS_VIOLATION" and the like for the well-known codes; null for others.
const char* ExceptionName(uint32_t code);

// "record 0xC000 exception record" style names of the four tags; null for others.
const char* RecordName(uint16_t tag);

// A word of the stack that may be a return address.
struct CodeAddressCandidate {
    uint64_t location;  // where in the stack it lies
    uint64_t value;
};

// The heuristic behind CodeAddressCandidates, in words for the reports.
extern const char* const kCodeAddressHeuristic;
constexpr uint64_t kCodeAddressWindow = 16u << 20;
constexpr uint64_t kLowestCodeAddress = 0x10000;  // the first 64 KiB of an address space are never mapped

// Words of the stack record (aligned to the word size) that lie outside the stack, at or above
// kLowestCodeAddress and within
// kCodeAddressWindow of the faulting instruction (the exception address, else the context's instruction pointer).
// Empty when the stack's addresses or the faulting instruction are unknown.
std::vector<CodeAddressCandidate> CodeAddressCandidates(const Decoded& decoded);

}  // namespace tvdinfo
