// Reads the description text of a file's version resource, in the first language and code page the resource
// lists, and holds it for the caller until the next successful lookup.
#include <cstdio>
#include <cstring>

#include "installer/exports.h"
#include "installer/shared_text.h"
#include "platform/storage.h"
#include "platform/version_info.h"

namespace {

// The copy handed out by the last successful lookup; released at unload.
installer::SharedText heldDescription;

constexpr size_t kQueryCapacity = 512;
constexpr uint32_t kTranslationPairBytes = 4;

// The text every failed lookup returns: the constant empty string, held by a value that is made on the first
// failure and released at unload.
const char* EmptyResult() {
    static installer::SharedText emptyResult;
    return emptyResult.c_str();
}

// True when the file's version data lists a translation and has a description for the first one; `description`
// then holds a copy of it. The version data block is released before returning.
bool LookUpDescription(const char* fileName, installer::SharedText& description) {
    const uint32_t size = platform::VersionInfoSize(fileName);
    if (size == 0) return false;
    platform::UniqueStorage block(size);
    if (!block || !platform::ReadVersionInfo(fileName, size, block.get())) return false;

    const void* table = nullptr;
    uint32_t tableBytes = 0;
    if (!platform::QueryVersionValue(block.get(), "\\VarFileInfo\\Translation", table, tableBytes) ||
        tableBytes < kTranslationPairBytes)
        return false;
    uint16_t pair[2];
    std::memcpy(pair, table, sizeof pair);

    char query[kQueryCapacity];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\fileDescription", pair[0], pair[1]);
    const void* text = nullptr;
    uint32_t textLength = 0;
    if (!platform::QueryVersionValue(block.get(), query, text, textLength)) return false;
    // The copy stops at the terminating zero and never reads past the length the resource gives.
    return installer::SharedText::Make(static_cast<const char*>(text), textLength, description);
}

}  // namespace

extern "C" const char* SETUPAID_STDCALL GetFileDescription(const char* fileName) {
    installer::SharedText description;
    if (!fileName || !LookUpDescription(fileName, description)) return EmptyResult();
    heldDescription = description;
    return heldDescription.c_str();
}
