#include "check/QueryEncoding.h"

#include <string>

#include "support/CodePages.h"

namespace tallowin::check {

namespace {

bool IsPlain(unsigned char c) {
    return c == '-' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

}  // namespace

Text PercentEncode(const Text& text, bool keepPlain, bool utf8) {
    if (text.IsEmpty()) return Text();
    const Text source = utf8 ? support::GbkToUtf8(text) : text;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(source.Bytes().size() * 3);
    for (const char byte : source.Bytes()) {
        const auto c = static_cast<unsigned char>(byte);
        if (keepPlain && IsPlain(c)) {
            out.push_back(byte);
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        }
    }
    return Text(std::move(out));
}

}  // namespace tallowin::check
