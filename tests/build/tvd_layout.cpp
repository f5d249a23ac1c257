// The startup diagnostics file copies the system's records byte for byte: the sizes and offsets that the writer
// and tvdinfo use must be the system's own, for the architecture this is compiled for.
#include <windows.h>

#include <cstddef>

#include "crash/tvd_format.h"

namespace {

#if defined(__x86_64__)
constexpr const tvd::Layout& kLayout = tvd::kLayoutX64;
constexpr const tvd::ExceptionRecordOffsets& kException = tvd::kExceptionX64;
#else
constexpr const tvd::Layout& kLayout = tvd::kLayoutX86;
constexpr const tvd::ExceptionRecordOffsets& kException = tvd::kExceptionX86;
#endif
static_assert(&kLayout == &tvd::kNativeLayout, "the module writes its own architecture's layout");

static_assert(sizeof(EXCEPTION_RECORD) == kLayout.exceptionRecordSize, "EXCEPTION_RECORD size");
static_assert(offsetof(EXCEPTION_RECORD, ExceptionCode) == kException.code, "ExceptionCode");
static_assert(offsetof(EXCEPTION_RECORD, ExceptionFlags) == kException.flags, "ExceptionFlags");
static_assert(offsetof(EXCEPTION_RECORD, ExceptionRecord) == kException.nestedRecord, "ExceptionRecord");
static_assert(offsetof(EXCEPTION_RECORD, ExceptionAddress) == kException.address, "ExceptionAddress");
static_assert(offsetof(EXCEPTION_RECORD, NumberParameters) == kException.numberParameters, "NumberParameters");
static_assert(offsetof(EXCEPTION_RECORD, ExceptionInformation) == kException.information, "ExceptionInformation");
static_assert(EXCEPTION_MAXIMUM_PARAMETERS == tvd::kExceptionMaximumParameters, "parameter slots");

static_assert(sizeof(CONTEXT) == kLayout.contextSize, "CONTEXT size");
static_assert(sizeof(void*) == kLayout.wordSize, "word size");

// The thread block starts with the NT_TIB; StackBase and StackLimit are its second and third words.
static_assert(offsetof(NT_TIB, StackBase) == tvd::kWordStackBase * sizeof(void*), "StackBase");
static_assert(offsetof(NT_TIB, StackLimit) == tvd::kWordStackLimit * sizeof(void*), "StackLimit");
static_assert(offsetof(NT_TIB, Self) == tvd::kWordSelf * sizeof(void*), "Self");
static_assert(sizeof(NT_TIB) == 7 * sizeof(void*), "NT_TIB is seven words");

#if defined(__x86_64__)
static_assert(offsetof(CONTEXT, ContextFlags) == tvd::x64::kContextFlags, "ContextFlags");
static_assert(offsetof(CONTEXT, MxCsr) == tvd::x64::kMxCsr, "MxCsr");
static_assert(offsetof(CONTEXT, SegCs) == tvd::x64::kSegCs, "SegCs");
static_assert(offsetof(CONTEXT, SegSs) == tvd::x64::kSegSs, "SegSs");
static_assert(offsetof(CONTEXT, EFlags) == tvd::x64::kEFlags, "EFlags");
static_assert(offsetof(CONTEXT, Dr0) == tvd::x64::kDr0, "Dr0");
static_assert(offsetof(CONTEXT, Dr7) == tvd::x64::kDr7, "Dr7");
static_assert(offsetof(CONTEXT, Rax) == tvd::x64::kRax, "Rax");
static_assert(offsetof(CONTEXT, Rcx) == tvd::x64::kRcx, "Rcx");
static_assert(offsetof(CONTEXT, Rdx) == tvd::x64::kRdx, "Rdx");
static_assert(offsetof(CONTEXT, Rbx) == tvd::x64::kRbx, "Rbx");
static_assert(offsetof(CONTEXT, Rsp) == tvd::x64::kRsp, "Rsp");
static_assert(offsetof(CONTEXT, Rbp) == tvd::x64::kRbp, "Rbp");
static_assert(offsetof(CONTEXT, Rsi) == tvd::x64::kRsi, "Rsi");
static_assert(offsetof(CONTEXT, Rdi) == tvd::x64::kRdi, "Rdi");
static_assert(offsetof(CONTEXT, R8) == tvd::x64::kR8, "R8");
static_assert(offsetof(CONTEXT, R15) == tvd::x64::kR15, "R15");
static_assert(offsetof(CONTEXT, Rip) == tvd::x64::kRip, "Rip");
static_assert(offsetof(CONTEXT, VectorRegister) == tvd::x64::kVectorRegister, "VectorRegister");
static_assert(offsetof(CONTEXT, DebugControl) == tvd::x64::kDebugControl, "DebugControl");
static_assert(offsetof(CONTEXT, LastExceptionFromRip) == tvd::x64::kLastExceptionFromRip, "LastExceptionFromRip");
#else
static_assert(offsetof(CONTEXT, ContextFlags) == tvd::x86::kContextFlags, "ContextFlags");
static_assert(offsetof(CONTEXT, Dr0) == tvd::x86::kDr0, "Dr0");
static_assert(offsetof(CONTEXT, Dr7) == tvd::x86::kDr7, "Dr7");
static_assert(offsetof(CONTEXT, FloatSave) == tvd::x86::kFloatSave, "FloatSave");
static_assert(offsetof(CONTEXT, SegGs) == tvd::x86::kSegGs, "SegGs");
static_assert(offsetof(CONTEXT, SegDs) == tvd::x86::kSegDs, "SegDs");
static_assert(offsetof(CONTEXT, Edi) == tvd::x86::kEdi, "Edi");
static_assert(offsetof(CONTEXT, Esi) == tvd::x86::kEsi, "Esi");
static_assert(offsetof(CONTEXT, Ebx) == tvd::x86::kEbx, "Ebx");
static_assert(offsetof(CONTEXT, Edx) == tvd::x86::kEdx, "Edx");
static_assert(offsetof(CONTEXT, Ecx) == tvd::x86::kEcx, "Ecx");
static_assert(offsetof(CONTEXT, Eax) == tvd::x86::kEax, "Eax");
static_assert(offsetof(CONTEXT, Ebp) == tvd::x86::kEbp, "Ebp");
static_assert(offsetof(CONTEXT, Eip) == tvd::x86::kEip, "Eip");
static_assert(offsetof(CONTEXT, SegCs) == tvd::x86::kSegCs, "SegCs");
static_assert(offsetof(CONTEXT, EFlags) == tvd::x86::kEFlags, "EFlags");
static_assert(offsetof(CONTEXT, Esp) == tvd::x86::kEsp, "Esp");
static_assert(offsetof(CONTEXT, SegSs) == tvd::x86::kSegSs, "SegSs");
static_assert(offsetof(CONTEXT, ExtendedRegisters) == tvd::x86::kExtendedRegisters, "ExtendedRegisters");
#endif

}  // namespace
