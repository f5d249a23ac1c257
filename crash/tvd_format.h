// The startup diagnostics file (".tvd"): its header, its tagged records and the two layouts of their data. Knows
// no Windows, so that the writer (crash/startup_diagnostics.cpp) and the reader (tools/tvdinfo) share one
// definition and both build and test natively. docs/formats/tvd.md describes the format in prose.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tvd {

// Header: the signature text with its terminating zero, then four fixed bytes. All numbers are little-endian.
constexpr char kSignature[] = "TarvelonDiagnostics";
constexpr size_t kSignatureSize = sizeof kSignature;
static_assert(kSignatureSize == 20, "the signature is 19 characters and its zero");
constexpr uint8_t kHeaderTail[4] = {0x01, 0x01, 0x01, 0x00};
constexpr size_t kHeaderSize = kSignatureSize + sizeof kHeaderTail;
static_assert(kHeaderSize == 24, "records start at offset 24");

// Each record: 16-bit tag, 16-bit length of the data, the data. No count, no padding, no end marker.
constexpr size_t kRecordHeaderSize = 4;

enum Tag : uint16_t {
    kTagExceptionRecord = 0xC000,
    kTagContext = 0xC001,
    kTagThreadBlock = 0xC002,
    kTagStack = 0xC003,
};

// The stack record holds at most this many bytes, the ones nearest StackBase.
constexpr uint32_t kMaxStackBytes = 0xFFFC;

// The sizes that tell the two layouts apart. The header and the stack record are the same in both.
struct Layout {
    const char* name;
    uint16_t exceptionRecordSize;  // EXCEPTION_RECORD
    uint16_t contextSize;          // CONTEXT
    uint16_t threadBlockSize;      // the first 13 pointer-sized words of the TEB
    uint8_t wordSize;              // pointer size
};

constexpr uint32_t kThreadBlockWords = 13;
inline constexpr Layout kLayoutX86{"x86", 80, 716, kThreadBlockWords * 4, 4};
inline constexpr Layout kLayoutX64{"x86_64", 152, 1232, kThreadBlockWords * 8, 8};
static_assert(kLayoutX86.threadBlockSize == 52 && kLayoutX64.threadBlockSize == 104, "13 words of the TEB");

// The layout of the machine this is compiled for (the module writes its own).
inline constexpr const Layout& kNativeLayout = sizeof(void*) == 4 ? kLayoutX86 : kLayoutX64;

// Word indices into the thread block (the TEB starts with its NT_TIB).
enum ThreadBlockWord : uint32_t {
    kWordExceptionList = 0,
    kWordStackBase = 1,
    kWordStackLimit = 2,
    kWordSubSystemTib = 3,
    kWordFiberData = 4,
    kWordArbitraryUserPointer = 5,
    kWordSelf = 6,
    kWordEnvironmentPointer = 7,
    kWordProcessId = 8,  // ClientId.UniqueProcess
    kWordThreadId = 9,   // ClientId.UniqueThread
    kWordActiveRpcHandle = 10,
    kWordThreadLocalStoragePointer = 11,
    kWordProcessEnvironmentBlock = 12,
};

// EXCEPTION_RECORD field offsets. The parameters are 15 pointer-sized slots.
constexpr uint32_t kExceptionMaximumParameters = 15;
struct ExceptionRecordOffsets {
    uint16_t code, flags, nestedRecord, address, numberParameters, information;
};
constexpr ExceptionRecordOffsets kExceptionX86{0, 4, 8, 12, 16, 20};
constexpr ExceptionRecordOffsets kExceptionX64{0, 4, 8, 16, 24, 32};
static_assert(kExceptionX86.information + kExceptionMaximumParameters * 4 == kLayoutX86.exceptionRecordSize,
              "x86 EXCEPTION_RECORD ends after its parameters");
static_assert(kExceptionX64.information + kExceptionMaximumParameters * 8 == kLayoutX64.exceptionRecordSize,
              "x86_64 EXCEPTION_RECORD ends after its parameters");

// CONTEXT register offsets (x86).
namespace x86 {
constexpr uint16_t kContextFlags = 0, kDr0 = 4, kDr1 = 8, kDr2 = 12, kDr3 = 16, kDr6 = 20, kDr7 = 24;
constexpr uint16_t kFloatSave = 28;
constexpr uint16_t kSegGs = 140, kSegFs = 144, kSegEs = 148, kSegDs = 152;
constexpr uint16_t kEdi = 156, kEsi = 160, kEbx = 164, kEdx = 168, kEcx = 172, kEax = 176;
constexpr uint16_t kEbp = 180, kEip = 184, kSegCs = 188, kEFlags = 192, kEsp = 196, kSegSs = 200;
constexpr uint16_t kExtendedRegisters = 204;
static_assert(kExtendedRegisters + 512 == kLayoutX86.contextSize, "x86 CONTEXT ends after ExtendedRegisters");
}  // namespace x86

// CONTEXT register offsets (x86_64). Segment selectors are 16-bit, ContextFlags, MxCsr and EFlags 32-bit, the
// rest 64-bit.
namespace x64 {
constexpr uint16_t kContextFlags = 48, kMxCsr = 52;
constexpr uint16_t kSegCs = 56, kSegDs = 58, kSegEs = 60, kSegFs = 62, kSegGs = 64, kSegSs = 66, kEFlags = 68;
constexpr uint16_t kDr0 = 72, kDr1 = 80, kDr2 = 88, kDr3 = 96, kDr6 = 104, kDr7 = 112;
constexpr uint16_t kRax = 120, kRcx = 128, kRdx = 136, kRbx = 144, kRsp = 152, kRbp = 160, kRsi = 168,
                   kRdi = 176;
constexpr uint16_t kR8 = 184, kR9 = 192, kR10 = 200, kR11 = 208, kR12 = 216, kR13 = 224, kR14 = 232,
                   kR15 = 240;
constexpr uint16_t kRip = 248, kFltSave = 256, kVectorRegister = 768, kVectorControl = 1184,
                   kDebugControl = 1192;
constexpr uint16_t kLastExceptionFromRip = 1224;
static_assert(kLastExceptionFromRip + 8 == kLayoutX64.contextSize, "x86_64 CONTEXT ends after LastExceptionFromRip");
}  // namespace x64

}  // namespace tvd
