// Fake version resources by file name. The block a lookup reads is real storage of the reported size: the
// fake writes the file's name into it when it is filled, and each query copies the datum into the block and
// returns a pointer there, so a copy made after the block is released reads freed memory (ASan reports it).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/version_info.h"

namespace fakes {

struct VersionResource {
    bool hasTranslationTable = true;
    std::vector<uint16_t> translation;           // language, code page, language, code page, ...
    std::map<std::string, std::string> strings;  // "\\StringFileInfo\\040904b0\\FileDescription" -> text
    bool readFails = false;                      // the size is reported but the block cannot be filled
};

struct VersionInfoState {
    std::map<std::string, VersionResource> files;
};

VersionInfoState& VersionInfo();

// The size the fake reports for every file that has a resource.
constexpr uint32_t kFakeVersionBlockSize = 4096;

}  // namespace fakes
