#include <gtest/gtest.h>

#include <optional>

#include "http/Cookies.h"
#include "http/UrlParsing.h"

namespace tallowin::http {
namespace {

struct UrlCase {
    const char* url;
    const char* host;
    const char* hostWithPort;
    int port;
    const char* path;
};

TEST(UrlParsing, HostPortAndPath) {
    const UrlCase cases[] = {
        {"http://W.X.Y:81/a/B?q=1", "w.x.y", "w.x.y:81", 81, "/a/B?q=1"},
        {"https://w.x.y", "w.x.y", "w.x.y", 443, "/"},
        {"HTTPS://W.X.Y/Index", "w.x.y", "w.x.y", 443, "/Index"},
        {"w.x.y/p", "w.x.y", "w.x.y", 80, "/p"},
        {"http://w.x.y:/p", "w.x.y", "w.x.y:", 0, "/p"},
        {"", "", "", 80, "/"},
        // Neither "?" nor "#" ends the host: only a "/" does.
        {"http://w.x.y?q=1", "w.x.y?q=1", "w.x.y?q=1", 80, "/"},
        {"http://127.0.0.1:8080/x/Y", "127.0.0.1", "127.0.0.1:8080", 8080, "/x/Y"},
        // The path is found after the host, so a host-like path segment is not confused.
        {"http://a.b/a.b/C", "a.b", "a.b", 80, "/a.b/C"},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(UrlHost(c.url), Text(c.host));
        EXPECT_EQ(UrlHost(c.url, false, true), Text(c.hostWithPort));
        EXPECT_EQ(UrlPort(c.url), c.port);
        EXPECT_EQ(UrlPath(c.url), Text(c.path));
    }
}

TEST(UrlParsing, MainDomainAndLevelCount) {
    struct Case {
        const char* url;
        bool mainDomainOnly;
        bool keepPort;
        std::optional<int> levelCount;
        const char* host;
    };
    const Case cases[] = {
        {"http://w.x.y.z/", true, false, std::nullopt, "y.z"},
        {"http://w/", true, false, std::nullopt, "w"},
        {"http://v.w.x.y/", false, false, 0, "x.y"},
        {"http://v.w.x.y/", true, false, 0, "y"},
        {"http://x.y/", false, false, 1, "x.y"},
        {"https://U.V.W.X.Y/p", false, false, 1, "w.x.y"},
        {"http://v.w.x.y/", false, false, -3, "x.y"},
        // A dot in the very last byte is not a label boundary.
        {"v.w.x.", false, false, 0, "w.x."},
        {"http://v.w.x.y:81/", false, false, 0, "x.y"},
        {"http://v.w.x.y:81/", false, true, 0, "x.y:81"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(UrlHost(c.url, c.mainDomainOnly, c.keepPort, c.levelCount), Text(c.host));
    }
}

TEST(UrlParsing, TextBetweenAndBeforeFirst) {
    EXPECT_EQ(TextBetween("<a href=\"f.exe\">", "href=#引号", "#引号"), Text("f.exe"));
    // The right marker only counts after the left one.
    EXPECT_EQ(TextBetween("] x [", "[", "]"), Text(""));
    EXPECT_EQ(TextBetween("[]", "[", "]"), Text(""));
    EXPECT_EQ(TextBetween("no marker", "[", "]"), Text(""));
    EXPECT_EQ(TextBetween("[a] [b]", "[", "]", 3), Text("b"));
    EXPECT_EQ(TextBetween("X-Key: V\r\n", "x-key:", "\r\n", std::nullopt, true), Text(" V"));
    EXPECT_EQ(TextBetween("X-Key: V\r\n", "x-key:", "\r\n"), Text(""));
    // A marker byte inside a double-byte character is not a match.
    EXPECT_EQ(TextBetween("\x81[x][y]", "[", "]"), Text("y"));

    EXPECT_EQ(TextBeforeFirst("12-34", "-"), Text("12"));
    EXPECT_EQ(TextBeforeFirst("1234", "-"), Text(""));
    EXPECT_EQ(TextBeforeFirst("-34", "-"), Text(""));
    // Counted from the very beginning, whatever the start.
    EXPECT_EQ(TextBeforeFirst("1-2-3", "-", 3), Text("1-2"));
    EXPECT_EQ(TextBeforeFirst("1-2", "-", -5), Text("1"));
    EXPECT_EQ(TextBeforeFirst("aXb", "x", 1, true), Text("a"));
}

TEST(Cookies, CollectFromHeaderBlock) {
    struct Case {
        const char* headers;
        const char* cookies;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; Path=/; HttpOnly\r\nSet-Cookie: "
         "theme=dark\r\n\r\n",
         "sid=abc; theme=dark"},
        {"HTTP/1.1 200 OK\r\nset-cookie: x=1\r\nSet-Cookie:x=1\r\n", ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n", ""},
        {"", ""},
        // Values are taken as sent, no quoting or decoding.
        {"Set-Cookie:  q=\"a b\"%20 \r\n", "q=\"a b\"%20"},
        {"Set-Cookie: e=; Max-Age=0\r\n", "e="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers);
        EXPECT_EQ(CollectResponseCookies(c.headers), Text(c.cookies));
    }
}

TEST(Cookies, MergeWritesBothArguments) {
    struct Case {
        const char* old;
        const char* fresh;
        const char* merged;
        const char* freshAfter;
    };
    const Case cases[] = {
        {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3;c=4"},
        {"sid=abc; x=1", "sid=deleted", "x=1", "sid=deleted"},
        {"a=1; a=2", "", "a=1", ""},
        {"", "a=1; a=2", "a=1; a=2", "a=1;a=2"},
        {"", "a=1; a=1", "a=1", "a=1;a=1"},
        {"", "p=hello world", "p=helloworld", "p=helloworld"},
        {"x=undeleted", "", "x=undeleted", ""},
        {"a=1;;b=2", "", "a=1; ; b=2", ""},
        {"", "", "", ""},
        // The full-width blank goes too, a Chinese value stays whole.
        {"n=\xA1\xA1中文", "", "n=中文", ""},
        {"A=1", "a=2", "a=2; A=1", "a=2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.old) + " + " + c.fresh);
        Text cookies = c.old;
        Text fresh = c.fresh;
        EXPECT_EQ(MergeCookies(cookies, fresh), Text(c.merged));
        EXPECT_EQ(cookies, Text(c.merged));
        EXPECT_EQ(fresh, Text(c.freshAfter));
    }
}

TEST(Cookies, PiecesAndNames) {
    EXPECT_EQ(CookieName(" sid =abc=d"), Text("sid"));
    EXPECT_EQ(CookieName(" flag "), Text("flag"));
    EXPECT_EQ(CookieName("=v"), Text(""));
    const TextArray pieces = {"a=1", "B=2", "a=1"};
    EXPECT_TRUE(HasCookieNamed(pieces, "B"));
    EXPECT_FALSE(HasCookieNamed(pieces, "b"));
    EXPECT_EQ(FindPiece(pieces, "a=1"), 1);
    EXPECT_EQ(FindPiece(pieces, "B=2"), 2);
    EXPECT_EQ(FindPiece(pieces, "b=2"), -1);
    EXPECT_EQ(RemoveDuplicatePieces("x, y, x, Y", ", "), Text("x, y, Y"));
    EXPECT_EQ(RemoveDuplicatePieces("", ", "), Text(""));
}

}  // namespace
}  // namespace tallowin::http
