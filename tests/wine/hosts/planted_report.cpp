// A Report.exe planted in the current directory: if it is ever started, it leaves "planted-report-ran" in the
// current directory.
#include <windows.h>

int main() {
    HANDLE marker = CreateFileA("planted-report-ran", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return 0;
}
