#include "http/FetchUrl.h"

#include "common/TextOps.h"
#include "http/Cookies.h"
#include "http/UrlParsing.h"
#include "platform/Internet.h"

namespace tallowin::http {

using namespace common;

namespace {

constexpr const char* kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
constexpr int kHeaderBufferBytes = 5000;

const char* const kVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                              "OPTIONS", "DELETE", "TRACE", "CONNECT"};

Text AgentFrom(const Text& requestHeaders) {
    if (!Contains(requestHeaders, "User-Agent:", true)) return kDefaultAgent;
    const Text agent = Trim(TextBetween(requestHeaders + "\r\n", "User-Agent:", "\r\n"));
    if (!agent.IsEmpty()) return agent;
    return Trim(Mid(requestHeaders, Find(requestHeaders, ":") + 1));
}

Text CanonicalName(const Text& name) {
    if (!Contains(name, "-")) return CapitalizeFirst(name);
    TextArray parts = Split(name, "-");
    for (Text& part : parts) part = CapitalizeFirst(part);
    return Join(parts, "-");
}

}  // namespace

Text CapitalizeFirst(const Text& word) {
    if (word.IsEmpty()) return word;
    return ToUpper(Left(word, 1)) + Mid(word, 2);
}

Text NormalizeHeaders(const Text& headers) {
    Text out;
    for (const Text& line : Split(headers, "\r\n")) {
        const int separator = Find(line, ": ");
        if (separator < 0) continue;
        // Only the name is rebuilt; a value that holds ": " itself goes out whole.
        const Text name = CanonicalName(Left(line, separator - 1));
        out += name + ": " + Mid(line, separator + 2) + "\r\n";
    }
    return Left(out, out.Length() - 2);
}

Bytes FetchUrl(const Text& url) {
    FetchOptions options;
    return FetchUrl(url, options);
}

Bytes FetchUrl(const Text& url, FetchOptions& options) {
    const int method = options.method < 0 || options.method > 7 ? kGet : options.method;
    const Text verb = kVerbs[method];
    const bool secure = ToLower(Left(url, 8)) == "https://";
    const Text agent = AgentFrom(options.requestHeaders);

    Bytes body;
    Text rawHeaders;
    {
        Text proxyList;
        if (!options.proxy.IsEmpty()) proxyList = secure ? options.proxy : "http=" + options.proxy;
        const auto session = platform::InternetSession::Open(agent, proxyList);
        if (!session) return {};
        const auto connection =
            platform::InternetConnection::Open(*session, UrlHost(url), UrlPort(url));
        if (!connection) return {};

        std::uint32_t flags = platform::kFlagReload | platform::kFlagNeedFile;
        if (options.cookies) flags |= platform::kFlagNoCookies;
        if (options.noRedirect) flags |= platform::kFlagNoAutoRedirect;
        flags |= secure ? platform::kFlagSecure : platform::kFlagIgnoreRedirectToHttps;
        const auto request =
            platform::InternetRequest::Open(*connection, verb, UrlPath(url), flags);
        if (!request) return {};

        Text& headers = options.requestHeaders;
        if (options.addDefaultHeaders) {
            if (headers.IsEmpty()) headers = "Accept: */*";
            if (!Contains(headers, "Accept:")) headers += "\r\nAccept: */*";
            if (!Contains(headers, "Referer:")) headers += "\r\nReferer: " + url;
            if (!Contains(headers, "Accept-Language:")) headers += "\r\nAccept-Language: zh-cn";
            if (method == kPost && !Contains(headers, "Content-Type:", true))
                headers += "\r\nContent-Type: application/x-www-form-urlencoded";
        }
        headers = NormalizeHeaders(headers);
        const Text cookies = options.cookies.value_or(Text());
        if (!cookies.IsEmpty())
            headers += Contains(cookies, "Cookie:") ? "\r\n" + cookies : "\r\nCookie: " + cookies;

        if (method == kGet) {
            request->Send(headers, nullptr, body);
        } else {
            if (options.bodyBytes.empty()) options.bodyBytes = ToBytes(options.bodyText);
            request->Send(headers, &options.bodyBytes, body);
        }
        rawHeaders = request->RawHeaders(kHeaderBufferBytes);
    }  // request, connection and internet handle close here, newest first

    options.responseHeaders = rawHeaders;
    options.responseCookies = CollectResponseCookies(options.responseHeaders);
    if (options.mergeCookies && options.cookies)
        MergeCookies(*options.cookies, options.responseCookies);
    return body;
}

}  // namespace tallowin::http
