// What the server receives from the component, byte for byte.
#include <gtest/gtest.h>

#include "net/iehttp.h"
#include "support/error_message.h"
#include "support/loopback_server.h"
#include "system/exception.h"

namespace {
const std::string kBoundary = "-----------------------------7cf87224d2020a";

class RequestBytes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Ready()); }

    // Runs the request and gives what the server received on its last connection.
    std::string Sent(const std::wstring& path) {
        http.ExecuteURL(server.Url(path));
        server.WaitUntilIdle();
        return server.ConnectionCount() ? server.Request(server.ConnectionCount() - 1) : std::string();
    }
    std::string Host() const { return "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"; }
    // The library puts Host (and Content-Length for a body) and the agent before our header block;
    // with a body and no cache write, Wine's library also asks proxies not to cache the answer.
    std::string Head(const std::string& requestLine, const std::string& ours, size_t bodyLength = 0) const {
        std::string length = bodyLength ? "Content-Length: " + std::to_string(bodyLength) + "\r\n" : "";
        std::string noCache = bodyLength ? "Cache-Control: no-cache\r\n" : "";
        return requestLine + "\r\n" + Host() + length + "User-Agent: Kestrix Update System (ZRVX)\r\n" + noCache +
               ours;
    }

    LoopbackServer server{{{HttpResponse("ok")}}};
    TIEHTTP http;
};
}  // namespace

TEST_F(RequestBytes, GetAsksForPathAndQueryWithTheHeaderBlock) {
    EXPECT_EQ(Sent(L"/p?a=1+2"), Head("GET /p?a=1+2 HTTP/1.0", "Accept-Encoding: gzip, deflate\r\n\r\n"));
}

TEST_F(RequestBytes, PostSendsTheQueryAsAnEscapedFormBody) {
    http.SetRequestMethod(L"post");
    EXPECT_EQ(Sent(L"/p?a=1+2"), Head("POST /p HTTP/1.0",
                                      "Content-Type: application/x-www-form-urlencoded\r\n"
                                      "Accept-Encoding: gzip, deflate\r\n\r\n"
                                      "a=1%2B2",
                                      7));
}

TEST_F(RequestBytes, GetStrIsAppendedOnceWithQuestionMarkOrAmpersand) {
    struct Case { std::wstring path; std::string object; };
    for (const Case& c : {Case{L"/p", "/p?x=1"}, Case{L"/p?a=1", "/p?a=1&x=1"}}) {
        http.SetgetStr(L"x=1");
        std::string sent = Sent(c.path);
        EXPECT_EQ(sent.substr(0, sent.find("\r\n")), "GET " + c.object + " HTTP/1.0");
        EXPECT_TRUE(http.getStr().empty());
    }
    std::string again = Sent(L"/p");
    EXPECT_EQ(again.substr(0, again.find("\r\n")), "GET /p HTTP/1.0");
}

TEST_F(RequestBytes, PostStrBecomesTheBodyAndFollowsAnAddressQuery) {
    struct Case { std::wstring path; std::string body; };
    http.SetRequestMethod(L"POST");
    for (const Case& c : {Case{L"/p", "x=3"}, Case{L"/p?a=1+2", "a=1%2B2&x=3"}}) {
        http.SetpostStr(L"x=3");
        std::string sent = Sent(c.path);
        EXPECT_EQ(sent.substr(sent.find("\r\n\r\n") + 4), c.body);
        EXPECT_NE(sent.find("Content-Length: " + std::to_string(c.body.size()) + "\r\n"), std::string::npos);
        EXPECT_TRUE(http.postStr().empty());
    }
}

TEST_F(RequestBytes, GetWithPostStrIsNotSentAndReportsItsError) {
    http.SetpostStr(L"x=1");
    EXPECT_EQ(MessageOf([&] { http.ExecuteURL(server.Url(L"/p")); }), "http error: No poststr allowed in GET method");
    EXPECT_EQ(server.ConnectionCount(), 0u);
    EXPECT_TRUE(http.ResponseLines().empty());
}

TEST_F(RequestBytes, UserAgentAndExtraHeaderLinesAreSent) {
    http.UserAgent = L"Other Agent";
    http.RequestHeaders = {"Accept-Encoding: gzip, deflate", "X-Two: 2"};
    EXPECT_EQ(Sent(L"/"), "GET / HTTP/1.0\r\n" + Host() +
                              "User-Agent: Other Agent\r\n"
                              "Accept-Encoding: gzip, deflate\r\nX-Two: 2\r\n\r\n");
}

TEST_F(RequestBytes, ProxyAuthorizationCarriesBase64Credentials) {
    http.ProxyUserName = L"user";
    http.ProxyPassword = L"pa:ss";
    std::string sent = Sent(L"/");
    EXPECT_NE(sent.find("\r\nProxy-Authorization: Basic dXNlcjpwYTpzcw==\r\n"), std::string::npos) << sent;
}

TEST_F(RequestBytes, MultipartBodyByteForByte) {
    http.SetMultipartPOST(true);
    EXPECT_EQ(http.RequestMethod(), L"POST");
    http.AddVariable(L"v", L"1.0");
    http.AddVariable(L"w", L"\u00fc");  // UTF-8 in the body
    http.AddVariable(L"v", L"2.0");     // same name: new value in place
    std::string body = "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"v\"\r\n\r\n2.0\r\n" +
                       "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"w\"\r\n\r\n\xC3\xBC\r\n" +
                       "--" + kBoundary + "--\r\n";
    EXPECT_EQ(Sent(L"/up"), Head("POST /up HTTP/1.0",
                                 "Content-Type: multipart/form-data; boundary=" + kBoundary + "\r\n"
                                 "Accept-Encoding: gzip, deflate\r\n\r\n" + body,
                                 body.size()));
}

TEST_F(RequestBytes, MultipartVariablesFromTheAddressQuery) {
    struct Case { std::wstring path; std::vector<std::pair<std::string, std::string>> variables; };
    http.SetMultipartPOST(true);
    for (const Case& c : {Case{L"/m?&a=1&b=2", {{"a", "1"}, {"b", "2"}}}, Case{L"/m?a=1&a=2", {{"a", "2"}}}}) {
        std::string sent = Sent(c.path);
        std::string body;
        for (const auto& [name, value] : c.variables)
            body += "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
        body += "--" + kBoundary + "--\r\n";
        EXPECT_EQ(sent.substr(sent.find("\r\n\r\n") + 4), body);
        EXPECT_EQ(sent.substr(0, sent.find("\r\n")), "POST /m HTTP/1.0");
    }
}

TEST_F(RequestBytes, MultipartFailuresAreReportedAndNothingIsSent) {
    struct Case { std::wstring path; std::string message; };
    http.SetMultipartPOST(true);
    for (const Case& c : {Case{L"/m?a=", "http error: could not convert a= to multipart"},
                          Case{L"/m", "http error: multipart error: no variables to post"}}) {
        try {
            http.ExecuteURL(server.Url(c.path));
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
    EXPECT_EQ(server.ConnectionCount(), 0u);
}

TEST_F(RequestBytes, HttpsOnAnyPortStartsTransportSecurity) {
    LoopbackServer tls({{HttpResponse("plain"), false, 1000}});
    ASSERT_TRUE(tls.Ready());
    std::wstring address = L"https://127.0.0.1:" + std::to_wstring(tls.Port()) + L"/";
    EXPECT_THROW(http.ExecuteURL(address), Exception);
    tls.WaitUntilIdle();
    std::string hello = tls.Request(0);
    ASSERT_GE(hello.size(), 3u);
    EXPECT_EQ(hello[0], '\x16') << "a TLS handshake record, not a plain request";
    EXPECT_EQ(hello[1], '\x03');
    EXPECT_TRUE(http.ResponseLines().empty());
}

TEST(RequestFlagsTable, SecurityFollowsSchemeAndPort443) {
    struct Case { INTERNET_SCHEME scheme; INTERNET_PORT port; DWORD flags; };
    // Always: no cache, no cache write, redirects followed by the component itself.
    const DWORD always = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    const DWORD secure = always | INTERNET_FLAG_SECURE | INTERNET_FLAG_PRAGMA_NOCACHE;
    for (const Case& c : {Case{INTERNET_SCHEME_HTTP, 80, always}, Case{INTERNET_SCHEME_HTTP, 443, secure},
                          Case{INTERNET_SCHEME_HTTPS, 443, secure}, Case{INTERNET_SCHEME_HTTPS, 8443, secure}}) {
        ParsedAddress address;
        address.scheme = c.scheme;
        address.port = c.port;
        EXPECT_EQ(RequestFlags(address), c.flags) << c.port;
        EXPECT_EQ(RequestFlags(address) & (SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID),
                  0u);
    }
}
