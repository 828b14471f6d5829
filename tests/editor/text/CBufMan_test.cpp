#include "editor/text/CBufMan.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string Content(const CBufMan& b) {
    return std::string(reinterpret_cast<const char*>(b.Bytes()), b.ByteLength());
}

int Put(CBufMan& b, uint32_t offset, uint32_t removed, const char* text) {
    return b.Replace(offset, removed, text, uint32_t(std::strlen(text)));
}

TEST(CBufMan, ReplaceRemovesAndInsertsInOneStep) {
    struct Case {
        const char* name;
        uint32_t offset, removed;
        const char* inserted;
        const char* expected;
    };
    const Case cases[] = {
        {"insert in the middle", 3, 0, "XY", "abcXYdefgh"},
        {"remove in the middle", 2, 3, "", "abfgh"},
        {"shorter replacement", 1, 4, "Z", "aZfgh"},
        {"longer replacement", 1, 1, "1234", "a1234cdefgh"},
        {"append", 8, 0, "!!", "abcdefgh!!"},
        {"remove the tail", 5, 3, "", "abcde"},
        {"replace all", 0, 8, "new", "new"},
    };
    for (const Case& c : cases) {
        CBufMan b(4);
        ASSERT_EQ(Put(b, 0, 0, "abcdefgh"), 0);
        EXPECT_EQ(Put(b, c.offset, c.removed, c.inserted), 0) << c.name;
        EXPECT_EQ(Content(b), c.expected) << c.name;
    }
}

TEST(CBufMan, CapacityGrowsInWholeStepsAndOnlyWhenNeeded) {
    CBufMan b(40);
    EXPECT_EQ(b.Capacity(), 0u);
    ASSERT_EQ(Put(b, 0, 0, "0123456789"), 0);
    EXPECT_EQ(b.Capacity(), 40u);
    const unsigned char* block = b.Bytes();
    ASSERT_EQ(Put(b, 10, 0, "0123456789012345678901234"), 0);  // 35 bytes: still fits
    EXPECT_EQ(b.Bytes(), block);
    ASSERT_EQ(Put(b, 35, 0, "0123456789"), 0);  // 45 bytes
    EXPECT_EQ(b.Capacity(), 80u);
    EXPECT_EQ(b.ByteLength(), 45u);
    EXPECT_EQ(Content(b).substr(35), "0123456789");
}

TEST(CBufMan, RunOutsideTheContentFailsAndChangesNothing) {
    CBufMan b(8);
    ASSERT_EQ(Put(b, 0, 0, "abc"), 0);
    EXPECT_EQ(Put(b, 4, 0, "x"), -1);
    EXPECT_EQ(Put(b, 2, 2, "x"), -1);
    EXPECT_EQ(b.Replace(0, 0, nullptr, 2), -1);
    EXPECT_EQ(Content(b), "abc");
}

TEST(CBufMan, MoveHandsOverTheBlock) {
    CBufMan a(8);
    ASSERT_EQ(Put(a, 0, 0, "abc"), 0);
    CBufMan b(std::move(a));
    EXPECT_EQ(Content(b), "abc");
    EXPECT_EQ(a.ByteLength(), 0u);
    EXPECT_EQ(a.Bytes(), nullptr);
    a = std::move(b);
    EXPECT_EQ(Content(a), "abc");
}

}  // namespace
