// SharedText: one block per non-empty text, the shared empty representation, reference counting.
#include <gtest/gtest.h>

#include <string>

#include "installer/shared_text.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_storage.h"

namespace {

using installer::SharedText;
using installer::SharedTextRepresentation;

TEST(SharedText, ANonEmptyTextIsOneBlockWithItsBytesBehindTheFields) {
    const int liveBefore = fakes::Storage().liveBlocks;
    {
        SharedText text;
        ASSERT_TRUE(SharedText::Make("Setup Aid", 100, text));
        EXPECT_EQ(fakes::CallLog(),
                  std::vector<std::string>{"AllocateStorage(" + std::to_string(sizeof(SharedTextRepresentation) + 10) +
                                           ")"});
        const SharedTextRepresentation& representation = text.representation();
        EXPECT_EQ(representation.text, reinterpret_cast<const char*>(&representation + 1));
        EXPECT_STREQ(text.c_str(), "Setup Aid");
        EXPECT_EQ(representation.length, 9);
        EXPECT_EQ(representation.references, 1);
        EXPECT_EQ(representation.constantText, 0);
        EXPECT_EQ(representation.oneBlock, 1);
        EXPECT_EQ(fakes::Storage().liveBlocks, liveBefore + 1);
    }
    EXPECT_EQ(fakes::Storage().liveBlocks, liveBefore);
}

TEST(SharedText, CopiesShareOneRepresentationFreedWithTheLastReference) {
    const int liveBefore = fakes::Storage().liveBlocks;
    SharedText first;
    ASSERT_TRUE(SharedText::Make("x", 10, first));
    {
        SharedText second(first);
        SharedText third;
        third = second;
        third = third;
        EXPECT_EQ(second.c_str(), first.c_str());
        EXPECT_EQ(first.representation().references, 3);
    }
    EXPECT_EQ(first.representation().references, 1);
    EXPECT_EQ(fakes::Storage().allocations, 1);
    first = SharedText();
    EXPECT_EQ(fakes::Storage().liveBlocks, liveBefore);
}

TEST(SharedText, EmptyTextsShareTheConstantRepresentationAndAllocateNothing) {
    const SharedTextRepresentation& empty = SharedText::EmptyRepresentation();
    EXPECT_STREQ(empty.text, "");
    EXPECT_EQ(empty.length, 0);
    EXPECT_EQ(empty.constantText, 1);
    EXPECT_EQ(empty.oneBlock, 0);
    const int32_t referencesBefore = empty.references;
    EXPECT_GE(referencesBefore, 1) << "the module-wide pointer holds a reference of its own";
    {
        SharedText none, fromNull, fromEmpty, fromZeroLength;
        EXPECT_TRUE(SharedText::Make(nullptr, 10, fromNull));
        EXPECT_TRUE(SharedText::Make("", 10, fromEmpty));
        EXPECT_TRUE(SharedText::Make("abc", 0, fromZeroLength));
        for (const SharedText* text : {&none, &fromNull, &fromEmpty, &fromZeroLength})
            EXPECT_EQ(text->c_str(), empty.text);
        EXPECT_EQ(empty.references, referencesBefore + 4);
    }
    EXPECT_EQ(empty.references, referencesBefore);
    EXPECT_EQ(fakes::Storage().allocations, 0);
}

TEST(SharedText, CopiesNoMoreThanTheGivenLength) {
    SharedText text;
    ASSERT_TRUE(SharedText::Make("abcdef", 3, text));
    EXPECT_STREQ(text.c_str(), "abc");
    EXPECT_EQ(text.representation().length, 3);
}

TEST(SharedText, WithoutStorageTheValueIsLeftAsItWas) {
    SharedText text;
    ASSERT_TRUE(SharedText::Make("kept", 10, text));
    fakes::FailNext("AllocateStorage");
    EXPECT_FALSE(SharedText::Make("other", 10, text));
    EXPECT_STREQ(text.c_str(), "kept");
    EXPECT_EQ(text.representation().references, 1);
}

}  // namespace
