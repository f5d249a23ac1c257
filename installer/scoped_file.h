// Owns a C stream and closes it on every way out.
#pragma once

#include <cstdio>

namespace installer {

struct ScopedFile {
    std::FILE* file;

    ~ScopedFile() { close(); }
    // Closes now; false when the close (which writes what is still buffered) failed.
    bool close() {
        if (!file) return true;
        const bool closed = std::fclose(file) == 0;
        file = nullptr;
        return closed;
    }
};

}  // namespace installer
