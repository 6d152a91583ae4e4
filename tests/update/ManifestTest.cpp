#include <gtest/gtest.h>

#include "common/TextOps.h"
#include "update/Manifest.h"
#include "update/UpdateDownload.h"

namespace tallowin::update {
namespace {

const Text kKey = "TESTKEY0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789ABCDEFGHIJKLM,aB3$dE6&gH9(";

TEST(Md5, MatchesTheReferenceVectors) {
    const struct {
        const char* input;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Md5Text(common::ToBytes(c.input)), Text(c.digest))
            << "input \"" << c.input << "\"";
    }
    EXPECT_EQ(HashHex(common::ToBytes("abc"), 0x8003, 16),
              Text("900150983CD24FB0D6963F7D28E17F72"));
    EXPECT_EQ(HashHex(common::ToBytes("abc"), 0x8003, 20), Text());  // wrong digest length
    EXPECT_EQ(HashHex(common::ToBytes("abc"), 0x1234, 16), Text());  // unknown algorithm
}

TEST(HexToInteger, TakesTheLastSixteenDigitsAndSkipsTheRest) {
    const struct {
        const char* hex;
        std::int64_t value;
    } cases[] = {
        {"", 0},
        {"7f", 0x7F},
        {"A0", 0xA0},
        {"g5", 5},
        {"zz", 0},
        {"5g", 5},
        {"FFFFFFFFFFFFFFFF", -1},
        {"1FFFFFFFFFFFFFFFF", -1},
        {"12-34", 0x1234},
        {"8000000000000000", INT64_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HexToInteger(c.hex), c.value) << "hex \"" << c.hex << "\"";
    EXPECT_EQ(HexToBytes("4a6"), (Bytes{0x4A, 0x06}));  // odd length: the last digit alone
}

TEST(DecodeManifest, ChecksTheTagAndDecodesThePayload) {
    const Text fields = Text("http://h/a.exe") + kKey + "v1.1.0" + kKey + "说明" + kKey + "真";
    const Text manifest = EncodeManifest(fields, kKey);
    const Text tag = ManifestTag(kKey);
    ASSERT_EQ(tag.Length(), 9);
    EXPECT_EQ(tag, common::ToUpper(common::Mid(Md5Text(common::ToBytes(kKey)), 3, 9)));
    EXPECT_EQ(common::Right(manifest, 9), tag);
    EXPECT_EQ(DecodeManifest(manifest, kKey), fields);

    // The payload's digits may be of either case.
    const Text payload = common::Left(manifest, manifest.Length() - 9);
    EXPECT_EQ(DecodeManifest(common::ToLower(payload) + tag, kKey), fields);
    // The tag depends on the key alone.
    EXPECT_EQ(common::Right(EncodeManifest("other", kKey), 9), tag);
    EXPECT_NE(ManifestTag(kKey + "x"), tag);

    EXPECT_EQ(DecodeManifest(tag, kKey), Text());
    EXPECT_EQ(DecodeManifest(manifest + "\r\n", kKey), Text());
    EXPECT_EQ(DecodeManifest(manifest, kKey + "x"), Text());
    EXPECT_EQ(DecodeManifest("", kKey), Text());
    // Only the payload may be in lower case: any tag letter lowered fails.
    for (int i = 0; i < 9; ++i) {
        if (tag.At(i) >= 'A' && tag.At(i) <= 'F') {
            const Text lowered = common::Left(tag, i) +
                                 common::ToLower(common::Mid(tag, i + 1, 1)) +
                                 common::Mid(tag, i + 2);
            EXPECT_EQ(DecodeManifest(payload + lowered, kKey), Text()) << "tag " << lowered;
        }
    }
    // "10" decodes to a zero byte, which ends the text.
    EXPECT_EQ(DecodeManifest("51"
                             "10"
                             "52" +
                                 tag,
                             kKey),
              Text("A"));
}

TEST(UpdateFileName, DecodesTheLastSegment) {
    const struct {
        const char* address;
        const char* name;
    } cases[] = {
        {"http://h/files/new%E7%89%88.exe", "new版.exe"},
        {"http://h/files/new%e7%89%88.exe", "new版.exe"},
        {"http://h/dir/", "dir"},
        {"http://h/new.exe?v=2", "new.exe?v=2"},
        {"http://h/a+b.exe", "a+b.exe"},
        {"http://h/100%.exe", "100%.exe"},  // "%" without two digits stays
        {"http://h/a%4", "a%4"},
        {"http://h/a%zz.exe", "a%zz.exe"},
        {"http://h/a%00b.exe", "ab.exe"},  // a zero byte is dropped
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateFileName(c.address), Text(c.name)) << "address " << c.address;
    }
    EXPECT_EQ(PercentDecode("%E7%89%88", false), Text(std::string_view("\xE7\x89\x88")));
}

TEST(SafeFileName, KeepsTheNameInsideItsFolder) {
    EXPECT_EQ(SafeFileName(UpdateFileName("http://h/..%2F..%2Fetc%2Fx")), Text(".._.._etc_x"));
    EXPECT_EQ(SafeFileName(".."), Text("__"));
    EXPECT_EQ(SafeFileName("."), Text("_"));
    EXPECT_EQ(SafeFileName(""), Text("_"));
    EXPECT_EQ(SafeFileName("new版.exe"), Text("new版.exe"));
}

}  // namespace
}  // namespace tallowin::update
