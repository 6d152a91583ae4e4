#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/TextOps.h"
#include "http/FetchUrl.h"
#include "platform/Internet.h"
#include "testing/ServerProcess.h"

namespace tallowin::http {
namespace {

using common::TextArray;
using test_servers::ServerProcess;

const std::string kServerScript = TALLOWIN_SOURCE_DIR "/tests/http/http_test_server.py";
const Text kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const Text kSpaces(std::string(5000, ' '));

std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// What the echo path answers: the request head as received, then the request body.
struct Echo {
    std::string requestLine;
    std::vector<std::string> lines;  // header lines without Host, in the order sent
    std::string body;

    explicit Echo(const Bytes& answer) {
        const std::string all = AsString(answer);
        const size_t end = all.find("\r\n\r\n");
        body = end == std::string::npos ? "" : all.substr(end + 4);
        std::string head = all.substr(0, end);
        size_t start = 0;
        for (size_t i = 0; start <= head.size(); ++i) {
            size_t next = head.find("\r\n", start);
            const std::string line = head.substr(start, next - start);
            if (i == 0) {
                requestLine = line;
            } else if (!line.starts_with("Host: ")) {
                lines.push_back(line);
            }
            if (next == std::string::npos) break;
            start = next + 2;
        }
    }
    bool Has(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

class FetchUrlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = new ServerProcess({"python3", kServerScript}, true);
        ASSERT_GT(server_->Port(), 0);
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    static std::string Base() { return "http://127.0.0.1:" + std::to_string(server_->Port()); }
    static Text Url(const std::string& path) { return Text(Base() + path); }

    static ServerProcess* server_;
};
ServerProcess* FetchUrlTest::server_ = nullptr;

TEST_F(FetchUrlTest, PlainGetSendsExactlyTheDefaultBlock) {
    const Text url = Url("/echo?q=1");
    FetchOptions options;
    const Echo echo(FetchUrl(url, options));
    EXPECT_EQ(echo.requestLine, "GET /echo?q=1 HTTP/1.1");
    const std::vector<std::string> expected = {"User-Agent: " + kDefaultAgent.Bytes(),
                                               "Accept: */*", "Referer: " + url.Bytes(),
                                               "Accept-Language: zh-cn"};
    EXPECT_EQ(echo.lines, expected);
    EXPECT_EQ(echo.body, "");
    EXPECT_EQ(options.requestHeaders,
              "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn");
    EXPECT_TRUE(options.responseHeaders.Bytes().starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(options.responseHeaders.Bytes().ends_with("\r\n"));
    EXPECT_FALSE(options.responseHeaders.Bytes().ends_with("\r\n\r\n"));

    // The URL-only form is the same request.
    EXPECT_EQ(Echo(FetchUrl(url)).lines, expected);
    // The path keeps the caller's case and escapes; spaces and GBK bytes go out escaped.
    EXPECT_EQ(Echo(FetchUrl(Url("/echo/中文/A%20b c?x=Y"))).requestLine,
              "GET /echo/%d6%d0%ce%c4/A%20b%20c?x=Y HTTP/1.1");
}

TEST_F(FetchUrlTest, PostSendsBodyTextAndDefaultContentType) {
    const Text url = Url("/echo");
    FetchOptions options;
    options.method = kPost;
    options.bodyText = "a=1";
    const Echo echo(FetchUrl(url, options));
    EXPECT_EQ(echo.requestLine, "POST /echo HTTP/1.1");
    EXPECT_TRUE(echo.Has("Content-Length: 3"));
    EXPECT_TRUE(echo.Has("Content-Type: application/x-www-form-urlencoded"));
    EXPECT_FALSE(echo.Has("Expect: 100-continue"));
    EXPECT_EQ(echo.body, "a=1");
    EXPECT_EQ(AsString(options.bodyBytes), "a=1");
    EXPECT_EQ(options.requestHeaders, "Accept: */*\r\nReferer: " + url +
                                          "\r\nAccept-Language: zh-cn\r\nContent-Type: "
                                          "application/x-www-form-urlencoded");

    // Bytes win over text; a large body goes out without waiting for 100 Continue.
    FetchOptions big;
    big.method = kPost;
    big.bodyText = "ignored";
    big.bodyBytes = Bytes(70000, 'z');
    EXPECT_EQ(Echo(FetchUrl(url, big)).body, std::string(70000, 'z'));
}

TEST_F(FetchUrlTest, CallerHeadersAreCanonicalisedAndCompleted) {
    struct Case {
        const char* requestHeaders;
        int method;
        std::vector<std::string> expected;  // after the Host line, Content-Length left out
    };
    const std::string agent = "User-Agent: " + kDefaultAgent.Bytes();
    const std::string referer = "Referer: " + Url("/echo").Bytes();
    const Case cases[] = {
        {"content-type: text/plain",
         kPost,
         {agent, "Content-Type: text/plain", "Accept: */*", referer, "Accept-Language: zh-cn"}},
        // The Accept check is exact, so a lower-case accept line gets a second Accept.
        {"accept: text/html",
         kGet,
         {agent, "Accept: text/html", "Accept: */*", referer, "Accept-Language: zh-cn"}},
        {"User-Agent: Foo/1",
         kGet,
         {"User-Agent: Foo/1", "Accept: */*", referer, "Accept-Language: zh-cn"}},
        {"X-Bare:dropped\r\nx-REQUESTED-with: XMLHttpRequest\r\nX-Time: 12: 30\r\nx-empty: ",
         kGet,
         {agent, "X-REQUESTED-With: XMLHttpRequest", "X-Time: 12: 30", "X-Empty:", "Accept: */*",
          referer, "Accept-Language: zh-cn"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requestHeaders);
        FetchOptions options;
        options.method = c.method;
        options.requestHeaders = c.requestHeaders;
        Echo echo(FetchUrl(Url("/echo"), options));
        std::erase_if(echo.lines,
                      [](const std::string& l) { return l.starts_with("Content-Length"); });
        EXPECT_EQ(echo.lines, c.expected);
    }

    // Without defaults only the caller's lines go out: no Accept of the platform either.
    FetchOptions bare;
    bare.addDefaultHeaders = false;
    bare.method = kPost;
    bare.requestHeaders = "x-one: 1";
    Echo echo(FetchUrl(Url("/echo"), bare));
    const std::vector<std::string> expected = {"User-Agent: " + kDefaultAgent.Bytes(), "X-One: 1",
                                               "Content-Length: 0"};
    EXPECT_EQ(echo.lines, expected);
    EXPECT_EQ(bare.requestHeaders, "X-One: 1");
}

TEST_F(FetchUrlTest, MethodTableAndGetNeverSendsABody) {
    struct Case {
        int method;
        const char* verb;
        const char* body;
    };
    const Case cases[] = {{9, "GET", ""},
                          {-1, "GET", ""},
                          {kGet, "GET", ""},
                          {kPut, "PUT", "b=2"},
                          {kDelete, "DELETE", "b=2"},
                          {kOptions, "OPTIONS", "b=2"},
                          {kTrace, "TRACE", "b=2"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        FetchOptions options;
        options.method = c.method;
        options.bodyText = "b=2";
        if (std::string(c.verb) == "GET") options.bodyBytes = {'x', 'y'};
        const Echo echo(FetchUrl(Url("/echo"), options));
        EXPECT_EQ(echo.requestLine, std::string(c.verb) + " /echo HTTP/1.1");
        EXPECT_EQ(echo.body, c.body);
        EXPECT_EQ(echo.Has("Content-Length: 2") || echo.Has("Content-Length: 3"),
                  std::string(c.body) != "");
    }
}

TEST_F(FetchUrlTest, HeadGivesHeadersWithoutBody) {
    FetchOptions options;
    options.method = kHead;
    EXPECT_TRUE(FetchUrl(Url("/status/200"), options).empty());
    EXPECT_TRUE(options.responseHeaders.Bytes().starts_with("HTTP/1.1 200 "));
    EXPECT_TRUE(common::Contains(options.responseHeaders, "Content-Length: 10\r\n"));
}

TEST_F(FetchUrlTest, ErrorStatusBodiesAreReturned) {
    for (const char* code : {"404", "500"}) {
        FetchOptions options;
        EXPECT_EQ(AsString(FetchUrl(Url(std::string("/status/") + code), options)),
                  std::string("status ") + code);
        EXPECT_TRUE(options.responseHeaders.Bytes().starts_with(std::string("HTTP/1.1 ") + code));
    }
}

TEST_F(FetchUrlTest, RedirectsFollowedUnlessAskedNotTo) {
    FetchOptions chain;
    EXPECT_EQ(AsString(FetchUrl(Url("/redirect/3"), chain)), "arrived");
    // Only the final response's block remains.
    EXPECT_TRUE(chain.responseHeaders.Bytes().starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_FALSE(common::Contains(chain.responseHeaders, "Location"));
    EXPECT_EQ(Echo(FetchUrl(Url("/moved"))).requestLine, "GET /echo HTTP/1.1");

    FetchOptions stay;
    stay.noRedirect = true;
    EXPECT_EQ(AsString(FetchUrl(Url("/redirect/1"), stay)), "moving on");
    EXPECT_TRUE(stay.responseHeaders.Bytes().starts_with("HTTP/1.1 302 Found\r\n"));
    EXPECT_TRUE(common::Contains(stay.responseHeaders, "\r\nLocation: /redirect/0\r\n"));
}

TEST_F(FetchUrlTest, HeaderBlockMustFitInFiveThousandBytes) {
    // The block is 48 bytes plus the filler; with its terminating zero it must fit in 5000.
    FetchOptions fits;
    EXPECT_EQ(AsString(FetchUrl(Url("/bigheaders/4951"), fits)), "big");
    EXPECT_EQ(fits.responseHeaders.Length(), 4999);
    EXPECT_NE(fits.responseHeaders, Text(std::string(4999, ' ')));

    FetchOptions tooBig;
    EXPECT_EQ(AsString(FetchUrl(Url("/bigheaders/4952"), tooBig)), "big");
    EXPECT_EQ(tooBig.responseHeaders, kSpaces);
}

TEST_F(FetchUrlTest, CookieTextSentInBothFormsAndMerged) {
    FetchOptions first;
    first.cookies = Text();
    EXPECT_EQ(AsString(FetchUrl(Url("/cookies"), first)), "");  // no Cookie line at all
    EXPECT_EQ(*first.cookies, "sid=abc; theme=dark");
    EXPECT_EQ(first.responseCookies, "sid=abc;theme=dark");

    FetchOptions second;
    second.cookies = Text("theme=light; old=1");
    EXPECT_EQ(AsString(FetchUrl(Url("/cookies"), second)), "Cookie: theme=light; old=1");
    EXPECT_EQ(*second.cookies, "sid=abc; theme=dark; old=1");
    EXPECT_TRUE(second.requestHeaders.Bytes().ends_with("\r\nCookie: theme=light; old=1"));

    FetchOptions wholeLine;
    wholeLine.cookies = Text("Cookie: x=9");
    wholeLine.mergeCookies = false;
    EXPECT_EQ(AsString(FetchUrl(Url("/cookies"), wholeLine)), "Cookie: x=9");
    EXPECT_EQ(*wholeLine.cookies, "Cookie: x=9");
    EXPECT_EQ(wholeLine.responseCookies, "sid=abc; theme=dark");
}

TEST_F(FetchUrlTest, ProcessWideCookieStoreOnlyWithoutCookieText) {
    FetchUrl(Url("/cookies"));  // the store keeps sid and theme
    const std::string sent = AsString(FetchUrl(Url("/cookies")));
    EXPECT_NE(sent.find("sid=abc"), std::string::npos) << sent;
    EXPECT_NE(sent.find("theme=dark"), std::string::npos) << sent;

    FetchOptions own;
    own.cookies = Text("mine=1");
    EXPECT_EQ(AsString(FetchUrl(Url("/cookies"), own)), "Cookie: mine=1");
}

TEST_F(FetchUrlTest, FailuresGiveEmptyAndSpaces) {
    FetchOptions refused;
    refused.cookies = Text("a=1;  b=2");
    const Text url = Text("http://127.0.0.1:" + std::to_string(test_servers::FreePort()) + "/x");
    EXPECT_TRUE(FetchUrl(url, refused).empty());
    EXPECT_EQ(refused.responseHeaders, kSpaces);
    EXPECT_EQ(refused.responseCookies, "");
    EXPECT_EQ(*refused.cookies, "a=1; b=2");  // its own merge with nothing
    EXPECT_TRUE(refused.requestHeaders.Bytes().starts_with("Accept: */*\r\nReferer: "));

    // No host: nothing is opened, nothing of the caller's is touched.
    FetchOptions noHost;
    noHost.requestHeaders = "x-kept: 1";
    EXPECT_TRUE(FetchUrl("http:///path", noHost).empty());
    EXPECT_EQ(noHost.requestHeaders, "x-kept: 1");
    EXPECT_EQ(noHost.responseHeaders, "");
}

// TLS with a throw-away CA made by the test, and the proxy cases.
class FetchUrlTlsTest : public FetchUrlTest {
protected:
    static void SetUpTestSuite() {
        FetchUrlTest::SetUpTestSuite();
        dir_ =
            std::filesystem::temp_directory_path() / ("tallowin-tls-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        const std::string d = dir_.string();
        std::ofstream(d + "/ext.cnf") << "subjectAltName=IP:127.0.0.1\n";
        const std::string script =
            "cd '" + d +
            "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 "
            "-subj /CN=TallowinTestCA && openssl req -newkey rsa:2048 -nodes -keyout srv.key "
            "-out srv.csr -subj /CN=127.0.0.1 && openssl x509 -req -in srv.csr -CA ca.pem "
            "-CAkey ca.key -CAcreateserial -out srv.pem -days 2 -extfile ext.cnf";
        ASSERT_EQ(std::system(("(" + script + ") >/dev/null 2>&1").c_str()), 0);
        tls_ = new ServerProcess(
            {"python3", kServerScript, "--tls", d + "/srv.pem", d + "/srv.key"}, true);
        ASSERT_GT(tls_->Port(), 0);
    }
    static void TearDownTestSuite() {
        platform::AddTrustedCaFileForTests("");
        delete tls_;
        tls_ = nullptr;
        std::filesystem::remove_all(dir_);
        FetchUrlTest::TearDownTestSuite();
    }
    void SetUp() override { platform::AddTrustedCaFileForTests(Text(dir_.string() + "/ca.pem")); }
    static Text SecureUrl(const std::string& path) {
        return Text("https://127.0.0.1:" + std::to_string(tls_->Port()) + path);
    }

    static ServerProcess* tls_;
    static std::filesystem::path dir_;
};
ServerProcess* FetchUrlTlsTest::tls_ = nullptr;
std::filesystem::path FetchUrlTlsTest::dir_;

TEST_F(FetchUrlTlsTest, VerifiedAgainstTrustedCasOnly) {
    const Echo echo(FetchUrl(SecureUrl("/echo")));
    EXPECT_EQ(echo.requestLine, "GET /echo HTTP/1.1");
    EXPECT_TRUE(echo.Has("Referer: " + SecureUrl("/echo").Bytes()));

    platform::AddTrustedCaFileForTests("");
    FetchOptions untrusted;
    EXPECT_TRUE(FetchUrl(SecureUrl("/echo"), untrusted).empty());
    EXPECT_EQ(untrusted.responseHeaders, kSpaces);
}

TEST_F(FetchUrlTlsTest, HttpRedirectToHttpsIsFollowed) {
    FetchOptions options;
    const Echo echo(FetchUrl(Url("/to?" + SecureUrl("/echo").Bytes()), options));
    EXPECT_EQ(echo.requestLine, "GET /echo HTTP/1.1");
    EXPECT_TRUE(options.responseHeaders.Bytes().starts_with("HTTP/1.1 200 OK\r\n"));
}

TEST_F(FetchUrlTlsTest, ProxyCarriesHttpAndTunnelsHttps) {
    const int port = test_servers::FreePort();
    const std::string conf = dir_.string() + "/tinyproxy.conf";
    std::ofstream(conf) << "Port " << port << "\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\n"
                        << "LogLevel Critical\n";
    ServerProcess proxy({"tinyproxy", "-d", "-c", conf}, false);
    ASSERT_TRUE(test_servers::WaitUntilListening(port));
    const Text proxyText = Text("127.0.0.1:" + std::to_string(port));

    auto viaProxy = [](const Echo& echo) {
        for (const std::string& line : echo.lines)
            if (line.starts_with("Via: ") && line.find("tinyproxy") != std::string::npos)
                return true;
        return false;
    };
    FetchOptions plain;
    plain.proxy = proxyText;
    const Echo proxied(FetchUrl(Url("/echo"), plain));
    EXPECT_EQ(proxied.requestLine, "GET /echo HTTP/1.1");
    EXPECT_TRUE(viaProxy(proxied));
    EXPECT_FALSE(viaProxy(Echo(FetchUrl(Url("/echo")))));

    FetchOptions secure;
    secure.proxy = proxyText;
    EXPECT_EQ(Echo(FetchUrl(SecureUrl("/echo"), secure)).requestLine, "GET /echo HTTP/1.1");
    EXPECT_TRUE(secure.responseHeaders.Bytes().starts_with("HTTP/1.1 200 OK\r\n"));

    // A dead proxy proves both kinds of URL really go through it.
    const Text dead = Text("127.0.0.1:" + std::to_string(test_servers::FreePort()));
    for (const Text& url : {Url("/echo"), SecureUrl("/echo")}) {
        FetchOptions options;
        options.proxy = dead;
        EXPECT_TRUE(FetchUrl(url, options).empty()) << url;
    }
}

}  // namespace
}  // namespace tallowin::http
