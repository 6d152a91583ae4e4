#include "platform/Internet.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace tallowin::platform {

namespace {

// Pieces of the body as curl hands them over, appended straight to the result.
// 16 KB is curl's own default; at its minimum of 1024 bytes every piece costs a
// receive call and a large download takes about twice as long as curl's.
constexpr long kReadPieceBytes = CURL_MAX_WRITE_SIZE;
constexpr long kMaxRedirects = 20;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The cookies every request without a caller's cookie text shares, for the
// life of the process. Deliberately never cleaned up: requests may run from
// static destructors of other modules.
CURLSH* CookieStore() {
    static CURLSH* share = [] {
        CURLSH* created = curl_share_init();
        if (created) curl_share_setopt(created, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        return created;
    }();
    return share;
}

std::string& TestCaBundle() {
    static std::string path;
    return path;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::vector<std::string> Lines(const std::string& block) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= block.size()) {
        const size_t end = block.find("\r\n", start);
        const std::string line = block.substr(start, end == std::string::npos ? end : end - start);
        if (!line.empty()) lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return lines;
}

std::string HeaderName(const std::string& line) {
    const size_t colon = line.find(':');
    return LowerAscii(colon == std::string::npos ? std::string() : line.substr(0, colon));
}

struct BodySink {
    CURL* curl;
    Bytes& body;
    bool sized = false;
};

// Reserving the announced length once keeps a large body from being copied on
// every growth step, which would briefly hold it about two and a half times.
constexpr curl_off_t kMaxReserveBytes = curl_off_t{1} << 31;

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    BodySink& sink = *static_cast<BodySink*>(user);
    const size_t length = size * count;
    // No exception may cross curl's C frames: running out of memory aborts the transfer.
    try {
        if (!sink.sized) {
            sink.sized = true;
            curl_off_t announced = -1;
            curl_easy_getinfo(sink.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
            if (announced > 0 && announced <= kMaxReserveBytes)
                sink.body.reserve(sink.body.size() + static_cast<size_t>(announced));
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
        sink.body.insert(sink.body.end(), bytes, bytes + length);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return length;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    std::string& block = *static_cast<std::string*>(user);
    const size_t length = size * count;
    const std::string_view line(data, length);
    // Every status line starts a new response (redirects, 100 Continue, a proxy's
    // tunnel answer); only the last response's block is kept.
    if (line.starts_with("HTTP/")) block.clear();
    if (line != "\r\n" && line != "\n") block.append(line);
    return length;
}

}  // namespace

InternetSession::InternetSession(Text agent, Text proxyList)
    : agent_(std::move(agent)), proxyList_(std::move(proxyList)) {}

InternetSession::~InternetSession() = default;

std::unique_ptr<InternetSession> InternetSession::Open(const Text& agent, const Text& proxyList) {
    GlobalInit();
    if (!CookieStore()) return nullptr;
    return std::unique_ptr<InternetSession>(new InternetSession(agent, proxyList));
}

Text InternetSession::ProxyFor(bool secure) const {
    const std::string& list = proxyList_.Bytes();
    if (list.starts_with("http=")) return secure ? Text() : Text(list.substr(5));
    return proxyList_;
}

InternetConnection::InternetConnection(const InternetSession& session, Text host, int port)
    : session_(session), host_(std::move(host)), port_(port) {}

InternetConnection::~InternetConnection() = default;

std::unique_ptr<InternetConnection> InternetConnection::Open(const InternetSession& session,
                                                             const Text& host, int port) {
    if (host.IsEmpty() || port < 0 || port > 65535) return nullptr;
    return std::unique_ptr<InternetConnection>(new InternetConnection(session, host, port));
}

InternetRequest::InternetRequest(const InternetConnection& connection, void* curl,
                                 std::uint32_t flags, Text verb)
    : connection_(connection), curl_(curl), flags_(flags), verb_(std::move(verb)) {}

InternetRequest::~InternetRequest() { curl_easy_cleanup(static_cast<CURL*>(curl_)); }

std::unique_ptr<InternetRequest> InternetRequest::Open(const InternetConnection& connection,
                                                       const Text& verb, const Text& path,
                                                       std::uint32_t flags) {
    const bool secure = (flags & kFlagSecure) != 0;
    std::string url = secure ? "https://" : "http://";
    url += connection.Host().Bytes() + ":" + std::to_string(connection.Port());
    // Raw spaces would make curl reject the URL; on the wire they are %20 anyway, as
    // curl itself writes bytes of 0x80 and above.
    for (const char c : path.Bytes().starts_with("/") ? path.Bytes() : "/" + path.Bytes())
        url += c == ' ' ? std::string("%20") : std::string(1, c);

    // Parse now so that a URL curl cannot use fails here, not silently at send time.
    CURLU* parsed = curl_url();
    if (!parsed) return nullptr;
    char* normalized = nullptr;
    const bool usable = curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
                        curl_url_get(parsed, CURLUPART_URL, &normalized, 0) == CURLUE_OK;
    curl_url_cleanup(parsed);
    if (!usable) return nullptr;
    url = normalized;
    curl_free(normalized);

    CURL* curl = curl_easy_init();
    if (!curl) return nullptr;
    std::unique_ptr<InternetRequest> request(new InternetRequest(connection, curl, flags, verb));
    const InternetSession& session = connection.Session();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReadPieceBytes);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, session.Agent().CStr());
    // Always set, so that an empty proxy means direct and proxy variables of the
    // environment are not taken.
    curl_easy_setopt(curl, CURLOPT_PROXY, session.ProxyFor(secure).CStr());
    const bool follow = (flags & kFlagNoAutoRedirect) == 0;
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    if ((flags & kFlagNoCookies) == 0) {
        curl_easy_setopt(curl, CURLOPT_SHARE, CookieStore());
        curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");  // engine on, nothing read from disk
    }
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!TestCaBundle().empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, TestCaBundle().c_str());
    return request;
}

void InternetRequest::Send(const Text& headers, const Bytes* requestBody, Bytes& body) {
    CURL* curl = static_cast<CURL*>(curl_);
    const std::string& verb = verb_.Bytes();
    const bool hasBody = requestBody && !requestBody->empty();
    if (verb == "GET") {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    } else if (verb == "HEAD") {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    } else {
        if (verb == "POST" || hasBody) {
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(hasBody ? requestBody->size() : 0));
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS,
                             hasBody ? reinterpret_cast<const char*>(requestBody->data()) : "");
        }
        if (verb != "POST") curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, verb.c_str());
    }

    curl_slist* list = nullptr;
    bool hasAccept = false, hasContentType = false, hasExpect = false;
    for (const std::string& line : Lines(headers.Bytes())) {
        const std::string name = HeaderName(line);
        hasAccept |= name == "accept";
        hasContentType |= name == "content-type";
        hasExpect |= name == "expect";
        const size_t colon = line.find(':');
        const bool emptyValue = colon != std::string::npos &&
                                line.find_first_not_of(' ', colon + 1) == std::string::npos;
        // curl drops "Name:" and "Name: " as removals; "Name;" is its way to send an empty one.
        list = curl_slist_append(list,
                                 emptyValue ? (line.substr(0, colon) + ";").c_str() : line.c_str());
    }
    // Keep curl from adding headers of its own that the block does not have.
    if (!hasAccept) list = curl_slist_append(list, "Accept:");
    if (!hasContentType) list = curl_slist_append(list, "Content-Type:");
    if (!hasExpect) list = curl_slist_append(list, "Expect:");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);

    rawHeaders_.clear();
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &rawHeaders_);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    BodySink sink{curl, body};
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    const CURLcode result = curl_easy_perform(curl);
    // A failed exchange has no usable response head, even if part of one arrived.
    if (result != CURLE_OK && result != CURLE_WRITE_ERROR && result != CURLE_RECV_ERROR &&
        result != CURLE_PARTIAL_FILE)
        rawHeaders_.clear();
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(list);
}

Text InternetRequest::RawHeaders(int bufferLength) const {
    if (rawHeaders_.empty() || static_cast<int>(rawHeaders_.size()) + 1 > bufferLength)
        return Text(std::string(static_cast<size_t>(bufferLength < 0 ? 0 : bufferLength), ' '));
    return Text(rawHeaders_);
}

void AddTrustedCaFileForTests(const Text& path) {
    std::string& bundle = TestCaBundle();
    if (!bundle.empty()) std::remove(bundle.c_str());
    if (path.IsEmpty()) {
        bundle.clear();
        return;
    }
    // CURLOPT_CAINFO replaces the default bundle, so the system's goes in front of ours.
    std::string contents;
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    for (const char* file : {info && info->cainfo ? info->cainfo : "", path.CStr()}) {
        std::ifstream in(file, std::ios::binary);
        contents.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        contents += "\n";
    }
    bundle = "/tmp/tallowin-ca-" + std::to_string(getpid()) + ".pem";
    std::ofstream(bundle, std::ios::binary) << contents;
}

}  // namespace tallowin::platform
