#include "tools/tvdinfo/tvd_decoder.h"

#include <cstdio>
#include <cstring>

namespace tvdinfo {
namespace {

uint64_t ReadLittle(const uint8_t* at, unsigned bytes) {
    uint64_t value = 0;
    for (unsigned i = bytes; i > 0; --i) value = value << 8 | at[i - 1];
    return value;
}

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

void Fail(Decoded& decoded, size_t offset, std::string message) {
    decoded.status = Status::kMalformed;
    decoded.errorOffset = offset;
    decoded.error = std::move(message);
}

// Which layout a record of this tag and length belongs to; null when the length fits neither.
const tvd::Layout* LayoutOf(uint16_t tag, uint16_t length) {
    for (const tvd::Layout* layout : {&tvd::kLayoutX86, &tvd::kLayoutX64}) {
        if (tag == tvd::kTagExceptionRecord && length == layout->exceptionRecordSize) return layout;
        if (tag == tvd::kTagContext && length == layout->contextSize) return layout;
        if (tag == tvd::kTagThreadBlock && length == layout->threadBlockSize) return layout;
    }
    return nullptr;
}

ExceptionInfo DecodeException(const uint8_t* data, const tvd::Layout& layout) {
    const bool wide = &layout == &tvd::kLayoutX64;
    const tvd::ExceptionRecordOffsets& at = wide ? tvd::kExceptionX64 : tvd::kExceptionX86;
    ExceptionInfo info{};
    info.code = static_cast<uint32_t>(ReadLittle(data + at.code, 4));
    info.flags = static_cast<uint32_t>(ReadLittle(data + at.flags, 4));
    info.nestedRecord = ReadLittle(data + at.nestedRecord, layout.wordSize);
    info.address = ReadLittle(data + at.address, layout.wordSize);
    info.numberParameters = static_cast<uint32_t>(ReadLittle(data + at.numberParameters, 4));
    for (uint32_t i = 0; i < tvd::kExceptionMaximumParameters; ++i)
        info.parameters[i] = ReadLittle(data + at.information + i * layout.wordSize, layout.wordSize);
    return info;
}

struct RegisterField {
    const char* name;
    uint16_t offset;
    uint8_t width;
};

constexpr RegisterField kX86Registers[] = {
    {"eax", tvd::x86::kEax, 4},       {"ebx", tvd::x86::kEbx, 4},       {"ecx", tvd::x86::kEcx, 4},
    {"edx", tvd::x86::kEdx, 4},       {"esi", tvd::x86::kEsi, 4},       {"edi", tvd::x86::kEdi, 4},
    {"ebp", tvd::x86::kEbp, 4},       {"esp", tvd::x86::kEsp, 4},       {"eip", tvd::x86::kEip, 4},
    {"eflags", tvd::x86::kEFlags, 4}, {"cs", tvd::x86::kSegCs, 2},      {"ds", tvd::x86::kSegDs, 2},
    {"es", tvd::x86::kSegEs, 2},      {"fs", tvd::x86::kSegFs, 2},      {"gs", tvd::x86::kSegGs, 2},
    {"ss", tvd::x86::kSegSs, 2},      {"dr0", tvd::x86::kDr0, 4},       {"dr1", tvd::x86::kDr1, 4},
    {"dr2", tvd::x86::kDr2, 4},       {"dr3", tvd::x86::kDr3, 4},       {"dr6", tvd::x86::kDr6, 4},
    {"dr7", tvd::x86::kDr7, 4},
};

constexpr RegisterField kX64Registers[] = {
    {"rax", tvd::x64::kRax, 8},       {"rbx", tvd::x64::kRbx, 8},  {"rcx", tvd::x64::kRcx, 8},
    {"rdx", tvd::x64::kRdx, 8},       {"rsi", tvd::x64::kRsi, 8},  {"rdi", tvd::x64::kRdi, 8},
    {"rbp", tvd::x64::kRbp, 8},       {"rsp", tvd::x64::kRsp, 8},  {"r8", tvd::x64::kR8, 8},
    {"r9", tvd::x64::kR9, 8},         {"r10", tvd::x64::kR10, 8},  {"r11", tvd::x64::kR11, 8},
    {"r12", tvd::x64::kR12, 8},       {"r13", tvd::x64::kR13, 8},  {"r14", tvd::x64::kR14, 8},
    {"r15", tvd::x64::kR15, 8},       {"rip", tvd::x64::kRip, 8},  {"eflags", tvd::x64::kEFlags, 4},
    {"mxcsr", tvd::x64::kMxCsr, 4},   {"cs", tvd::x64::kSegCs, 2}, {"ds", tvd::x64::kSegDs, 2},
    {"es", tvd::x64::kSegEs, 2},      {"fs", tvd::x64::kSegFs, 2}, {"gs", tvd::x64::kSegGs, 2},
    {"ss", tvd::x64::kSegSs, 2},      {"dr0", tvd::x64::kDr0, 8},  {"dr1", tvd::x64::kDr1, 8},
    {"dr2", tvd::x64::kDr2, 8},       {"dr3", tvd::x64::kDr3, 8},  {"dr6", tvd::x64::kDr6, 8},
    {"dr7", tvd::x64::kDr7, 8},
};

template <size_t N>
ContextInfo DecodeRegisters(const uint8_t* data, const RegisterField (&fields)[N], uint16_t flagsAt, uint16_t ipAt,
                            uint16_t spAt, uint8_t wordSize) {
    ContextInfo info{};
    info.contextFlags = static_cast<uint32_t>(ReadLittle(data + flagsAt, 4));
    for (const RegisterField& field : fields)
        info.registers.push_back({field.name, ReadLittle(data + field.offset, field.width), field.width});
    info.instructionPointer = ReadLittle(data + ipAt, wordSize);
    info.stackPointer = ReadLittle(data + spAt, wordSize);
    return info;
}

ContextInfo DecodeContext(const uint8_t* data, const tvd::Layout& layout) {
    if (&layout == &tvd::kLayoutX64)
        return DecodeRegisters(data, kX64Registers, tvd::x64::kContextFlags, tvd::x64::kRip, tvd::x64::kRsp, 8);
    return DecodeRegisters(data, kX86Registers, tvd::x86::kContextFlags, tvd::x86::kEip, tvd::x86::kEsp, 4);
}

ThreadBlockInfo DecodeThreadBlock(const uint8_t* data, const tvd::Layout& layout) {
    ThreadBlockInfo info{};
    for (uint32_t i = 0; i < tvd::kThreadBlockWords; ++i)
        info.words[i] = ReadLittle(data + i * layout.wordSize, layout.wordSize);
    return info;
}

// Checks one record's tag, order and length against what came before. Empty when it is acceptable.
std::string CheckRecord(const Decoded& decoded, uint16_t tag, uint16_t length) {
    if (!RecordName(tag)) return "unknown record tag " + Hex(tag);
    if (!decoded.records.empty() && tag <= decoded.records.back().tag)
        return "record " + Hex(tag) + " follows record " + Hex(decoded.records.back().tag) +
               ": records come at most once each, in the order 0xC000, 0xC001, 0xC002, 0xC003";
    if (tag == tvd::kTagStack) {
        if (length == 0 || length > tvd::kMaxStackBytes)
            return "stack record " + Hex(tag) + " has length " + std::to_string(length) + ", not 1 to 65532";
        return {};
    }
    const tvd::Layout* layout = LayoutOf(tag, length);
    if (!layout) return "record " + Hex(tag) + " has length " + std::to_string(length) + ", which fits no layout";
    if (decoded.layout && decoded.layout != layout)
        return "record " + Hex(tag) + " has the " + layout->name + " length " + std::to_string(length) +
               " but the records before it are " + decoded.layout->name;
    return {};
}

// The stack record's place in memory, from the thread block; empty text when it is consistent with it.
std::string PlaceStack(Decoded& decoded, const Record& record) {
    StackInfo stack{decoded.records.size(), record.length, false, 0, 0, false};
    if (decoded.threadBlock) {
        const uint64_t base = decoded.threadBlock->stackBase(), limit = decoded.threadBlock->stackLimit();
        if (limit >= base || base - limit < record.length)
            return "the stack record holds " + std::to_string(record.length) + " bytes but the thread block's stack (" +
                   Hex(limit) + " to " + Hex(base) + ") is smaller";
        const uint64_t span = base - limit;
        const uint64_t expected = span <= tvd::kMaxStackBytes ? span : tvd::kMaxStackBytes;
        if (record.length != expected)
            return "the stack record holds " + std::to_string(record.length) + " bytes but the thread block's stack " +
                   "calls for " + std::to_string(expected);
        stack.addressesKnown = true;
        stack.start = base - record.length;
        stack.end = base;
        stack.whole = span == record.length;
    }
    decoded.stack = stack;
    return {};
}

}  // namespace

const char* const kCodeAddressHeuristic =
    "words of the stack at or above 0x10000, within 16 MiB of the faulting instruction and outside the stack; "
    "they may be return addresses into the faulting module, or data that merely looks like them, and return addresses into "
    "modules further away are not shown";

const char* RecordName(uint16_t tag) {
    switch (tag) {
        case tvd::kTagExceptionRecord: return "exception record";
        case tvd::kTagContext: return "processor context";
        case tvd::kTagThreadBlock: return "thread block";
        case tvd::kTagStack: return "stack";
        default: return nullptr;
    }
}

const char* ExceptionName(uint32_t code) {
    switch (code) {
        case 0x80000001: return "EXCEPTION_GUARD_PAGE";
        case 0x80000002: return "EXCEPTION_DATATYPE_MISALIGNMENT";
        case 0x80000003: return "EXCEPTION_BREAKPOINT";
        case 0x80000004: return "EXCEPTION_SINGLE_STEP";
        case 0xC0000005: return "EXCEPTION_ACCESS_VIOLATION";
        case 0xC0000006: return "EXCEPTION_IN_PAGE_ERROR";
        case 0xC0000008: return "EXCEPTION_INVALID_HANDLE";
        case 0xC0000017: return "STATUS_NO_MEMORY";
        case 0xC000001D: return "EXCEPTION_ILLEGAL_INSTRUCTION";
        case 0xC0000025: return "EXCEPTION_NONCONTINUABLE_EXCEPTION";
        case 0xC0000026: return "EXCEPTION_INVALID_DISPOSITION";
        case 0xC000008C: return "EXCEPTION_ARRAY_BOUNDS_EXCEEDED";
        case 0xC000008D: return "EXCEPTION_FLT_DENORMAL_OPERAND";
        case 0xC000008E: return "EXCEPTION_FLT_DIVIDE_BY_ZERO";
        case 0xC000008F: return "EXCEPTION_FLT_INEXACT_RESULT";
        case 0xC0000090: return "EXCEPTION_FLT_INVALID_OPERATION";
        case 0xC0000091: return "EXCEPTION_FLT_OVERFLOW";
        case 0xC0000092: return "EXCEPTION_FLT_STACK_CHECK";
        case 0xC0000093: return "EXCEPTION_FLT_UNDERFLOW";
        case 0xC0000094: return "EXCEPTION_INT_DIVIDE_BY_ZERO";
        case 0xC0000095: return "EXCEPTION_INT_OVERFLOW";
        case 0xC0000096: return "EXCEPTION_PRIV_INSTRUCTION";
        case 0xC00000FD: return "EXCEPTION_STACK_OVERFLOW";
        case 0xC0000374: return "STATUS_HEAP_CORRUPTION";
        case 0xC0000409: return "STATUS_STACK_BUFFER_OVERRUN";
        case 0xC0000417: return "STATUS_INVALID_CRUNTIME_PARAMETER";
        case 0xE06D7363: return "C++ exception (Microsoft runtime)";
        case 0x20474343: return "C++ exception (GCC runtime)";
        default: return nullptr;
    }
}

Decoded Decode(const uint8_t* data, size_t size) {
    Decoded decoded;
    decoded.fileSize = size;
    const size_t signatureBytes = size < tvd::kSignatureSize ? size : tvd::kSignatureSize;
    if (size == 0 || std::memcmp(data, tvd::kSignature, signatureBytes) != 0) {
        decoded.status = Status::kNotDiagnostics;
        decoded.error = "not a startup diagnostics file: it does not begin with the signature \"TarvelonDiagnostics\"";
        return decoded;
    }
    for (size_t i = tvd::kSignatureSize; i < tvd::kHeaderSize && i < size; ++i) {
        const uint8_t expected = tvd::kHeaderTail[i - tvd::kSignatureSize];
        if (data[i] != expected) {
            Fail(decoded, i, "header byte at offset " + std::to_string(i) + " is " + Hex(data[i]) + ", expected " +
                                 Hex(expected));
            return decoded;
        }
    }
    if (size < tvd::kHeaderSize) {
        Fail(decoded, size, "the file ends inside the 24-byte header, after " + std::to_string(size) + " bytes");
        return decoded;
    }

    size_t offset = tvd::kHeaderSize;
    while (offset < size) {
        const size_t left = size - offset;
        if (left < tvd::kRecordHeaderSize) {
            Fail(decoded, offset, "the file ends inside a record's tag and length at offset " + std::to_string(offset) +
                                      " (" + std::to_string(left) + " of 4 bytes)");
            return decoded;
        }
        const auto tag = static_cast<uint16_t>(ReadLittle(data + offset, 2));
        const auto length = static_cast<uint16_t>(ReadLittle(data + offset + 2, 2));
        const std::string problem = CheckRecord(decoded, tag, length);
        if (!problem.empty()) {
            Fail(decoded, offset, problem + ", at offset " + std::to_string(offset));
            return decoded;
        }
        if (left - tvd::kRecordHeaderSize < length) {
            Fail(decoded, offset, "record " + Hex(tag) + " at offset " + std::to_string(offset) + " declares " +
                                      std::to_string(length) + " bytes of data but the file ends after " +
                                      std::to_string(left - tvd::kRecordHeaderSize));
            return decoded;
        }
        const Record record{tag, offset, length, data + offset + tvd::kRecordHeaderSize};
        if (tag == tvd::kTagStack) {
            const std::string misplaced = PlaceStack(decoded, record);
            if (!misplaced.empty()) {
                Fail(decoded, offset, misplaced + ", at offset " + std::to_string(offset));
                return decoded;
            }
        } else {
            decoded.layout = LayoutOf(tag, length);
            if (tag == tvd::kTagExceptionRecord) decoded.exception = DecodeException(record.data, *decoded.layout);
            if (tag == tvd::kTagContext) decoded.context = DecodeContext(record.data, *decoded.layout);
            if (tag == tvd::kTagThreadBlock) decoded.threadBlock = DecodeThreadBlock(record.data, *decoded.layout);
        }
        decoded.records.push_back(record);
        offset += tvd::kRecordHeaderSize + length;
    }
    return decoded;
}

std::vector<CodeAddressCandidate> CodeAddressCandidates(const Decoded& decoded) {
    std::vector<CodeAddressCandidate> candidates;
    if (!decoded.stack || !decoded.stack->addressesKnown || !decoded.threadBlock) return candidates;
    uint64_t fault = 0;
    if (decoded.exception && decoded.exception->address) fault = decoded.exception->address;
    else if (decoded.context) fault = decoded.context->instructionPointer;
    if (fault == 0) return candidates;

    const unsigned wordSize = decoded.layout ? decoded.layout->wordSize : 4;
    const Record& record = decoded.records[decoded.stack->recordIndex];
    const uint64_t limit = decoded.threadBlock->stackLimit(), base = decoded.threadBlock->stackBase();
    // Words are aligned in memory, not in the record: the record starts wherever StackBase minus its length is.
    const unsigned skip = static_cast<unsigned>((wordSize - decoded.stack->start % wordSize) % wordSize);
    for (size_t at = skip; at + wordSize <= record.length; at += wordSize) {
        const uint64_t value = ReadLittle(record.data + at, wordSize);
        const bool inStack = value >= limit && value < base;
        const uint64_t distance = value > fault ? value - fault : fault - value;
        if (value >= kLowestCodeAddress && !inStack && distance < kCodeAddressWindow)
            candidates.push_back({decoded.stack->start + at, value});
    }
    return candidates;
}

}  // namespace tvdinfo
