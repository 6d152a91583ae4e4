#include "check/Segmentation.h"

#include <string_view>

#include "common/TextOps.h"

namespace tallowin::check {

namespace {

// Byte length of the character at the 0-based `p` under the splitting rules.
std::size_t CharacterLength(std::string_view s, std::size_t p) {
    if (p + 1 >= s.size()) return 1;
    const auto c = static_cast<unsigned char>(s[p]);
    if (c >= 0x81) return 2;
    if (c == '\r' && s[p + 1] == '\n') return 2;
    return 1;
}

}  // namespace

int SplitCharacters(const Text& text, TextArray& characters) {
    characters.clear();
    const std::string_view s = text.View();
    for (std::size_t p = 0; p < s.size();) {
        const std::size_t length = CharacterLength(s, p);
        characters.emplace_back(s.substr(p, length));
        p += length;
    }
    return static_cast<int>(characters.size());
}

void SegmentArticle(const Text& article, std::optional<int> segmentLength, TextArray& segments) {
    // 0 is what an omitted number reads as, so it takes the default too; a
    // length below 1 could never make progress.
    const int perSegment = segmentLength && *segmentLength >= 1 ? *segmentLength : SegmentLength;
    const Text cleaned = common::ReplaceAll(common::RemoveAllBlanks(article), "\r\n", "");
    const std::string_view s = cleaned.View();
    // Walks the characters once and cuts at every perSegment-th boundary, which
    // gives the same segments as splitting into characters and regrouping them,
    // without a Text per character.
    std::size_t begin = 0;
    int inSegment = 0;
    for (std::size_t p = 0; p < s.size();) {
        p += CharacterLength(s, p);
        if (++inSegment == perSegment) {
            segments.emplace_back(s.substr(begin, p - begin));
            begin = p;
            inSegment = 0;
        }
    }
    if (inSegment > 0) segments.emplace_back(s.substr(begin));
}

void SegmentArticle(const Text& article, TextArray& segments) {
    SegmentArticle(article, std::nullopt, segments);
}

}  // namespace tallowin::check
