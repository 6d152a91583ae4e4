#include "http/UrlParsing.h"

#include <algorithm>
#include <climits>

#include "common/TextOps.h"

namespace tallowin::http {

using common::Find;
using common::FindLast;
using common::Left;
using common::Mid;
using common::ToLower;

Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker,
                 std::optional<int> startPosition, bool ignoreCase) {
    const Text quote = "\"";
    const Text left = common::ReplaceAll(leftMarker, "#引号", quote);
    const Text right = common::ReplaceAll(rightMarker, "#引号", quote);
    const int found = Find(text, left, startPosition.value_or(1), ignoreCase);
    if (found < 1) return Text();
    const int behind = found + left.Length();
    const int end = Find(text, right, behind, ignoreCase);
    if (end < 1) return Text();
    return Mid(text, behind, end - behind);
}

Text TextBeforeFirst(const Text& text, const Text& marker, int startPosition, bool ignoreCase) {
    const int found = Find(text, marker, startPosition <= 0 ? 1 : startPosition, ignoreCase);
    if (found < 1) return Text();
    return Left(text, found - 1);
}

namespace {

// Host with its port suffix, cut from the scheme to the next "/".
Text HostBySlash(const Text& url, bool mainDomainOnly) {
    Text lower = ToLower(url);
    if (lower.IsEmpty() || lower.At(lower.Length() - 1) != '/') lower += "/";
    Text host;
    if (Left(lower, 8) == "https://") {
        host = TextBetween(lower, "https://", "/");
    } else {
        if (!common::Contains(lower, "http://")) lower = "http://" + lower;
        host = TextBetween(lower, "http://", "/");
    }
    if (mainDomainOnly) {
        const common::TextArray labels = common::Split(host, ".");
        if (labels.size() > 1) host = labels[labels.size() - 2] + "." + labels.back();
    }
    return host;
}

// Host with its port suffix, keeping its last `labelCount` dot-separated labels.
Text HostByLabels(const Text& url, int labelCount) {
    Text host = ToLower(url);
    host = common::ReplaceAll(host, "http://", "");
    host = common::ReplaceAll(host, "https://", "");
    const int slash = Find(host, "/");
    if (slash > 0) host = Left(host, slash - 1);
    // Reverse searches from the end: a dot in the very last byte is not counted.
    int dot = host.Length();
    for (int i = 0; i < labelCount; ++i) {
        dot = FindLast(host, ".", dot);
        if (dot < 1) return host;  // fewer labels than asked for
    }
    return Mid(host, dot + 1);
}

}  // namespace

Text UrlHost(const Text& url, bool mainDomainOnly, bool keepPort, std::optional<int> levelCount) {
    Text host;
    if (levelCount) {
        const std::int64_t levels = std::max(*levelCount, 0);
        const int labels =
            static_cast<int>(std::min<std::int64_t>(INT_MAX, levels + (mainDomainOnly ? 1 : 2)));
        host = HostByLabels(url, labels);
    } else {
        host = HostBySlash(url, mainDomainOnly);
    }
    if (!keepPort) {
        const int colon = Find(host, ":");
        if (colon > 0) host = Left(host, colon - 1);
    }
    return host;
}

int UrlPort(const Text& url) {
    const Text host = UrlHost(url, false, true);
    const int colon = FindLast(host, ":");
    if (colon > 0) {
        const std::int64_t value = common::IntegerValue(Mid(host, colon + 1));
        return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
    }
    return Left(ToLower(url), 5) == "https" ? 443 : 80;
}

Text UrlPath(const Text& url) {
    const Text host = UrlHost(url);
    // Look for the host only behind the scheme: a host such as "t" or "s" also
    // occurs inside "http://" itself and would otherwise give a path of "//t/...".
    const Text lower = ToLower(url);
    int from = 1;
    if (Left(lower, 8) == "https://") {
        from = 9;
    } else if (const int scheme = Find(lower, "http://"); scheme > 0) {
        from = scheme + 7;
    }
    const int hostAt = Find(url, host, from, true);
    const int slash = Find(url, "/", hostAt > 0 ? hostAt : from);
    if (slash <= 0) return "/";
    return Mid(url, slash);
}

}  // namespace tallowin::http
