// Makes a shortcut in the given folder and retargets it through setupaid.dll, for a check by a reader on the
// Linux side. Usage: retarget_link_host FOLDER
//   FOLDER\old.lnk -> C:\windows\notepad.exe is created, then CheckShortCutAndUpdateIfNecessary retargets it to
//   C:\windows\regedit.exe under FOLDER\new.lnk. Prints the result code; exit 0 when it is 0.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using CheckShortCutFn = int32_t(WINAPI*)(const char*, char*, const char*, const char*);

bool CreateLink(const std::string& path, const char* target) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(link->SetPath(target)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(path.begin(), path.end());
        saved = SUCCEEDED(file->Save(wide.c_str(), TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

std::string ModuleBeside() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "setupaid.dll";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: retarget_link_host FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    CoInitialize(nullptr);
    if (!CreateLink(folder + "old.lnk", "C:\\windows\\notepad.exe")) {
        std::fprintf(stderr, "could not create %sold.lnk\n", folder.c_str());
        return 2;
    }
    HMODULE module = LoadLibraryA(ModuleBeside().c_str());
    auto check = module ? reinterpret_cast<CheckShortCutFn>(
                              reinterpret_cast<void*>(GetProcAddress(module, "CheckShortCutAndUpdateIfNecessary")))
                        : nullptr;
    if (!check) {
        std::fprintf(stderr, "could not load setupaid.dll\n");
        return 2;
    }
    char expected[] = "c:\\windows\\notepad.exe";
    const int32_t result = check((folder + "old.lnk").c_str(), expected, "C:\\windows\\regedit.exe",
                                 (folder + "new.lnk").c_str());
    std::printf("%d\n", static_cast<int>(result));
    FreeLibrary(module);
    return result == 0 ? 0 : 1;
}
