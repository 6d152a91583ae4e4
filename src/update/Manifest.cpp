#include "update/Manifest.h"

#include "common/TextOps.h"
#include "platform/Crypto.h"
#include "platform/Messages.h"

namespace tallowin::update {
namespace {

constexpr int kTagLength = 9;
constexpr unsigned kXorKey = 3600;  // only its low byte, 0x10, reaches the text

int HexDigit(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

Text ManifestAddress(const Text& host) { return Text("http://") + host + "/update.version"; }

Text ManifestTag(const Text& key) {
    const Text digest = Md5Text(common::ToBytes(key));
    if (digest.IsEmpty()) return {};
    return common::ToUpper(common::Mid(digest, 3, kTagLength));
}

Text DecodeManifest(const Text& received, const Text& key) {
    if (common::Right(received, kTagLength) != ManifestTag(key)) return {};
    const Bytes encoded = HexToBytes(common::Left(received, received.Length() - kTagLength));
    std::string out;
    out.reserve(encoded.size());
    for (const std::uint8_t b : encoded) out += static_cast<char>((b ^ kXorKey) & 0xFF);
    return Text(std::string_view(out));  // ends at a decoded zero byte
}

Text EncodeManifest(const Text& manifestText, const Text& key) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : manifestText.Bytes()) {
        const auto b = static_cast<std::uint8_t>(static_cast<unsigned char>(c) ^ (kXorKey & 0xFF));
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return Text(std::move(out)) + ManifestTag(key);
}

Text Md5Text(const Bytes& bytes) { return common::ToLower(HashHex(bytes, platform::kHashMd5, 16)); }

Text HashHex(const Bytes& bytes, unsigned algorithm, int digestLength) {
    return platform::HashHex(bytes, algorithm, digestLength);
}

Bytes HexToBytes(const Text& hex) {
    Bytes bytes;
    bytes.reserve(static_cast<std::size_t>(hex.Length() / 2 + 1));
    for (int i = 1; i <= hex.Length(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(HexToInteger(common::Mid(hex, i, 2)) & 0xFF));
        platform_gui::ProcessPendingMessages();
    }
    return bytes;
}

std::int64_t HexToInteger(const Text& hex) {
    std::uint64_t value = 0;
    int places = 0;
    for (int i = hex.Length() - 1; i >= 0 && places < 16; --i) {
        const int digit = HexDigit(hex.At(i));
        if (digit < 0) continue;
        value |= static_cast<std::uint64_t>(digit) << (4 * places);
        ++places;
    }
    return static_cast<std::int64_t>(value);
}

}  // namespace tallowin::update
