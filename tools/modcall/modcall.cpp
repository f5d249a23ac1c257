// modcall: calls one export of a DLL from a shell, the way an installer does, and prints its result.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/modcall/arguments.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitUnbalancedStack = 3;
constexpr size_t kMaxArguments = 8;

void PrintHelp() {
    std::printf(
        "modcall - call one export of a DLL as an installer would, and print its result\n"
        "\n"
        "usage: modcall [--text | --int] [--show-text-args] DLL EXPORT [ARG...]\n"
        "\n"
        "Loads DLL (a path; relative paths are taken from the current directory, never searched for), looks\n"
        "EXPORT up by name and calls it with the arguments in order, each one 32-bit stack slot wide on i686\n"
        "(__stdcall: the export removes its own arguments) or one register/slot on x86_64.\n"
        "\n"
        "Arguments (at most %u):\n"
        "  i:N        a 32-bit integer: decimal (i:42, i:-1) or hex (i:0x7F)\n"
        "  s:TEXT     a pointer to a writable, zero-terminated copy of TEXT (8-bit, as the shell passed it)\n"
        "  null       a null pointer\n"
        "\n"
        "Result: the 32-bit result as a signed decimal number, or for GetFileDescription (or with --text) the\n"
        "text the returned pointer names. --int forces the number. --show-text-args then prints each s:\n"
        "argument as the export left it (CheckShortCutAndUpdateIfNecessary upper-cases one in place).\n"
        "\n"
        "Exit codes: 0 the export was called; 2 bad usage, unloadable DLL or unknown export (one line on\n"
        "stderr); 3 (i686) the export did not remove exactly its arguments from the stack.\n",
        static_cast<unsigned>(kMaxArguments));
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "modcall: %s\n", message.c_str());
    return kExitUsage;
}

#if defined(__i386__)
// Pushes `count` 32-bit values right to left, calls `fn`, and reports by how many bytes the stack pointer
// after the call differs from before the pushes (0: the callee removed exactly its arguments, as __stdcall
// requires). The stack pointer is put back either way, so a wrong callee cannot corrupt modcall itself.
extern "C" uint32_t CallStdcallChecked(void* fn, const uint32_t* args, uint32_t count, int32_t* imbalance);
asm(R"(
    .text
    .globl _CallStdcallChecked
_CallStdcallChecked:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  call *8(%ebp)
    movl %esp, %ecx
    subl %edi, %ecx
    movl 20(%ebp), %edx
    movl %ecx, (%edx)
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");
#endif

struct CallResult {
    uintptr_t value;
    int32_t stackImbalance;
};

CallResult CallExport(FARPROC fn, const std::vector<uintptr_t>& slots) {
#if defined(__i386__)
    std::vector<uint32_t> words(slots.begin(), slots.end());
    int32_t imbalance = 0;
    uint32_t value = CallStdcallChecked(reinterpret_cast<void*>(fn), words.data(),
                                        static_cast<uint32_t>(words.size()), &imbalance);
    return CallResult{value, imbalance};
#else
    // One calling convention on x86_64: the caller owns the stack, so unused slots are harmless.
    uintptr_t a[kMaxArguments] = {};
    for (size_t i = 0; i < slots.size(); ++i) a[i] = slots[i];
    using Wide = uintptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                               uintptr_t);
    auto call = reinterpret_cast<Wide>(reinterpret_cast<void*>(fn));
    return CallResult{call(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]), 0};
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // Only the DLL the caller names is loaded: its dependencies never come from the current directory.
    SetDllDirectoryA("");

    bool forceText = false, forceInt = false, showTextArgs = false;
    int next = 1;
    for (; next < argc && std::strncmp(argv[next], "--", 2) == 0; ++next) {
        const std::string option = argv[next];
        if (option == "--help") {
            PrintHelp();
            return 0;
        }
        if (option == "--text") forceText = true;
        else if (option == "--int") forceInt = true;
        else if (option == "--show-text-args") showTextArgs = true;
        else return Fail("unknown option '" + option + "' (see modcall --help)");
    }
    if (forceText && forceInt) return Fail("--text and --int exclude each other");
    if (argc - next < 2) return Fail("usage: modcall [options] DLL EXPORT [ARG...] (see modcall --help)");
    const std::string dllPath = argv[next];
    const std::string exportName = argv[next + 1];

    std::vector<modcall::Argument> arguments;
    for (int i = next + 2; i < argc; ++i) {
        modcall::Argument argument;
        std::string error;
        if (!modcall::ParseArgument(argv[i], argument, error)) return Fail(error);
        arguments.push_back(argument);
    }
    if (arguments.size() > kMaxArguments) return Fail("too many arguments (at most 8)");

    char fullPath[MAX_PATH];
    DWORD length = GetFullPathNameA(dllPath.c_str(), sizeof fullPath, fullPath, nullptr);
    if (length == 0 || length >= sizeof fullPath) return Fail("cannot resolve the path '" + dllPath + "'");
    HMODULE module = LoadLibraryExA(fullPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return Fail("cannot load '" + std::string(fullPath) + "' (error " +
                             std::to_string(GetLastError()) + ")");
    FARPROC fn = GetProcAddress(module, exportName.c_str());
    if (!fn) {
        FreeLibrary(module);
        return Fail("'" + std::string(fullPath) + "' has no export named '" + exportName + "'");
    }

    // Each text argument gets its own writable, zero-terminated buffer, as an installer's variables would.
    std::vector<std::vector<char>> buffers(arguments.size());
    std::vector<uintptr_t> slots;
    for (size_t i = 0; i < arguments.size(); ++i) {
        switch (arguments[i].kind) {
            case modcall::ArgumentKind::Integer: slots.push_back(arguments[i].integer); break;
            case modcall::ArgumentKind::Null: slots.push_back(0); break;
            case modcall::ArgumentKind::Text:
                buffers[i].assign(arguments[i].text.begin(), arguments[i].text.end());
                buffers[i].push_back('\0');
                slots.push_back(reinterpret_cast<uintptr_t>(buffers[i].data()));
                break;
        }
    }

    const CallResult result = CallExport(fn, slots);
    if (result.stackImbalance != 0) {
        std::fprintf(stderr, "modcall: %s left the stack %d bytes off: it does not take %u arguments as __stdcall\n",
                     exportName.c_str(), static_cast<int>(result.stackImbalance),
                     static_cast<unsigned>(slots.size()));
        return kExitUnbalancedStack;
    }

    modcall::ResultKind kind = modcall::DefaultResultKind(exportName);
    if (forceText) kind = modcall::ResultKind::Text;
    if (forceInt) kind = modcall::ResultKind::Integer;
    if (kind == modcall::ResultKind::Text) {
        const char* text = reinterpret_cast<const char*>(result.value);
        if (!text) std::printf("(null)\n");
        else if (IsBadStringPtrA(text, UINT_PTR(-1))) std::printf("(unreadable pointer %p)\n", text);
        else std::printf("%s\n", text);
    } else {
        std::printf("%d\n", static_cast<int32_t>(static_cast<uint32_t>(result.value)));
    }
    if (showTextArgs) {
        for (size_t i = 0; i < arguments.size(); ++i)
            if (arguments[i].kind == modcall::ArgumentKind::Text)
                std::printf("arg %u: %s\n", static_cast<unsigned>(i + 1), buffers[i].data());
    }
    std::fflush(stdout);
    FreeLibrary(module);
    return 0;
}
