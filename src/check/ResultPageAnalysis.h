#pragma once
// Counts the results of a search-engine result page whose title and abstract
// are largely highlighted (the engine's em marks for the words of the query)
// and collects their addresses.

#include "common/Text.h"

namespace tallowin::check {

using common::Text;
using common::TextArray;

// One match is one result block: group 1 the link's href (verbatim), group 2
// the title's inner HTML, group 3 the abstract's inner HTML. Stored with
// "#引号" for each double quote; matched case-insensitively, and since the dot
// does not match a line feed, a block must stand on one line.
inline constexpr const char* ResultBlockPattern =
    "<div class=#引号result c-container .*?><h3.*?><a href=#引号(.*?)#引号.*?>(.*?)</a></h3>"
    "<div class=#引号c-abstract#引号>(.*?)</div>";
// Span elements (a date in the abstract, say) are removed before measuring.
inline constexpr const char* SpanPattern = "<span.*?/span>";
// One highlighted piece; group 1 is its text.
inline constexpr const char* HighlightPattern = "<em>(.*?)</em>";

// A result counts when its highlighted text is more than this times its plain text.
inline constexpr float SimilarityThreshold = 0.6f;

// Empties `urls`, sets `count` to 0, then counts each result block whose ratio
// of highlighted to other bytes exceeds `threshold` by more than 0.0000001 and
// appends its address. `blockCount`, when given, receives the number of result
// blocks recognised, which tells a page of another layout (0 blocks) from a
// page without similar results. Always true.
bool AnalyseResultPage(float threshold, const Text& html, int& count, TextArray& urls,
                       int* blockCount = nullptr);

// `red`: the texts of all em elements joined, `rest`: the text with every em
// element removed; both through NormaliseForCount. Other markup stays in rest.
void SplitHighlighted(const Text& text, Text& red, Text& rest);

// Removes blanks, then the punctuation the engine highlights inconsistently
// (twenty marks, matched case-sensitively at character starts).
Text NormaliseForCount(const Text& text);

}  // namespace tallowin::check
