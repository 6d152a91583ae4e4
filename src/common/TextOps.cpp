#include "common/TextOps.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace tallowin::common {

namespace {

unsigned char AsciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

bool EqualAt(std::string_view hay, std::size_t pos, std::string_view needle, bool ignoreCase) {
    if (pos + needle.size() > hay.size()) return false;
    if (!ignoreCase) return hay.compare(pos, needle.size(), needle) == 0;
    for (std::size_t i = 0; i < needle.size(); ++i) {
        if (AsciiLower(static_cast<unsigned char>(hay[pos + i])) !=
            AsciiLower(static_cast<unsigned char>(needle[i])))
            return false;
    }
    return true;
}

// Walks character starts of `hay` from `walker` and reports whether `pos` is one.
// `walker` only moves forward, so a whole scan stays linear.
bool IsCharStart(std::string_view hay, std::size_t& walker, std::size_t pos) {
    while (walker < pos) {
        walker += IsLeadByte(static_cast<unsigned char>(hay[walker])) ? 2 : 1;
    }
    return walker == pos;
}

// 0-based offset of the first match at or after `from` (a character start), or npos.
std::size_t FindFrom(std::string_view hay, std::string_view needle, std::size_t from,
                     bool ignoreCase) {
    if (needle.empty()) return std::string_view::npos;
    std::size_t walker = from;
    if (!ignoreCase) {
        std::size_t candidate = hay.find(needle, from);
        while (candidate != std::string_view::npos) {
            if (IsCharStart(hay, walker, candidate)) return candidate;
            candidate = hay.find(needle, walker);
        }
        return std::string_view::npos;
    }
    for (std::size_t p = from; p + needle.size() <= hay.size();
         p += IsLeadByte(static_cast<unsigned char>(hay[p])) ? 2 : 1) {
        if (EqualAt(hay, p, needle, true)) return p;
    }
    return std::string_view::npos;
}

// 0-based offset of the character start at or after the 1-based `start`.
std::size_t FirstCharStartFrom(std::string_view hay, int start) {
    std::size_t walker = 0;
    const std::size_t target = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
    while (walker < target && walker < hay.size()) {
        walker += IsLeadByte(static_cast<unsigned char>(hay[walker])) ? 2 : 1;
    }
    return walker;
}

bool IsBlankAt(std::string_view s, std::size_t p, std::size_t& length) {
    const auto c = static_cast<unsigned char>(s[p]);
    if (IsLeadByte(c)) {
        length = p + 1 < s.size() ? 2 : 1;
        return length == 2 && c == 0xA1 && static_cast<unsigned char>(s[p + 1]) == 0xA1;
    }
    length = 1;
    return c == 0x20;
}

}  // namespace

int CharLengthAt(const Text& text, int index) {
    if (index < 0 || index >= text.Length()) return 0;
    return (IsLeadByte(text.At(index)) && index + 1 < text.Length()) ? 2 : 1;
}

int Find(const Text& text, const Text& what, int start, bool ignoreCase) {
    const std::string_view hay = text.View();
    const std::size_t from = FirstCharStartFrom(hay, start);
    if (from >= hay.size()) return -1;
    const std::size_t at = FindFrom(hay, what.View(), from, ignoreCase);
    return at == std::string_view::npos ? -1 : static_cast<int>(at) + 1;
}

int FindLast(const Text& text, const Text& what, std::optional<int> start, bool ignoreCase) {
    const std::string_view hay = text.View();
    const std::string_view needle = what.View();
    if (needle.empty()) return -1;
    std::size_t limit = hay.size();  // a match must end at or before this offset
    if (start) {
        if (*start <= 1) return -1;
        limit = std::min<std::size_t>(hay.size(), static_cast<std::size_t>(*start - 1));
    }
    int last = -1;
    std::size_t p = 0;
    while (true) {
        p = FindFrom(hay, needle, p, ignoreCase);
        if (p == std::string_view::npos || p + needle.size() > limit) break;
        last = static_cast<int>(p) + 1;
        p += IsLeadByte(static_cast<unsigned char>(hay[p])) ? 2 : 1;
    }
    return last;
}

bool Contains(const Text& text, const Text& what, bool ignoreCase) {
    return Find(text, what, 1, ignoreCase) > 0;
}

Text Left(const Text& text, int count) {
    if (count <= 0) return Text();
    return Text(text.View().substr(0, static_cast<std::size_t>(count)));
}

Text Right(const Text& text, int count) {
    if (count <= 0) return Text();
    if (count >= text.Length()) return text;
    return Text(text.View().substr(text.Bytes().size() - static_cast<std::size_t>(count)));
}

Text Mid(const Text& text, int start, std::optional<int> count) {
    const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
    if (from >= text.Bytes().size()) return Text();
    if (count && *count <= 0) return Text();
    return Text(text.View().substr(
        from, count ? static_cast<std::size_t>(*count) : std::string_view::npos));
}

TextArray Split(const Text& text, const Text& separator) {
    TextArray pieces;
    const std::string_view hay = text.View();
    if (hay.empty()) return pieces;
    const std::string_view sep = separator.View();
    if (sep.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    std::size_t from = 0;
    while (true) {
        const std::size_t at = FindFrom(hay, sep, from, false);
        if (at == std::string_view::npos) {
            if (from < hay.size()) pieces.emplace_back(hay.substr(from));
            break;
        }
        pieces.emplace_back(hay.substr(from, at - from));
        from = at + sep.size();
    }
    return pieces;
}

Text Join(const TextArray& pieces, const Text& separator) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) out += separator.Bytes();
        out += pieces[i].Bytes();
    }
    return Text(std::move(out));
}

Text Trim(const Text& text) {
    const std::string_view s = text.View();
    std::size_t p = 0;
    std::size_t length = 0;
    // Leading blanks.
    while (p < s.size() && IsBlankAt(s, p, length)) p += length;
    const std::size_t begin = p;
    // The end of the last non-blank character, found by walking forward.
    std::size_t end = begin;
    while (p < s.size()) {
        const bool blank = IsBlankAt(s, p, length);
        p += length;
        if (!blank) end = p;
    }
    return Text(s.substr(begin, end - begin));
}

Text RemoveAllBlanks(const Text& text) {
    const std::string_view s = text.View();
    std::string out;
    out.reserve(s.size());
    for (std::size_t p = 0; p < s.size();) {
        const auto c = static_cast<unsigned char>(s[p]);
        if (IsLeadByte(c)) {
            if (p + 1 >= s.size()) break;  // lone lead byte at the end
            if (!(c == 0xA1 && static_cast<unsigned char>(s[p + 1]) == 0xA1)) {
                out.append(s.substr(p, 2));
            }
            p += 2;
        } else {
            if (c != 0x20) out.push_back(static_cast<char>(c));
            ++p;
        }
    }
    return Text(std::move(out));
}

Text ReplaceAll(const Text& text, const Text& from, const Text& to, bool ignoreCase) {
    const std::string_view hay = text.View();
    const std::string_view needle = from.View();
    if (needle.empty()) return text;
    std::string out;
    std::size_t p = 0;
    while (true) {
        const std::size_t at = FindFrom(hay, needle, p, ignoreCase);
        if (at == std::string_view::npos) break;
        out.append(hay.substr(p, at - p));
        out += to.Bytes();
        p = at + needle.size();
    }
    out.append(hay.substr(p));
    return Text(std::move(out));
}

Text ToUpper(const Text& text) {
    std::string out = text.Bytes();
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return Text(std::move(out));
}

Text ToLower(const Text& text) {
    std::string out = text.Bytes();
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return Text(std::move(out));
}

std::int64_t IntegerValue(const Text& text) {
    const std::string_view s = text.View();
    std::size_t p = 0;
    std::size_t length = 0;
    while (p < s.size() && IsBlankAt(s, p, length)) p += length;
    bool negative = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
        negative = s[p] == '-';
        ++p;
    }
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    std::uint64_t value = 0;
    bool saturated = false;
    for (; p < s.size() && s[p] >= '0' && s[p] <= '9'; ++p) {
        const auto digit = static_cast<std::uint64_t>(s[p] - '0');
        if (value > (static_cast<std::uint64_t>(kMax) + 1 - digit) / 10) {
            saturated = true;
            break;
        }
        value = value * 10 + digit;
    }
    if (negative) {
        if (saturated || value > static_cast<std::uint64_t>(kMax)) {
            return std::numeric_limits<std::int64_t>::min();
        }
        return -static_cast<std::int64_t>(value);
    }
    if (saturated || value > static_cast<std::uint64_t>(kMax)) return kMax;
    return static_cast<std::int64_t>(value);
}

Text NumberText(std::int64_t value) { return Text(std::to_string(value)); }

Text NumberText(int value) { return Text(std::to_string(value)); }

Text NumberText(double value) {
    if (std::isnan(value)) return Text("NaN");
    if (std::isinf(value)) return Text(value < 0 ? "-Infinity" : "Infinity");
    if (value == 0) return Text("0");
    // Round to 13 significant digits, then write the digits out in plain decimal.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.12e", value);
    const std::string scientific = buffer;  // [-]d.dddddddddddde[+-]x
    const std::size_t e = scientific.find('e');
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    std::string digits;
    for (std::size_t i = 0; i < e; ++i) {
        if (scientific[i] >= '0' && scientific[i] <= '9') digits.push_back(scientific[i]);
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = value < 0 ? "-" : "";
    const int pointAfter = exponent + 1;  // digits before the decimal point
    if (pointAfter <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-pointAfter), '0') + digits;
    } else if (static_cast<std::size_t>(pointAfter) >= digits.size()) {
        out += digits + std::string(static_cast<std::size_t>(pointAfter) - digits.size(), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(pointAfter)) + "." +
               digits.substr(static_cast<std::size_t>(pointAfter));
    }
    return Text(std::move(out));
}

}  // namespace tallowin::common
