#pragma once
// The text operations every part of the system relies on. All work on the
// bytes of code page 936: a byte of 0x80 or more starts a two-byte character,
// and searches only ever match at a character start, so the trail byte of a
// Chinese character is never taken for an ASCII mark.

#include <cstdint>
#include <optional>

#include "common/Text.h"

namespace tallowin::common {

// True for the byte that starts a two-byte character in these operations.
constexpr bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

// Byte length of the character starting at the 0-based index (1 or 2; 1 for a
// lone lead byte at the very end).
int CharLengthAt(const Text& text, int index);

// Forward search from the 1-based start (below 1 means the beginning). Gives the
// 1-based position of the first match at a character start, or -1. An empty
// `what` is never found.
int Find(const Text& text, const Text& what, int start = 1, bool ignoreCase = false);

// Reverse search: the last match lying wholly within bytes 1 to start - 1;
// without start the whole text; a start of 1 or less finds nothing.
int FindLast(const Text& text, const Text& what, std::optional<int> start = std::nullopt,
             bool ignoreCase = false);

bool Contains(const Text& text, const Text& what, bool ignoreCase = false);

// Parts by byte count: a count of 0 or less gives "", beyond the text all of it.
Text Left(const Text& text, int count);
Text Right(const Text& text, int count);
// From the 1-based start (below 1 means 1), count bytes or to the end when omitted.
Text Mid(const Text& text, int start, std::optional<int> count = std::nullopt);

// Splits at every separator: "" gives no pieces, empty pieces between two
// separators stay, an empty last piece (separator at the very end) is dropped.
TextArray Split(const Text& text, const Text& separator);
Text Join(const TextArray& pieces, const Text& separator);

// Blanks are the byte 0x20 and the full-width blank A1 A1; tabs and line breaks are not.
Text Trim(const Text& text);
// Removes blanks everywhere, walking character by character; a lone lead byte
// at the very end is dropped too.
Text RemoveAllBlanks(const Text& text);

// Replaces every occurrence, from the start, at character starts.
Text ReplaceAll(const Text& text, const Text& from, const Text& to, bool ignoreCase = false);

// ASCII letters only.
Text ToUpper(const Text& text);
Text ToLower(const Text& text);

// The decimal integer at the start, after leading blanks, with an optional
// sign; 0 when the text does not start with a number. Saturates at the int64 range.
std::int64_t IntegerValue(const Text& text);

// Plain decimal; a real number with at most 13 significant digits and no
// fraction when it is whole.
Text NumberText(std::int64_t value);
Text NumberText(int value);
Text NumberText(double value);

}  // namespace tallowin::common
