// The temporary directory the fake reports; `fails` makes TempDirectory return 0.
#pragma once

#include <string>

namespace fakes {

struct TempDirectoryState {
    std::string path = "C:\\Temp\\";
    bool fails = false;
};

TempDirectoryState& TempDirectory();

}  // namespace fakes
