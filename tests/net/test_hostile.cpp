// Servers that answer badly on purpose: nothing damaged comes back as good, every failure is
// reported, and nothing of a request goes on after Execute has returned.
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>

#include "net/iehttp.h"
#include "net/worker.h"
#include "support/compression.h"
#include "support/error_message.h"
#include "support/loopback_server.h"
#include "system/exception.h"
#include "system/text_codes.h"

namespace {
std::string Gzip(const std::string& text) { return Deflate(text, 16 + MAX_WBITS); }

// Flips one byte counted from the end.
std::string Damaged(std::string bytes, size_t fromEnd) {
    bytes[bytes.size() - fromEnd] ^= 0x55;
    return bytes;
}

std::string Chunked(const std::string& body, size_t piece) {
    std::string out;
    for (size_t at = 0; at < body.size(); at += piece) {
        std::string part = body.substr(at, piece);
        char size[16];
        std::snprintf(size, sizeof(size), "%zx", part.size());
        out += std::string(size) + "\r\n" + part + "\r\n";
    }
    return out + "0\r\n\r\n";
}

ScriptedResponse Answer(const std::string& body, const std::vector<std::string>& headers = {},
                        const std::string& statusLine = "HTTP/1.0 200 OK") {
    return ScriptedResponse{HttpResponse(body, headers, statusLine)};
}

void WaitForWorkers() {
    for (int i = 0; i < 250 && RunningRequestWorkers() != 0; ++i) Sleep(20);
}
}  // namespace

TEST(Hostile, DamagedOrOversizedAnswersAreNeverTakenAsGood) {
    const std::string tooLarge = "http error: Response body larger than 100000 bytes";
    const std::string lineFeeds(60u * 1024 * 1024, '\n');
    struct Case {
        const char* what;
        ScriptedResponse answer;
        std::function<void(TIEHTTP&)> setUp;
        std::string message;  // the raised error, or "(no error)"
        TStringList lines;
        bool bodyKept = false;  // the body is sound; only its lines cannot be made
    };
    const Case cases[] = {
        {"body cut short of its Content-Length", Answer("0123456789", {"Content-Length: 10000"}), nullptr,
         "http error: Response body cut short: 10 of 10000 bytes received", {}},
        {"announced length past the cap", Answer(std::string(200000, 'x'), {"Content-Length: 200000"}),
         [](TIEHTTP& h) { h.MaxBodyBytes = 100000; }, tooLarge, {}},
        {"no length, body past the cap", Answer(std::string(200000, 'x')), [](TIEHTTP& h) { h.MaxBodyBytes = 100000; },
         tooLarge, {}},
        {"chunked past the cap",
         Answer(Chunked(std::string(200000, 'x'), 30000), {"Transfer-Encoding: chunked"}, "HTTP/1.1 200 OK"),
         [](TIEHTTP& h) { h.MaxBodyBytes = 100000; }, tooLarge, {}},
        {"error raised on the worker (postStr with GET)", Answer("never sent"),
         [](TIEHTTP& h) { h.SetpostStr(L"x=1"); }, "http error: No poststr allowed in GET method", {}},
        {"error raised on the worker (Custom-Content-Length)", Answer("hello", {"Custom-Content-Length: many"}),
         nullptr, "http error: 'many' is not a valid integer value", {}},
        {"60 MiB of line feeds from 60 KiB of gzip", Answer(Gzip(lineFeeds), {"Content-Encoding: gzip"}), nullptr,
         "http error: Response text too large to split into lines", {}, true},
        {"a flood of CR bytes", Answer(std::string(20u * 1024 * 1024, '\r')), nullptr,
         "http error: Response text too large to split into lines", {}, true},
        {"gzip whose CRC-32 fails", Answer(Damaged(Gzip("version=1.0.6"), 8), {"Content-Encoding: gzip"}), nullptr,
         "(no error)", {}},
        {"gzip whose length fails", Answer(Damaged(Gzip("version=1.0.6"), 2), {"Content-Encoding: gzip"}), nullptr,
         "(no error)", {}},
        {"gzip by signature whose CRC-32 fails", Answer(Damaged(Gzip("version=1.0.6"), 8)), nullptr, "(no error)", {}},
        {"deflate whose Adler-32 fails", Answer(Damaged(Deflate("version=1.0.6", MAX_WBITS), 1),
                                                {"Content-Encoding: deflate"}),
         nullptr, "(no error)", {}},
        {"two gzip members are one document", Answer(Gzip("version=") + Gzip("9.9.9"), {"Content-Encoding: gzip"}),
         nullptr, "(no error)", {"version=9.9.9"}},
        {"two gzip members by signature", Answer(Gzip("version=") + Gzip("9.9.9")), nullptr, "(no error)",
         {"version=9.9.9"}},
        {"gzip member followed by junk", Answer(Gzip("version=1.0.6") + "junk", {"Content-Encoding: gzip"}), nullptr,
         "(no error)", {}},
    };
    for (const Case& c : cases) {
        LoopbackServer server({c.answer});
        ASSERT_TRUE(server.Ready());
        TIEHTTP http;
        if (c.setUp) c.setUp(http);
        EXPECT_EQ(MessageOf([&] { http.ExecuteURL(server.Url(L"/v.ini")); }), c.message) << c.what;
        if (c.message != "(no error)") {
            EXPECT_EQ(http.ResponseBody().empty(), !c.bodyKept) << c.what;
        }
        EXPECT_EQ(http.ResponseLines(), c.lines) << c.what;
        EXPECT_EQ(http.Status(), TIEHTTP::kStatusNormal) << c.what;
        EXPECT_FALSE(http.RequestInProgress()) << c.what;
    }
}

// A server that sends a cut gzip file with a right HTTP length: the start it holds is never
// taken as the text, with Content-Encoding or by the signature.
TEST(Hostile, GzipCutShortGivesNothingNotItsStart) {
    std::string text;
    for (int i = 0; text.size() < 100000; ++i) text += "line " + std::to_string(i) + "\n";
    const std::string gzip = Gzip(text);
    for (size_t cut : {size_t{20}, size_t{20000}, gzip.size() - 8, gzip.size() - 1}) {
        for (bool marked : {true, false}) {
            const std::string body = gzip.substr(0, cut);
            LoopbackServer server({Answer(body, marked ? std::vector<std::string>{"Content-Encoding: gzip"}
                                                       : std::vector<std::string>{"Content-Length: " +
                                                                                   std::to_string(body.size())})});
            ASSERT_TRUE(server.Ready());
            TIEHTTP http;
            EXPECT_NO_THROW(http.ExecuteURL(server.Url(L"/"))) << cut;
            EXPECT_EQ(http.ResponseBody(), "") << cut << (marked ? " with Content-Encoding" : " by signature");
            EXPECT_TRUE(http.ResponseLines().empty()) << cut;
        }
    }
}

TEST(Hostile, RejectedAddressSendsNothingAndReportsItsError) {
    LoopbackServer server({Answer("should not be asked")});
    struct Case { const char* what; std::wstring address; std::string messageStart; };
    const Case cases[] = {
        {"3000-character host", L"http://" + std::wstring(3000, L'a') + L".example/v.ini", "http error: http: Invalid URL. Error - "},
        {"no path", server.Url(L""), "http error: http: Empty URL"},
    };
    for (const Case& c : cases) {
        TIEHTTP http;
        std::string message = MessageOf([&] { http.ExecuteURL(c.address); });
        EXPECT_EQ(message.substr(0, c.messageStart.size()), c.messageStart) << c.what << ": " << message;
        EXPECT_FALSE(http.ErrorText().empty()) << c.what;
        EXPECT_FALSE(http.RequestInProgress()) << c.what;
        EXPECT_TRUE(http.ResponseLines().empty()) << c.what;
    }
    Sleep(200);
    EXPECT_EQ(server.ConnectionCount(), 0u);
}

TEST(Hostile, RedirectsAreFollowedUpToTenAndNothingRunsOnAfterTheEnd) {
    // A server that sends every request back to itself.
    LoopbackServer loop({Answer("", {"Location: /again"}, "HTTP/1.0 302 Found")});
    TIEHTTP http;
    http.Timeout = 5;
    EXPECT_EQ(MessageOf([&] { http.ExecuteURL(loop.Url(L"/start")); }), "http error: More than 10 redirects");
    const size_t atTheEnd = loop.ConnectionCount();
    EXPECT_EQ(atTheEnd, 11u) << "the first request and ten redirects";
    Sleep(1500);
    EXPECT_EQ(loop.ConnectionCount(), atTheEnd) << "requests went on after Execute returned";
    WaitForWorkers();
    EXPECT_EQ(RunningRequestWorkers(), 0);
    EXPECT_NE(loop.Request(1).find("GET /again HTTP/1.0"), std::string::npos);

}

TEST(Hostile, RedirectChainEndsAtTheLastAnswer) {
    // The second server's address is only known once it runs, so the first answer points to it.
    LoopbackServer target({Answer("arrived\r\n")});
    const std::string there = ToAnsi(target.Url(L"/last"));
    LoopbackServer first({Answer("", {"Location: next"}, "HTTP/1.0 301 Moved Permanently"),
                          Answer("", {"Location: " + there}, "HTTP/1.0 303 See Other")});
    TIEHTTP http;
    http.SetRequestMethod(L"POST");
    http.SetpostStr(L"a=1");
    EXPECT_NO_THROW(http.ExecuteURL(first.Url(L"/dir/start")));
    EXPECT_EQ(http.ResponseLines(), TStringList{"arrived"});
    ASSERT_EQ(first.ConnectionCount(), 2u);
    EXPECT_EQ(first.Request(0).substr(0, 26), "POST /dir/start HTTP/1.0\r\n");
    // 301 after a POST goes on as a GET without the body, to the address resolved against the first.
    EXPECT_EQ(first.Request(1).substr(0, 24), "GET /dir/next HTTP/1.0\r\n");
    EXPECT_EQ(first.Request(1).find("a=1"), std::string::npos);
    ASSERT_EQ(target.ConnectionCount(), 1u);
    EXPECT_EQ(target.Request(0).substr(0, 20), "GET /last HTTP/1.0\r\n");
}

TEST(Hostile, RedirectToABareHostGoesToItsRoot) {
    LoopbackServer target({Answer("root\r\n")});
    std::string there = ToAnsi(target.Url(L"/"));
    there.pop_back();  // "http://127.0.0.1:port", no path
    LoopbackServer first({Answer("", {"Location: " + there}, "HTTP/1.0 302 Found")});
    TIEHTTP http;
    EXPECT_NO_THROW(http.ExecuteURL(first.Url(L"/start")));
    EXPECT_EQ(http.ResponseLines(), TStringList{"root"});
    ASSERT_EQ(target.ConnectionCount(), 1u);
    EXPECT_EQ(target.Request(0).substr(0, 16), "GET / HTTP/1.0\r\n");
}

TEST(Hostile, TotalTimeoutEndsADripThatNeverStops) {
    // One body byte every 300 ms keeps the inactivity time-out from ever passing.
    const std::string body(100, 'd');
    ScriptedResponse drip{HttpResponse(body, {"Content-Length: 100"})};
    drip.dripFrom = drip.bytes.size() - body.size();
    drip.dripBytes = 1;
    drip.dripPauseMs = 300;
    LoopbackServer server({drip});
    TIEHTTP http;
    http.Timeout = 1;
    http.TotalTimeout = 2;
    const int64_t start = static_cast<int64_t>(GetTickCount64());
    EXPECT_NO_THROW(http.ExecuteURL(server.Url(L"/")));
    const int64_t elapsed = static_cast<int64_t>(GetTickCount64()) - start;
    // Bounds about ending at the whole limit and not at the drip's end; generous for a loaded machine.
    EXPECT_GE(elapsed, 1950);
    EXPECT_LE(elapsed, 4000);
    EXPECT_EQ(http.Status(), TIEHTTP::kStatusTimedOut);
    EXPECT_EQ(http.ErrorCode(), 0);
    EXPECT_TRUE(http.ErrorText().empty());
    EXPECT_TRUE(http.ResponseBody().empty());
    EXPECT_TRUE(http.ResponseLines().empty());
    EXPECT_GT(http.BytesReceived(), 0u) << "the drip did arrive";
    // The worker may be inside a read; it ends with that read and takes nothing further.
    WaitForWorkers();
    EXPECT_EQ(RunningRequestWorkers(), 0);
    EXPECT_EQ(server.ConnectionCount(), 1u);
}

TEST(Hostile, TotalTimeoutCountsRedirectsWithinIt) {
    ScriptedResponse slowRedirect = Answer("", {"Location: /again"}, "HTTP/1.0 302 Found");
    slowRedirect.delayMs = 400;
    LoopbackServer server({slowRedirect});
    TIEHTTP http;
    http.Timeout = 30;
    http.TotalTimeout = 1;
    const int64_t start = static_cast<int64_t>(GetTickCount64());
    EXPECT_NO_THROW(http.ExecuteURL(server.Url(L"/")));
    EXPECT_LE(static_cast<int64_t>(GetTickCount64()) - start, 3000) << "far before the 30 s time-out";
    EXPECT_EQ(http.Status(), TIEHTTP::kStatusTimedOut);
    const size_t atTheEnd = server.ConnectionCount();
    EXPECT_LE(atTheEnd, 3u);
    Sleep(1200);
    EXPECT_EQ(server.ConnectionCount(), atTheEnd) << "requests went on after Execute returned";
}

TEST(Hostile, AnswersNeverLandInTheDiskCache) {
    LoopbackServer server({Answer("cache me not", {"Cache-Control: max-age=3600"})});
    TIEHTTP http;
    const std::wstring address = server.Url(L"/cached.ini");
    http.ExecuteURL(address);
    ASSERT_EQ(http.ResponseLines(), TStringList{"cache me not"});
    DWORD size = 0;
    EXPECT_FALSE(GetUrlCacheEntryInfoW(address.c_str(), nullptr, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(Hostile, RedirectToAnotherSchemeFollowsItsRules) {
    // To https: transport security starts, whatever the port.
    LoopbackServer tls({{HttpResponse("plain"), false, 1000}});
    LoopbackServer toHttps({Answer("", {"Location: " + ToAnsi(L"https://127.0.0.1:" + std::to_wstring(tls.Port()) + L"/")},
                                   "HTTP/1.0 302 Found")});
    TIEHTTP http;
    EXPECT_THROW(http.ExecuteURL(toHttps.Url(L"/")), Exception);
    tls.WaitUntilIdle();
    ASSERT_GE(tls.Request(0).size(), 2u);
    EXPECT_EQ(tls.Request(0)[0], '\x16') << "a TLS handshake record, not a plain request";

    // To a scheme that is no web address: an error, and nothing further is asked.
    LoopbackServer toFtp({Answer("", {"Location: ftp://127.0.0.1/v.ini"}, "HTTP/1.0 302 Found")});
    EXPECT_EQ(MessageOf([&] { http.ExecuteURL(toFtp.Url(L"/")); }),
              "http error: Cannot follow the redirect to ftp://127.0.0.1/v.ini");
    EXPECT_EQ(toFtp.ConnectionCount(), 1u);
}

TEST(Hostile, AnEventThatRaisesEndsTheRequestWithNothingLeftRunning) {
    // A body that would drip for half a minute; the first read's event raises.
    const std::string body(100, 'd');
    ScriptedResponse drip{HttpResponse(body, {"Content-Length: 100"})};
    drip.dripFrom = drip.bytes.size() - body.size();
    drip.dripBytes = 1;
    drip.dripPauseMs = 300;
    LoopbackServer server({drip});
    TIEHTTP http;
    http.Timeout = 60;
    http.OnPacketRead = [](TIEHTTP*) { throw Exception("the event raised"); };
    EXPECT_THROW(http.ExecuteURL(server.Url(L"/")), Exception);
    WaitForWorkers();
    EXPECT_EQ(RunningRequestWorkers(), 0) << "the worker went on reading after Execute ended";
    EXPECT_TRUE(http.ResponseBody().empty());
}
