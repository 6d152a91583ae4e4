#pragma once
// Cuts the pasted article into the pieces that are searched one by one.

#include <optional>

#include "common/Text.h"

namespace tallowin::check {

using common::Text;
using common::TextArray;

// Characters per segment when the caller gives no length.
inline constexpr int SegmentLength = 36;

// Empties `characters`, then appends every character of `text` in order and
// returns how many there are. A byte of 0x81 or more starts a two-byte
// character (0x80 stands alone), CR LF is one character, and the last byte is
// always a character of its own.
int SplitCharacters(const Text& text, TextArray& characters);

// Removes blanks and CR LF pairs, then appends segments of `segmentLength`
// characters to `segments` (the last one may be shorter). An omitted length,
// or one below 1, means SegmentLength. Linear in the article's length.
void SegmentArticle(const Text& article, std::optional<int> segmentLength, TextArray& segments);
void SegmentArticle(const Text& article, TextArray& segments);

}  // namespace tallowin::check
