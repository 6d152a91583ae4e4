#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "platform/CodePage.h"

namespace tallowin::platform {
namespace {

TEST(CodePage, EveryGbkCharacterRoundTrips) {
    // Every valid pair decodes to one character and encodes back to the same pair.
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string wide = MultiByteToWide(pair, kCodePageGbk);
            if (wide.find(u'\uFFFD') != std::u16string::npos) continue;  // not a character
            ASSERT_EQ(wide.size(), 1u) << std::hex << lead << " " << trail;
            ASSERT_EQ(WideToMultiByte(wide, kCodePageGbk), pair)
                << std::hex << lead << " " << trail;
            ++characters;
        }
    }
    // GBK's 21886 code points less its unassigned and user-defined ones.
    EXPECT_GE(characters, 21790);
}

TEST(CodePage, AgreesWithIconvOnAMixedText) {
    const std::string utf8 = reinterpret_cast<const char*>(
        u8"GBK 文本，含全角标点“引号”、日本語かな、Ελληνικη、русский ё, €  123");
    iconv_t cd = iconv_open("CP936", "UTF-8");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string gbk(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* out = gbk.data();
    std::size_t outLeft = gbk.size();
    iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    ASSERT_EQ(inLeft, 0u);  // every character above is in GBK
    gbk.resize(gbk.size() - outLeft);

    const std::u16string wide = MultiByteToWide(utf8, kCodePageUtf8);
    EXPECT_EQ(WideToMultiByte(wide, kCodePageGbk), gbk);
    EXPECT_EQ(MultiByteToWide(gbk, kCodePageAnsi), wide);
    EXPECT_EQ(WideToMultiByte(wide, kCodePageUtf8), utf8);
}

TEST(CodePage, UnknownCodePageGivesNothing) {
    EXPECT_EQ(MultiByteToWide("abc", 1252), u"");
    EXPECT_EQ(WideToMultiByte(u"abc", 1252), "");
}

TEST(CodePage, CompositeCheckOnlyWhenAsked) {
    const std::u16string decomposed = u"pi\u0304n";
    EXPECT_EQ(WideToMultiByte(decomposed, kCodePageGbk, true), "p\xA8\xA9n");
    EXPECT_EQ(WideToMultiByte(decomposed, kCodePageGbk, false), "pi?n");
    // Precomposed text is left as it is.
    EXPECT_EQ(WideToMultiByte(u"\u01D6", kCodePageGbk, true), "\xA8\xB5");
}

TEST(CodePage, LargeMixedBufferKeepsItsLength) {
    // One conversion of a whole page: ASCII runs broken by Chinese characters.
    std::u16string wide;
    for (int i = 0; i < 100000; ++i) wide += (i % 7 == 0) ? u"中" : u"ab";
    const std::string gbk = WideToMultiByte(wide, kCodePageGbk);
    EXPECT_EQ(gbk.size(), wide.size() + 100000 / 7 + 1);
    EXPECT_EQ(MultiByteToWide(gbk, kCodePageGbk), wide);
}

}  // namespace
}  // namespace tallowin::platform
