#include <gtest/gtest.h>

#include <string>

#include "check/Segmentation.h"

namespace tallowin::check {
namespace {

Text Repeat(const Text& piece, int times) {
    Text out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(SplitCharacters, SplitsByLeadByteAndCrLf) {
    struct Case {
        const char* text;
        TextArray expected;
    };
    const Case cases[] = {
        {"", {}},
        {"a中b", {"a", "中", "b"}},
        {"\r\n", {"\r\n"}},
        {"\r\r\n\n", {"\r", "\r\n", "\n"}},
        {"\n\r", {"\n", "\r"}},
        {"\x81\x41", {"\x81\x41"}},   // trail byte "A" belongs to the character
        {"\x80\x41", {"\x80", "A"}},  // 0x80 stands alone
        {"a\xD6", {"a", "\xD6"}},     // a lone lead byte at the end is a character
        {"中\r", {"中", "\r"}},
    };
    for (const auto& c : cases) {
        TextArray characters{"stale"};
        const int n = SplitCharacters(c.text, characters);
        EXPECT_EQ(characters, c.expected) << "text \"" << c.text << "\"";
        EXPECT_EQ(n, static_cast<int>(c.expected.size())) << "text \"" << c.text << "\"";
    }
}

TEST(SegmentArticle, GroupsThirtySixCharacters) {
    struct Case {
        int characters;
        std::vector<int> segmentBytes;
    };
    const Case cases[] = {
        {72, {72, 72}}, {80, {72, 72, 16}}, {36, {72}}, {35, {70}}, {1, {2}}, {0, {}},
    };
    for (const auto& c : cases) {
        TextArray segments;
        SegmentArticle(Repeat("汉", c.characters), segments);
        std::vector<int> bytes;
        for (const auto& s : segments) bytes.push_back(s.Length());
        EXPECT_EQ(bytes, c.segmentBytes) << c.characters << " characters";
    }
}

TEST(SegmentArticle, RemovesBlanksAndCrLfPairsOnly) {
    struct Case {
        const char* article;
        TextArray expected;
    };
    const Case cases[] = {
        {"你 好　世\r\n界", {"你好世界"}},
        {"a\r \nb", {"ab"}},       // CR and LF with a blank between vanish
        {"a\nb\rc", {"a\nb\rc"}},  // lone LF and lone CR stay
        {"a\tb", {"a\tb"}},        // a tab is not a blank
        {"ab\xD6", {"ab"}},        // lone lead byte at the end dropped
        {"  \r\n　\r\n ", {}},     // nothing but blanks and line breaks
        {"", {}},
    };
    for (const auto& c : cases) {
        TextArray segments;
        SegmentArticle(c.article, segments);
        EXPECT_EQ(segments, c.expected) << "article \"" << c.article << "\"";
    }
}

TEST(SegmentArticle, NeverSplitsADoubleByteCharacter) {
    TextArray segments;
    SegmentArticle("a中b文c\x81\x41\x80xy", 3, segments);
    // 0x80 is a character of its own when splitting; 0x81 0x41 is one.
    const TextArray expected{"a中b", "文c\x81\x41", "\x80xy"};
    EXPECT_EQ(segments, expected);
}

TEST(SegmentArticle, LoneLineFeedsCountAsCharacters) {
    // 36 characters where every second one is a lone LF.
    TextArray segments;
    SegmentArticle(Repeat("字\n", 20), segments);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0], Repeat("字\n", 18));
    EXPECT_EQ(segments[1], Repeat("字\n", 2));
}

TEST(SegmentArticle, AppendsAndTakesTheDefaultForUnusableLengths) {
    const Text article = Repeat("汉", 40);
    for (const std::optional<int> length :
         {std::optional<int>(), std::optional<int>(0), std::optional<int>(-3)}) {
        TextArray segments{"earlier"};
        SegmentArticle(article, length, segments);
        ASSERT_EQ(segments.size(), 3u);
        EXPECT_EQ(segments[0], "earlier");
        EXPECT_EQ(segments[1].Length(), 72);
        EXPECT_EQ(segments[2].Length(), 8);
    }
    TextArray single;
    SegmentArticle("ab中", 1, single);
    EXPECT_EQ(single, (TextArray{"a", "b", "中"}));
}

}  // namespace
}  // namespace tallowin::check
