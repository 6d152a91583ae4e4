#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace tallowin::platform {

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kNoChar = 0;

constexpr const char* kNativeUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool IsSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDFFF; }

// GBK through lookup tables filled from glibc's CP936 once per process. Calling
// iconv on every conversion costs 3-4 ms for a 600 KB page, several times what
// the regular-expression scan of that page takes; the tables do it in a fraction.
constexpr int kFirstLead = 0x81;
constexpr int kLastLead = 0xFE;
constexpr int kFirstTrail = 0x40;
constexpr int kLastTrail = 0xFE;
constexpr int kTrails = kLastTrail - kFirstTrail + 1;

struct GbkTables {
    // Pair (lead, trail) to its character; kNoChar where the pair is not a character.
    std::vector<char16_t> decode = std::vector<char16_t>((kLastLead - kFirstLead + 1) * kTrails);
    // BMP unit to its GBK code: 0 where GBK lacks it, a value below 0x100 for a
    // single byte, otherwise lead << 8 | trail.
    std::vector<std::uint16_t> encode = std::vector<std::uint16_t>(0x10000);
    char16_t byte80 = kNoChar;  // 0x80 is the euro sign in the Windows table
};

void Map(GbkTables& t, std::uint16_t code, char16_t unit) {
    if (code < 0x100) {
        if (code == 0x80) t.byte80 = unit;
    } else {
        t.decode[((code >> 8) - kFirstLead) * kTrails + ((code & 0xFF) - kFirstTrail)] = unit;
    }
    if (t.encode[unit] == 0) t.encode[unit] = code;
}

GbkTables BuildGbkTables() {
    GbkTables t;
    iconv_t cd = iconv_open(kNativeUtf16, "CP936");
    if (cd != reinterpret_cast<iconv_t>(-1)) {
        auto convert = [&](const char* in, std::size_t length) -> char16_t {
            char buffer[2];
            std::memcpy(buffer, in, length);
            char16_t out[2];
            char* ip = buffer;
            char* op = reinterpret_cast<char*>(out);
            std::size_t il = length;
            std::size_t ol = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const std::size_t rc = iconv(cd, &ip, &il, &op, &ol);
            if (rc == static_cast<std::size_t>(-1) || il != 0 || ol != sizeof out - 2)
                return kNoChar;
            return out[0];
        };
        const char single = static_cast<char>(0x80);
        if (char16_t u = convert(&single, 1); u != kNoChar) Map(t, 0x80, u);
        for (int lead = kFirstLead; lead <= kLastLead; ++lead) {
            for (int trail = kFirstTrail; trail <= kLastTrail; ++trail) {
                if (trail == 0x7F) continue;
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                if (char16_t u = convert(pair, 2); u != kNoChar && !IsSurrogate(u))
                    Map(t, static_cast<std::uint16_t>(lead << 8 | trail), u);
            }
        }
        iconv_close(cd);
    }
    // Two pinyin letters of the Windows table that glibc's CP936 leaves out.
    if (t.encode[0x1E3F] == 0) Map(t, 0xA8BC, 0x1E3F);  // ḿ
    if (t.encode[0x01F9] == 0) Map(t, 0xA8BF, 0x01F9);  // ǹ
    return t;
}

const GbkTables& Gbk() {
    static const GbkTables tables = BuildGbkTables();
    return tables;
}

bool AllAscii8(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return (word & 0x8080808080808080ull) == 0;
}

std::u16string GbkToWide(std::string_view bytes) {
    const GbkTables& t = Gbk();
    std::u16string out(bytes.size(), u'\0');
    char16_t* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (end - p >= 8 && AllAscii8(p)) {
            for (int i = 0; i < 8; ++i) *o++ = p[i];
            p += 8;
            continue;
        }
        const unsigned char b = *p;
        if (b < 0x80) {
            *o++ = b;
            ++p;
        } else if (b == 0x80) {
            *o++ = t.byte80 != kNoChar ? t.byte80 : kReplacement;
            ++p;
        } else if (b == 0xFF || p + 1 == end) {
            *o++ = kReplacement;
            ++p;
        } else {
            const unsigned char trail = p[1];
            const char16_t u = (trail >= kFirstTrail && trail <= kLastTrail)
                                   ? t.decode[(b - kFirstLead) * kTrails + (trail - kFirstTrail)]
                                   : kNoChar;
            if (u != kNoChar) {
                *o++ = u;
                p += 2;
            } else {
                // Only the lead byte is taken as invalid, so an ASCII byte after it survives.
                *o++ = kReplacement;
                ++p;
            }
        }
    }
    out.resize(o - out.data());
    return out;
}

std::string WideToGbk(std::u16string_view wide) {
    const GbkTables& t = Gbk();
    std::string out(wide.size() * 2, '\0');
    char* o = out.data();
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t u = wide[i];
        if (u < 0x80) {
            *o++ = static_cast<char>(u);
            continue;
        }
        if (IsHighSurrogate(u) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
            *o++ = '?';  // one mark for the whole character outside the BMP
            ++i;
            continue;
        }
        const std::uint16_t code = IsSurrogate(u) ? 0 : t.encode[u];
        if (code == 0) {
            *o++ = '?';
        } else if (code < 0x100) {
            *o++ = static_cast<char>(code);
        } else {
            *o++ = static_cast<char>(code >> 8);
            *o++ = static_cast<char>(code & 0xFF);
        }
    }
    out.resize(o - out.data());
    return out;
}

// Base letter + combining mark -> precomposed character, for the precomposed
// characters GBK holds. A precomposed result may take a further mark (ü + ¯ = ǖ).
struct Composition {
    char16_t base;
    char16_t mark;
    char16_t composed;
};
constexpr Composition kCompositions[] = {
    {u'a', 0x0300, 0x00E0},   {u'a', 0x0301, 0x00E1},   {u'a', 0x0304, 0x0101},
    {u'a', 0x030C, 0x01CE},   {u'e', 0x0300, 0x00E8},   {u'e', 0x0301, 0x00E9},
    {u'e', 0x0302, 0x00EA},   {u'e', 0x0304, 0x0113},   {u'e', 0x030C, 0x011B},
    {u'i', 0x0300, 0x00EC},   {u'i', 0x0301, 0x00ED},   {u'i', 0x0304, 0x012B},
    {u'i', 0x030C, 0x01D0},   {u'm', 0x0301, 0x1E3F},   {u'n', 0x0300, 0x01F9},
    {u'n', 0x0301, 0x0144},   {u'n', 0x030C, 0x0148},   {u'o', 0x0300, 0x00F2},
    {u'o', 0x0301, 0x00F3},   {u'o', 0x0304, 0x014D},   {u'o', 0x030C, 0x01D2},
    {u'u', 0x0300, 0x00F9},   {u'u', 0x0301, 0x00FA},   {u'u', 0x0304, 0x016B},
    {u'u', 0x0308, 0x00FC},   {u'u', 0x030C, 0x01D4},   {0x00FC, 0x0300, 0x01DC},
    {0x00FC, 0x0301, 0x01D8}, {0x00FC, 0x0304, 0x01D6}, {0x00FC, 0x030C, 0x01DA},
    {0x0415, 0x0308, 0x0401}, {0x0418, 0x0306, 0x0419}, {0x0435, 0x0308, 0x0451},
    {0x0438, 0x0306, 0x0439},
};

bool IsCombiningMark(char16_t u) { return u >= 0x0300 && u <= 0x036F; }

std::u16string Precompose(std::u16string_view wide) {
    std::u16string out;
    out.reserve(wide.size());
    for (const char16_t u : wide) {
        if (IsCombiningMark(u) && !out.empty()) {
            const auto* hit = std::find_if(
                std::begin(kCompositions), std::end(kCompositions),
                [&](const Composition& c) { return c.base == out.back() && c.mark == u; });
            if (hit != std::end(kCompositions)) {
                out.back() = hit->composed;
                continue;
            }
        }
        out.push_back(u);
    }
    return out;
}

// UTF-8 through iconv, with a descriptor pair per thread (opened on first use).
struct Utf8Converters {
    iconv_t decode = reinterpret_cast<iconv_t>(-1);
    iconv_t encode = reinterpret_cast<iconv_t>(-1);
    Utf8Converters() {
        decode = iconv_open(kNativeUtf16, "UTF-8");
        encode = iconv_open("UTF-8", kNativeUtf16);
    }
    ~Utf8Converters() {
        if (decode != reinterpret_cast<iconv_t>(-1)) iconv_close(decode);
        if (encode != reinterpret_cast<iconv_t>(-1)) iconv_close(encode);
    }
    Utf8Converters(const Utf8Converters&) = delete;
    Utf8Converters& operator=(const Utf8Converters&) = delete;
};

Utf8Converters& Utf8() {
    thread_local Utf8Converters converters;
    return converters;
}

// Length of the maximal ill-formed part at p (at least 1): a lead byte with the
// continuation bytes that still fit it, which Windows replaces by one U+FFFD.
std::size_t InvalidUtf8Length(const unsigned char* p, const unsigned char* end) {
    const unsigned char b = p[0];
    int need;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 1;
    }
    std::size_t length = 1;
    for (int i = 0; i < need && p + length < end; ++i) {
        const unsigned char c = p[length];
        if (c < low || c > high) break;
        ++length;
        low = 0x80;
        high = 0xBF;
    }
    return length;
}

std::u16string Utf8ToWide(std::string_view bytes) {
    iconv_t cd = Utf8().decode;
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // A byte gives at most one unit; a 4-byte sequence gives two.
    std::u16string out(bytes.size(), u'\0');
    char* ip = const_cast<char*>(bytes.data());
    std::size_t il = bytes.size();
    char* op = reinterpret_cast<char*>(out.data());
    std::size_t ol = out.size() * 2;
    while (il > 0) {
        if (iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) break;  // cannot happen with the size above
        const auto* p = reinterpret_cast<const unsigned char*>(ip);
        const std::size_t skip = InvalidUtf8Length(p, p + il);
        char16_t replacement = kReplacement;
        std::memcpy(op, &replacement, 2);
        op += 2;
        ol -= 2;
        ip += skip;
        il -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(out.size() - ol / 2);
    return out;
}

std::string WideToUtf8(std::u16string_view wide) {
    iconv_t cd = Utf8().encode;
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // A unit gives at most three bytes; a surrogate pair four for two units.
    std::string out(wide.size() * 3, '\0');
    char* ip = reinterpret_cast<char*>(const_cast<char16_t*>(wide.data()));
    std::size_t il = wide.size() * 2;
    char* op = out.data();
    std::size_t ol = out.size();
    while (il > 0) {
        if (iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) break;
        // A lone surrogate (EILSEQ) or a high surrogate at the very end (EINVAL).
        std::memcpy(op, "\xEF\xBF\xBD", 3);
        op += 3;
        ol -= 3;
        ip += 2;
        il -= 2;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(out.size() - ol);
    return out;
}

}  // namespace

std::u16string MultiByteToWide(std::string_view bytes, int codePage) {
    switch (codePage) {
        case kCodePageAnsi:
        case kCodePageGbk:
            return GbkToWide(bytes);
        case kCodePageUtf8:
            return Utf8ToWide(bytes);
        default:
            return {};
    }
}

std::string WideToMultiByte(std::u16string_view wide, int codePage, bool compositeCheck) {
    switch (codePage) {
        case kCodePageAnsi:
        case kCodePageGbk:
            if (compositeCheck && std::any_of(wide.begin(), wide.end(), IsCombiningMark))
                return WideToGbk(Precompose(wide));
            return WideToGbk(wide);
        case kCodePageUtf8:
            // Every character has a UTF-8 form; nothing to compose.
            return WideToUtf8(wide);
        default:
            return {};
    }
}

}  // namespace tallowin::platform
