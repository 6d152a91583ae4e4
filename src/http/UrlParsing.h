#pragma once
// Cutting a URL into host, port and object path, and the two marker-based
// extractions the HTTP client reads headers with. Nothing here fails: every
// input, however malformed, gives a text or a number.

#include <optional>

#include "common/Text.h"

namespace tallowin::http {

using common::Text;

// The text between the first leftMarker found from startPosition (omitted: the
// beginning) and the next rightMarker after it; "" when either is missing. In both
// markers "#引号" stands for a double quote, so markers can hold quotes.
Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker,
                 std::optional<int> startPosition = std::nullopt, bool ignoreCase = false);

// The start of text up to the first marker found from startPosition (0 or less counts
// as 1); counted from the very beginning whatever the start; "" when not found.
Text TextBeforeFirst(const Text& text, const Text& marker, int startPosition = 1,
                     bool ignoreCase = false);

// The host, lower-cased. Without levelCount the host runs from the scheme to the next
// "/" (no scheme means http); mainDomainOnly keeps its last two labels. Giving
// levelCount (0 included) cuts differently: the last levelCount + 2 labels, or
// levelCount + 1 with mainDomainOnly. The ":port" suffix goes unless keepPort.
Text UrlHost(const Text& url, bool mainDomainOnly = false, bool keepPort = false,
             std::optional<int> levelCount = std::nullopt);

// The port after the host's last ":", else 443 for https and 80 otherwise.
int UrlPort(const Text& url);

// Everything from the first "/" after the host, query included, in the caller's
// case; "/" when nothing follows the host.
Text UrlPath(const Text& url);

}  // namespace tallowin::http
