#include "http/Cookies.h"

#include "common/TextOps.h"
#include "http/UrlParsing.h"

namespace tallowin::http {

using common::Left;
using common::Split;
using common::Trim;

namespace {

Text WithoutLast(const Text& text, int count) { return Left(text, text.Length() - count); }

}  // namespace

Text CollectResponseCookies(const Text& rawHeaders) {
    Text result;
    for (const Text& line : Split(rawHeaders, "\r\n")) {
        if (TextBeforeFirst(line, ": ") != "Set-Cookie") continue;
        const Text pair = common::Contains(line, ";")
                              ? Trim(TextBetween(line, "Set-Cookie:", ";"))
                              : Trim(common::ReplaceAll(line, "Set-Cookie:", "", true));
        result += pair + "; ";
    }
    return WithoutLast(result, 2);
}

Text MergeCookies(Text& cookies, Text& newCookies) {
    cookies = common::RemoveAllBlanks(cookies);
    newCookies = common::RemoveAllBlanks(newCookies);
    TextArray working = Split(newCookies, ";");
    for (const Text& old : Split(cookies, ";")) {
        // Checked against the growing list, so of several old cookies of one name
        // only the first survives.
        if (!HasCookieNamed(working, CookieName(old))) working.push_back(old);
    }
    Text merged;
    for (const Text& piece : working) {
        if (common::Right(piece, 8) != "=deleted") merged += piece + "; ";
    }
    cookies = RemoveDuplicatePieces(WithoutLast(merged, 2), "; ");
    return cookies;
}

Text CookieName(const Text& piece) {
    const int equals = common::Find(piece, "=");
    return Trim(equals > 0 ? Left(piece, equals - 1) : piece);
}

bool HasCookieNamed(const TextArray& pieces, const Text& name) {
    for (const Text& piece : pieces) {
        if (CookieName(piece) == name) return true;
    }
    return false;
}

Text RemoveDuplicatePieces(const Text& text, const Text& separator) {
    TextArray kept;
    Text out;
    for (const Text& piece : Split(text, separator)) {
        if (FindPiece(kept, piece) != -1) continue;
        kept.push_back(piece);
        out += piece + separator;
    }
    return WithoutLast(out, separator.Length());
}

int FindPiece(const TextArray& pieces, const Text& piece) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i] == piece) return static_cast<int>(i) + 1;
    }
    return -1;
}

}  // namespace tallowin::http
