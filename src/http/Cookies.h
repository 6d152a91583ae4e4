#pragma once
// The plain-text cookie jar the caller carries between requests: "name=value"
// pieces joined by "; ". Attributes (path, domain, expiry) are not kept.

#include "common/Text.h"

namespace tallowin::http {

using common::Text;
using common::TextArray;

// Name and value of every "Set-Cookie: " line of a raw header block, joined by "; ".
Text CollectResponseCookies(const Text& rawHeaders);

// Folds newCookies into cookies: spaces go from both (written back), a new cookie
// replaces every old one of its name, "=deleted" pieces and exact repeats are
// dropped. New pieces come first. The result is also left in cookies.
Text MergeCookies(Text& cookies, Text& newCookies);

// The text before the first "=", trimmed; the whole piece, trimmed, without one.
Text CookieName(const Text& piece);
bool HasCookieNamed(const TextArray& pieces, const Text& name);

// Keeps the first of every run of identical pieces, in order.
Text RemoveDuplicatePieces(const Text& text, const Text& separator);
// 1-based index of the first element equal to piece, or -1.
int FindPiece(const TextArray& pieces, const Text& piece);

}  // namespace tallowin::http
