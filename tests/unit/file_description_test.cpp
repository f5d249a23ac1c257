// GetFileDescription against fake version resources: the query for the first translation, the held copy, and
// the one constant empty text for every failure, with no version data block left behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "installer/exports.h"
#include "installer/shared_text.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_storage.h"
#include "tests/fakes/fake_version_info.h"

namespace {

const char* EmptyText() { return installer::SharedText::EmptyRepresentation().text; }

fakes::VersionResource Described(const std::string& description, uint16_t language = 0x0409,
                                 uint16_t codePage = 0x04B0) {
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04X%04X\\FileDescription", language, codePage);
    fakes::VersionResource resource;
    resource.translation = {language, codePage};
    resource.strings[key] = description;
    return resource;
}

TEST(FileDescription, QueriesTheFirstTranslationAndReturnsACopyOfTheDescription) {
    fakes::VersionInfo().files["C:\\app.exe"] = Described("The App");
    const int liveBefore = fakes::Storage().liveBlocks;
    const char* text = GetFileDescription("C:\\app.exe");
    EXPECT_STREQ(text, "The App");
    const std::string query = "\\StringFileInfo\\040904b0\\fileDescription";
    EXPECT_EQ(query.size(), 40u);
    EXPECT_EQ(fakes::CallLog(), (std::vector<std::string>{
                                    "VersionInfoSize(\"C:\\app.exe\")",
                                    "AllocateStorage(4096)",
                                    "ReadVersionInfo(\"C:\\app.exe\", 4096)",
                                    "QueryVersionValue(\"\\VarFileInfo\\Translation\")",
                                    "QueryVersionValue(\"" + query + "\")",
                                    "AllocateStorage(" +
                                        std::to_string(sizeof(installer::SharedTextRepresentation) + 8) + ")",
                                }));
    // The version data block is gone; the copy is the one block left, replacing the one held before (if any).
    EXPECT_LE(fakes::Storage().liveBlocks, liveBefore + 1);
    EXPECT_GE(fakes::Storage().liveBlocks, liveBefore);
}

TEST(FileDescription, FormatsLanguageAndCodePageAsLowerCaseHex) {
    fakes::VersionInfo().files["C:\\de.dll"] = Described("Beschreibung", 0x0C07, 0xFDE9);
    EXPECT_STREQ(GetFileDescription("C:\\de.dll"), "Beschreibung");
    EXPECT_EQ(fakes::CallLog()[4], "QueryVersionValue(\"\\StringFileInfo\\0c07fde9\\fileDescription\")");
}

TEST(FileDescription, EveryFailureGivesTheOneConstantEmptyTextAndLeavesNoBlock) {
    struct Case {
        const char* what;
        fakes::VersionResource resource;
        bool exists = true;
    };
    fakes::VersionResource readFails = Described("x");
    readFails.readFails = true;
    fakes::VersionResource noTable = Described("x");
    noTable.hasTranslationTable = false;
    fakes::VersionResource emptyTable = Described("x");
    emptyTable.translation.clear();
    fakes::VersionResource halfPair = Described("x");
    halfPair.translation = {0x0409};
    fakes::VersionResource otherCodePage = Described("x", 0x0409, 0x04B0);
    otherCodePage.translation = {0x0409, 0x04E4};
    fakes::VersionResource laterPairOnly = Described("Second", 0x0409, 0x04B0);
    laterPairOnly.translation = {0x0407, 0x04E4, 0x0409, 0x04B0};
    const Case cases[] = {
        {"no such file", {}, false},
        {"the block cannot be filled", readFails},
        {"no translation table", noTable},
        {"an empty translation table", emptyTable},
        {"less than one pair", halfPair},
        {"only a later pair has a string table", laterPairOnly},
        {"an empty description", Described("")},
        {"a string table for another code page only", otherCodePage},
    };
    const int32_t emptyReferences = installer::SharedText::EmptyRepresentation().references;
    GetFileDescription("C:\\not there.exe");  // makes the empty result text if no earlier test did
    const int32_t emptyReferencesAfterFirstFailure = installer::SharedText::EmptyRepresentation().references;
    EXPECT_LE(emptyReferencesAfterFirstFailure, emptyReferences + 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::VersionInfo().files.clear();
        if (c.exists) fakes::VersionInfo().files["C:\\f.dll"] = c.resource;
        const int liveBefore = fakes::Storage().liveBlocks;
        const char* text = GetFileDescription("C:\\f.dll");
        EXPECT_EQ(text, EmptyText());
        EXPECT_LE(fakes::Storage().liveBlocks, liveBefore);
    }
    // An empty description replaces the held one with the empty text; every other failure leaves the count as is.
    EXPECT_LE(installer::SharedText::EmptyRepresentation().references, emptyReferencesAfterFirstFailure + 1);
    EXPECT_EQ(GetFileDescription(nullptr), EmptyText());
}

TEST(FileDescription, WithoutStorageTheResultIsTheEmptyTextAndTheHeldTextStays) {
    fakes::VersionInfo().files["C:\\a.dll"] = Described("First");
    fakes::VersionInfo().files["C:\\b.dll"] = Described("Second");
    const char* first = GetFileDescription("C:\\a.dll");
    ASSERT_STREQ(first, "First");
    const int liveBefore = fakes::Storage().liveBlocks;
    for (int refused : {0, 1}) {  // the version data block, then the copy of the description
        SCOPED_TRACE(refused == 0 ? "no block" : "no copy");
        fakes::Storage().allocations = 0;
        fakes::Storage().refuseFrom = refused;
        EXPECT_EQ(GetFileDescription("C:\\b.dll"), EmptyText());
        EXPECT_EQ(fakes::Storage().liveBlocks, liveBefore);
        EXPECT_STREQ(first, "First");
    }
    fakes::Storage().refuseFrom = -1;
    EXPECT_STREQ(GetFileDescription("C:\\b.dll"), "Second");
}

TEST(FileDescription, TheFirstTextStaysReadableUntilTheSecondCallAndIsThenReplaced) {
    fakes::VersionInfo().files["C:\\a.dll"] = Described("First description");
    fakes::VersionInfo().files["C:\\b.dll"] = Described("Second description");
    const char* first = GetFileDescription("C:\\a.dll");
    const int liveAfterFirst = fakes::Storage().liveBlocks;
    GetFileDescription("C:\\missing.dll");
    EXPECT_STREQ(first, "First description") << "a failed lookup released the held text";
    const char* second = GetFileDescription("C:\\b.dll");
    EXPECT_STREQ(second, "Second description");
    EXPECT_EQ(fakes::Storage().liveBlocks, liveAfterFirst) << "the first copy was not released";
}

}  // namespace
