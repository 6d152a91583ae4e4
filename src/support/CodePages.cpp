#include "support/CodePages.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "platform/CodePage.h"

namespace tallowin::support {

namespace {

using platform::kCodePageAnsi;
using platform::kCodePageGbk;
using platform::kCodePageUtf8;

Bytes UnitsToBytes(const std::u16string& units, std::size_t totalUnits) {
    Bytes out(totalUnits * 2, 0);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out.data(), units.data(), units.size() * 2);
    } else {
        for (std::size_t i = 0; i < units.size(); ++i) {
            out[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
            out[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
        }
    }
    return out;
}

// The whole UTF-16LE units of the buffer up to the first zero unit, or all of
// them when it has none; an odd last byte is no unit.
std::u16string UnitsToTerminator(const Bytes& wide) {
    const std::size_t count = wide.size() / 2;
    std::u16string units(count, u'\0');
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(units.data(), wide.data(), count * 2);
    } else {
        for (std::size_t i = 0; i < count; ++i)
            units[i] = static_cast<char16_t>(wide[2 * i] | (wide[2 * i + 1] << 8));
    }
    if (const auto zero = units.find(u'\0'); zero != std::u16string::npos) units.resize(zero);
    return units;
}

}  // namespace

Bytes TextToWide(const Text& text, std::optional<int> codePage) {
    const int page = codePage.value_or(kCodePageUtf8);
    // The room is measured in the ANSI code page whatever page is asked for,
    // terminator included; units the conversion leaves over stay zero.
    const std::size_t measured = platform::MultiByteToWide(text.View(), kCodePageAnsi).size() + 1;
    const std::u16string units = platform::MultiByteToWide(text.View(), page);
    // Where the asked page needs more than measured (invalid UTF-8 read as GBK
    // can pair bytes that UTF-8 replaces one by one), take all of it rather
    // than cut the text.
    return UnitsToBytes(units, std::max(measured, units.size() + 1));
}

Text WideToText(const Bytes& wide, std::optional<int> codePage) {
    return Text(
        platform::WideToMultiByte(UnitsToTerminator(wide), codePage.value_or(kCodePageAnsi)));
}

Text GbkToUtf8(const Text& text) {
    return WideToText(TextToWide(text, kCodePageGbk), kCodePageUtf8);
}

Text Utf8ToGbk(const Text& text) { return WideToText(TextToWide(text), kCodePageGbk); }

Text WideBufferToGbk(const Bytes& wide) {
    // A zero unit ends the text; converting only what stands before it gives
    // the same text as converting everything and cutting at the first NUL.
    return Text(platform::WideToMultiByte(UnitsToTerminator(wide), kCodePageGbk, true));
}

}  // namespace tallowin::support
