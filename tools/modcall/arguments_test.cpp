#include "tools/modcall/arguments.h"

#include <gtest/gtest.h>

namespace {

struct Good {
    const char* word;
    modcall::ArgumentKind kind;
    uint32_t integer;
    const char* text;
};

TEST(ModcallArguments, AcceptsTheDocumentedForms) {
    const Good cases[] = {
        {"i:42", modcall::ArgumentKind::Integer, 42, ""},
        {"i:0", modcall::ArgumentKind::Integer, 0, ""},
        {"i:-1", modcall::ArgumentKind::Integer, 0xFFFFFFFFu, ""},
        {"i:-2147483648", modcall::ArgumentKind::Integer, 0x80000000u, ""},
        {"i:4294967295", modcall::ArgumentKind::Integer, 0xFFFFFFFFu, ""},
        {"i:0x7F", modcall::ArgumentKind::Integer, 0x7F, ""},
        {"i:+7", modcall::ArgumentKind::Integer, 7, ""},
        {"s:C:\\x", modcall::ArgumentKind::Text, 0, "C:\\x"},
        {"s:", modcall::ArgumentKind::Text, 0, ""},
        {"s:i:42", modcall::ArgumentKind::Text, 0, "i:42"},
        {"null", modcall::ArgumentKind::Null, 0, ""},
    };
    for (const Good& c : cases) {
        modcall::Argument arg;
        std::string error;
        ASSERT_TRUE(modcall::ParseArgument(c.word, arg, error)) << c.word << ": " << error;
        EXPECT_EQ(arg.kind, c.kind) << c.word;
        EXPECT_EQ(arg.integer, c.integer) << c.word;
        EXPECT_EQ(arg.text, c.text) << c.word;
    }
}

TEST(ModcallArguments, RefusesWhatItCannotPassOnExactly) {
    for (const char* word : {"42", "x:1", "i:", "i:abc", "i:12abc", "i:4294967296", "i:-2147483649", "i:--1",
                             "i:- 1", "i:0x", "i:0x1FFFFFFFF", "I:1", "S:x", "", "nul"}) {
        modcall::Argument arg;
        std::string error;
        EXPECT_FALSE(modcall::ParseArgument(word, arg, error)) << word;
        EXPECT_FALSE(error.empty()) << word;
    }
}

TEST(ModcallArguments, ShowsTextOnlyForTheTextExport) {
    EXPECT_EQ(modcall::DefaultResultKind("GetFileDescription"), modcall::ResultKind::Text);
    EXPECT_EQ(modcall::DefaultResultKind("IsAfter"), modcall::ResultKind::Integer);
    EXPECT_EQ(modcall::DefaultResultKind("getfiledescription"), modcall::ResultKind::Integer);
}

}  // namespace
