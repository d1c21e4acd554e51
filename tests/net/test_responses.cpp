// What the component makes of the server's answers, and how failures are reported.
#include <gtest/gtest.h>

#include "net/iehttp.h"
#include "support/compression.h"
#include "support/error_message.h"
#include "support/loopback_server.h"
#include "system/exception.h"

#include <zlib.h>

namespace {
std::string Gzip(const std::string& text);
}  // namespace

TEST(Responses, ErrorPageBodyIsTakenLikeAnyOther) {
    LoopbackServer server({{HttpResponse("not\r\nhere", {}, "HTTP/1.0 404 Not Found")}});
    TIEHTTP http;
    EXPECT_NO_THROW(http.ExecuteURL(server.Url(L"/missing")));
    EXPECT_EQ(http.ResponseLines(), (TStringList{"not", "here"}));
    EXPECT_EQ(http.ResponseBody(), "not\r\nhere");
    EXPECT_EQ(http.ErrorCode(), 0);
    EXPECT_EQ(http.Status(), 0);
    ASSERT_FALSE(http.ResponseHeaders().empty());
    EXPECT_EQ(http.ResponseHeaders()[0], "HTTP/1.0 404 Not Found");
}

TEST(Responses, ContentLengthAnnouncedMissingOrCustom) {
    struct Case { std::vector<std::string> headers; uint32_t length; };
    const Case cases[] = {
        {{"Content-Length: 5"}, 5},
        {{}, 1},
        {{"Custom-Content-Length: 1234"}, 1234},
        {{"Custom-Content-Length: 0"}, 1},
        {{"Content-Length: 5", "Custom-Content-Length: 99"}, 5},
    };
    for (const Case& c : cases) {
        LoopbackServer server({{HttpResponse("hello", c.headers)}});
        TIEHTTP http;
        http.ExecuteURL(server.Url(L"/"));
        EXPECT_EQ(http.ContentLength(), c.length);
        EXPECT_EQ(http.ResponseLines(), TStringList{"hello"});
    }
}

TEST(Responses, CookiesInOrderAndHeaderLookup) {
    // The library keeps cookies for later requests to the host; the path keeps them to this test.
    LoopbackServer server({{HttpResponse("x", {"Set-Cookie: a=1; Path=/cookies", "X-Type: not this",
                                               "Set-Cookie: b=2; Path=/cookies", "Content-Type: text/plain",
                                               "Set-Cookie: c=3; Path=/cookies"})}});
    TIEHTTP http;
    http.ExecuteURL(server.Url(L"/cookies/"));
    EXPECT_EQ(http.Cookies(), (TStringList{"a=1; Path=/cookies", "b=2; Path=/cookies", "c=3; Path=/cookies"}));
    EXPECT_EQ(http.HeaderValue("content-type"), "text/plain");
    EXPECT_EQ(http.HeaderValue("Content-Type:"), "text/plain");
    EXPECT_EQ(http.HeaderValue("Type"), "");
    EXPECT_EQ(http.HeaderIndex("x-type"), 2);
    EXPECT_EQ(http.ResponseHeaders()[0], "HTTP/1.0 200 OK");
}

TEST(Responses, LargeBodyIsReadAcrossManyPieces) {
    std::string body;
    for (int i = 0; body.size() < 1000000; ++i) body += "line " + std::to_string(i) + "\n";
    LoopbackServer server({{HttpResponse(body, {"Content-Length: " + std::to_string(body.size())})}});
    TIEHTTP http;
    http.ExecuteURL(server.Url(L"/big"));
    EXPECT_EQ(http.ResponseBody(), body);
    EXPECT_EQ(http.BytesReceived(), body.size());
    EXPECT_GE(http.ReadCount(), 2u) << "the body, then a zero-byte read";
    ASSERT_FALSE(http.ResponseLines().empty());
    EXPECT_EQ(http.ResponseLines().back(), "line " + std::to_string(http.ResponseLines().size() - 1));
}

TEST(Responses, BodyPastTheLimitEndsTheRequestWithAnError) {
    LoopbackServer server({{HttpResponse(std::string(200000, 'x'))}});
    TIEHTTP http;
    http.MaxBodyBytes = 100000;
    EXPECT_EQ(MessageOf([&] { http.ExecuteURL(server.Url(L"/")); }),
              "http error: Response body larger than 100000 bytes");
    EXPECT_TRUE(http.ResponseBody().empty());
    EXPECT_FALSE(http.RequestInProgress());
}

TEST(Responses, GzipEncodedBodyIsDecodedAndSplit) {
    const std::string text = "version=1.0.6\r\nsecond\r\n";
    LoopbackServer server({{HttpResponse(Gzip(text), {"Content-Encoding: gzip"})}});
    TIEHTTP http;
    http.ExecuteURL(server.Url(L"/Version.ini"));
    EXPECT_EQ(http.ResponseBody(), text);
    EXPECT_EQ(http.ResponseLines(), (TStringList{"version=1.0.6", "second"}));
}

TEST(Responses, ResetInTheMiddleOfTheBodyIsAnError) {
    // Announces more than it sends, then resets the connection in the middle of the body. Windows
    // reports the reset as a failed read; Wine reports it as the end of the body, which the
    // announced length shows to be short.
    ScriptedResponse cut{HttpResponse(std::string(5000, 'x'), {"Content-Length: 100000"})};
    cut.delayMs = 100;
    cut.reset = true;
    LoopbackServer server({cut});
    TIEHTTP http;
    std::string message = MessageOf([&] { http.ExecuteURL(server.Url(L"/")); });
    if (http.ErrorCode() > 0)
        EXPECT_EQ(message, "Error:" + ToAnsi(TIEHTTP::ErrorName(http.ErrorCode())));
    else
        EXPECT_EQ(message.substr(0, 35), "http error: Response body cut short");
    EXPECT_TRUE(http.ResponseBody().empty());
    EXPECT_TRUE(http.ResponseLines().empty());
}

TEST(Errors, RefusedConnectionSaysTheSiteIsOffline) {
    TIEHTTP http;
    std::wstring address = L"http://127.0.0.1:" + std::to_wstring(UnusedLoopbackPort()) + L"/Version.ini";
    EXPECT_EQ(MessageOf([&] { http.ExecuteURL(address); }),
              "Error:Site is currently offline and cannot check for an update of the software at the moment.");
    EXPECT_EQ(http.ErrorCode(), 12029);
    EXPECT_FALSE(http.RequestInProgress());
}

TEST(Errors, UnresolvableNameEndsSilently) {
    TIEHTTP http;
    EXPECT_NO_THROW(http.ExecuteURL(L"http://zarvex-test.invalid/Version.ini"));
    EXPECT_EQ(http.ErrorCode(), 12007);
    EXPECT_TRUE(http.ResponseLines().empty());
}

TEST(Errors, NoUrlLeavesTheComponentIdle) {
    LoopbackServer server({{HttpResponse("fine")}});
    TIEHTTP http;
    EXPECT_EQ(MessageOf([&] { http.Execute(); }), "TIEHTTP: no url in execute method");
    EXPECT_FALSE(http.RequestInProgress());
    EXPECT_NO_THROW(http.SetgetStr(L"x=1"));
    http.ExecuteURL(server.Url(L"/"));
    EXPECT_EQ(http.ResponseLines(), TStringList{"fine"});
}

namespace {
std::string Gzip(const std::string& text) {
    std::string out = Deflate(text, 16 + MAX_WBITS);
    // A name in the header, as some servers send: only Content-Encoding makes this decodable.
    out[3] = 0x08;
    out.insert(10, std::string("v.ini\0", 6));
    return out;
}
}  // namespace
