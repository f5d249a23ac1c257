// A reporter that refuses every job: it opens the block "MiniDumperParams", writes 0 into `result`, and leaves
// "reporter-refused" in the current directory with the process id it read and its command line.
#include <windows.h>

#include <cstdio>

int main() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "MiniDumperParams");
    if (!mapping) return 1;
    auto* block = static_cast<volatile DWORD*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!block) return 1;
    block[0] = 0;
    if (FILE* marker = std::fopen("reporter-refused", "w")) {
        std::fprintf(marker, "%lu %s\n", static_cast<unsigned long>(block[1]), GetCommandLineA());
        std::fclose(marker);
    }
    UnmapViewOfFile(const_cast<DWORD*>(block));
    CloseHandle(mapping);
    return 7;  // a nonzero exit code is not an answer
}
