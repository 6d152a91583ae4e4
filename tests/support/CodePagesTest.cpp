#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/CodePages.h"

namespace tallowin::support {
namespace {

// Bytes from hex digits; blanks between them are ignored.
Bytes Hex(std::string_view hex) {
    Bytes out;
    std::string digits;
    for (char c : hex) {
        if (c == ' ') continue;
        digits += c;
        if (digits.size() == 2) {
            out.push_back(static_cast<std::uint8_t>(std::stoi(digits, nullptr, 16)));
            digits.clear();
        }
    }
    return out;
}

std::string ToHex(const Bytes& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (auto b : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string ToHex(const Text& text) { return ToHex(common::ToBytes(text)); }

TEST(CodePages, TextToWide) {
    const struct {
        const char* text;
        std::optional<int> codePage;
        const char* wide;
    } cases[] = {
        {"abc", 65001, "61 00 62 00 63 00 00 00"},
        {"abc", std::nullopt, "61 00 62 00 63 00 00 00"},
        {"", std::nullopt, "00 00"},
        {"中文", 936, "2D 4E 87 65 00 00"},
        {"中文", 0, "2D 4E 87 65 00 00"},
        // 中 in UTF-8 reads as two GBK units, so the buffer keeps one spare zero unit.
        {"\xE4\xB8\xAD", 65001, "2D 4E 00 00 00 00"},
        // Invalid UTF-8 needs more units than the GBK measure: the buffer grows.
        {"\xD6\xD0\xCE\xC4", 65001, "FD FF FD FF FD FF FD FF 00 00"},
        // Outside the BMP: a surrogate pair.
        {"\xF0\x9F\x98\x80", 65001, "3D D8 00 DE 00 00"},
        // A code page that cannot convert leaves the measured buffer zero.
        {"abc", 12345, "00 00 00 00 00 00 00 00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToHex(TextToWide(c.text, c.codePage)), c.wide)
            << "text " << ToHex(Text(c.text)) << " page " << c.codePage.value_or(-1);
    }
}

TEST(CodePages, WideToText) {
    const struct {
        const char* wide;
        std::optional<int> codePage;
        const char* text;
    } cases[] = {
        {"61 00 62 00 00 00", std::nullopt, "ab"},
        {"2D 4E 87 65 00 00", std::nullopt, "中文"},
        {"2D 4E 87 65 00 00", 65001, "\xE4\xB8\xAD\xE6\x96\x87"},
        // Up to the first zero unit; without one the whole buffer; an odd byte is no unit.
        {"61 00 00 00 62 00 00 00", std::nullopt, "a"},
        {"61 00 62 00", std::nullopt, "ab"},
        {"61 00 62", std::nullopt, "a"},
        {"", std::nullopt, ""},
        // Four Thai letters: 3 UTF-8 bytes each, more than twice the ANSI measure.
        {"01 0E 02 0E 03 0E 04 0E 00 00", 65001,
         "\xE0\xB8\x81\xE0\xB8\x82\xE0\xB8\x83\xE0\xB8\x84"},
        {"01 0E 00 00", 936, "?"},
        {"3D D8 00 DE 00 00", 65001, "\xF0\x9F\x98\x80"},
        {"00 D8 61 00 00 00", 65001,
         "\xEF\xBF\xBD"
         "a"},  // a lone surrogate
        {"61 00 00 00", 12345, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToHex(WideToText(Hex(c.wide), c.codePage)), ToHex(Text(c.text)))
            << "wide " << c.wide << " page " << c.codePage.value_or(-1);
    }
}

TEST(CodePages, GbkAndUtf8RoundTrip) {
    const struct {
        const char* gbk;
        const char* utf8;
    } cases[] = {
        {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},
        {"plain ASCII 0-9 ~", "plain ASCII 0-9 ~"},
        {"", ""},
        {"\x80", "\xE2\x82\xAC"},                  // the euro sign of the Windows table
        {"\xA8\xA1\xA8\xBF", "\xC4\x81\xC7\xB9"},  // ā ǹ
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToHex(GbkToUtf8(c.gbk)), ToHex(Text(c.utf8))) << c.gbk;
        EXPECT_EQ(ToHex(Utf8ToGbk(c.utf8)), ToHex(Text(c.gbk))) << c.gbk;
    }
}

TEST(CodePages, InvalidInputIsReplacedNotDropped) {
    const struct {
        const char* name;
        Text (*convert)(const Text&);
        const char* input;
        const char* output;
    } cases[] = {
        {"lone GBK lead at the end", GbkToUtf8, "a\x81", "a\xEF\xBF\xBD"},
        {"invalid trail byte survives", GbkToUtf8, "\x81 ", "\xEF\xBF\xBD "},
        {"byte FF", GbkToUtf8, "\xFF", "\xEF\xBF\xBD"},
        {"cut UTF-8 sequence is one mark", Utf8ToGbk,
         "\xE4\xB8"
         "a",
         "?a"},
        {"GBK bytes read as UTF-8", Utf8ToGbk, "\xD6\xD0\xCE\xC4", "????"},
        {"UTF-8 outside the BMP", Utf8ToGbk, "\xF0\x9F\x98\x80", "?"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToHex(c.convert(c.input)), ToHex(Text(c.output))) << c.name;
    }
}

TEST(CodePages, WideBufferToGbk) {
    const struct {
        const char* name;
        const char* wide;
        const char* gbk;
    } cases[] = {
        {"no terminator", "3C 00 68 00 74 00 6D 00 6C 00 3E 00", "<html>"},
        {"odd last byte", "3C 00 68 00 74 00 6D 00 6C 00 3E 00 3C", "<html>"},
        {"zero unit ends the text", "61 00 00 00 62 00", "a"},
        {"empty", "", ""},
        {"Chinese", "2D 4E 87 65", "中文"},
        {"outside GBK", "61 00 01 0E 62 00", "a?b"},
        {"outside the BMP is one mark", "3D D8 00 DE", "?"},
        {"a + macron", "61 00 04 03", "\xA8\xA1"},
        {"u + diaeresis + caron", "75 00 08 03 0C 03", "\xA8\xB7"},
        {"n + grave", "6E 00 00 03", "\xA8\xBF"},
        {"Cyrillic e + diaeresis", "35 04 08 03", "\xA7\xD7"},
        {"no precomposed form", "78 00 01 03", "x?"},
        {"mark at the start", "01 03 61 00", "?a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToHex(WideBufferToGbk(Hex(c.wide))), ToHex(Text(c.gbk))) << c.name;
    }
}

}  // namespace
}  // namespace tallowin::support
