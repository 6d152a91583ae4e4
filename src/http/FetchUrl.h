#pragma once
// One synchronous HTTP or HTTPS exchange: compose the request headers, send,
// read the whole body, capture the raw response headers and the cookies the
// response sets. An empty result is the only failure signal.

#include <optional>

#include "common/Text.h"

namespace tallowin::http {

using common::Bytes;
using common::Text;

// Indices of `FetchOptions::method`; anything outside 0..7 is taken as GET.
enum FetchMethod : int {
    kGet = 0,
    kPost = 1,
    kHead = 2,
    kPut = 3,
    kOptions = 4,
    kDelete = 5,
    kTrace = 6,
    kConnect = 7,
};

// Everything a request takes besides its URL. A default-constructed record is
// the same as leaving every parameter out. Fields marked in/out or out are
// written back by FetchUrl, so the caller reads the results from the record.
struct FetchOptions {
    int method = kGet;
    // Request body as text; used only when bodyBytes is empty and the method is not GET.
    Text bodyText;
    // in/out. nullopt: the process-wide cookie store handles cookies and nothing is merged.
    // Given (even empty): the store is off for this request, a Cookie line is sent when
    // not empty, and with mergeCookies the response cookies are merged in on return.
    std::optional<Text> cookies;
    // out: the cookies the response set, "name=value" pairs joined by "; ".
    Text responseCookies;
    // in/out: extra header lines joined by "\r\n" ("Name: value"); once the request
    // was opened, the exact header block that was sent.
    Text requestHeaders;
    // out: status line and header lines of the final response, each ended by "\r\n";
    // 5000 spaces when the exchange failed or the block needs 5000 bytes or more.
    Text responseHeaders;
    bool noRedirect = false;
    // in/out: request body as bytes, ahead of bodyText; filled from bodyText when it is
    // empty and the method is not GET.
    Bytes bodyBytes;
    // "host:port"; empty: a direct connection. For an http URL only HTTP traffic uses it.
    Text proxy;
    bool mergeCookies = true;
    bool addDefaultHeaders = true;
};

// The response body exactly as received, whatever the status; empty on failure.
Bytes FetchUrl(const Text& url);
Bytes FetchUrl(const Text& url, FetchOptions& options);

// Rebuilds a header block ("\r\n"-separated lines) with canonical name case; drops
// lines without ": ". A value that itself holds ": " is sent whole.
Text NormalizeHeaders(const Text& headers);
// Upper-cases the first byte when it is an ASCII letter.
Text CapitalizeFirst(const Text& word);

}  // namespace tallowin::http
