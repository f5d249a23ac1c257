#include "crash/reporter_location.h"

#include <cstring>

#include "crash/reporter_block.h"
#include "platform/processes.h"

namespace crash {

bool PathBesideFile(const char* filePath, const char* fileName, char* out, uint32_t size) {
    if (!filePath || !fileName || !out) return false;
    const char* lastSlash = std::strrchr(filePath, '\\');
    const char* lastForward = std::strrchr(filePath, '/');
    if (!lastSlash || (lastForward && lastForward > lastSlash)) lastSlash = lastForward;
    if (!lastSlash) return false;
    const size_t directoryLength = static_cast<size_t>(lastSlash - filePath) + 1;
    const size_t nameLength = std::strlen(fileName);
    if (directoryLength + nameLength + 1 > size) return false;
    std::memmove(out, filePath, directoryLength);
    std::memcpy(out + directoryLength, fileName, nameLength + 1);
    return true;
}

namespace {

bool ReporterBeside(const char* filePath, uint32_t length, char* out, uint32_t size) {
    return length != 0 && PathBesideFile(filePath, kReporterFileName, out, size) && platform::FileExists(out);
}

}  // namespace

bool FindReporterProgram(char* out, uint32_t size) {
    char ownFile[264];
    const uint32_t ownLength = platform::ModuleFilePath(reinterpret_cast<const void*>(&FindReporterProgram),
                                                        ownFile, sizeof ownFile);
    if (ReporterBeside(ownFile, ownLength, out, size)) return true;
    char hostFile[264];
    const uint32_t hostLength = platform::HostExecutablePath(hostFile, sizeof hostFile);
    return ReporterBeside(hostFile, hostLength, out, size);
}

}  // namespace crash
