// Properties, setter rules, address parsing and error names of the HTTP component.
#include <gtest/gtest.h>

#include "net/iehttp.h"
#include "support/error_message.h"
#include "support/loopback_server.h"
#include "system/exception.h"

TEST(Properties, ValuesAfterConstruction) {
    TIEHTTP http;
    EXPECT_TRUE(http.postStr().empty());
    EXPECT_TRUE(http.getStr().empty());
    EXPECT_TRUE(http.URL().empty());
    EXPECT_EQ(http.Timeout, 110);
    EXPECT_EQ(http.TimerIntervalSeconds, 0);
    EXPECT_TRUE(http.BlockingMode);
    EXPECT_EQ(http.RequestMethod(), L"GET");
    EXPECT_FALSE(http.MultipartPOST());
    EXPECT_EQ(http.UserAgent, L"Kestrix Update System (ZRVX)");
    EXPECT_EQ(http.RequestHeaders, TStringList{"Accept-Encoding: gzip, deflate"});
    EXPECT_FALSE(http.RequestInProgress());
    EXPECT_EQ(http.MaxBodyBytes, 256ull * 1024 * 1024);
    EXPECT_EQ(http.MaxDecodedBytes, 64u * 1024 * 1024);
}

TEST(Properties, OwnerDestroysTheComponent) {
    auto* owner = new TComponent;
    auto* http = new TIEHTTP(owner);
    EXPECT_EQ(http->Owner(), owner);
    delete owner;  // must free the component without a crash
}

TEST(Properties, RequestMethodIsUpperCasedAndRestricted) {
    TIEHTTP http;
    http.SetRequestMethod(L"post");
    EXPECT_EQ(http.RequestMethod(), L"POST");
    EXPECT_EQ(MessageOf([&] { http.SetRequestMethod(L"PUT"); }), "Unsupported method. Allowed methods: GET, POST");
    EXPECT_EQ(http.RequestMethod(), L"POST");
    http.SetMultipartPOST(true);
    http.SetMultipartPOST(false);
    EXPECT_EQ(http.RequestMethod(), L"POST");
    http.SetRequestMethod(L"Get");
    EXPECT_EQ(http.RequestMethod(), L"GET");
}

TEST(Properties, GuardedSettersRefuseWhileARequestRuns) {
    LoopbackServer server({{HttpResponse("ok")}});
    ASSERT_TRUE(server.Ready());
    TIEHTTP http;
    http.TimerIntervalSeconds = 1;
    std::vector<std::string> messages;
    http.OnTimer = [&](TIEHTTP* sender) {
        EXPECT_EQ(sender, &http);
        EXPECT_TRUE(http.RequestInProgress());
        messages.push_back(MessageOf([&] { http.SetpostStr(L"x"); }));
        messages.push_back(MessageOf([&] { http.SetgetStr(L"x"); }));
        messages.push_back(MessageOf([&] { http.SetMultipartPOST(true); }));
        messages.push_back(MessageOf([&] { http.SetRequestMethod(L"POST"); }));
    };
    http.ExecuteURL(server.Url(L"/"));
    const std::string guarded = "http: Cannot change parameters while processing request";
    EXPECT_EQ(messages, (std::vector<std::string>{guarded, guarded, guarded,
                                                 "Cannot change parameters while processing request"}));
    EXPECT_EQ(http.TimerEventCount(), 1u);
    EXPECT_FALSE(http.RequestInProgress());
    EXPECT_NO_THROW(http.SetpostStr(L""));
}

TEST(Properties, UrlIsNormalisedAndParsed) {
    struct Case { std::wstring given, stored, errorText; };
    const Case cases[] = {
        {L"host/v.ini", L"http://host/v.ini", L""},
        {L"http://host", L"http://host", L"http: Empty URL"},
        {L"http://host/", L"http://host/", L""},
        {L"HTTPS://host/a?b=1", L"HTTPS://host/a?b=1", L""},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        TIEHTTP http;
        http.SetURL(c.given);
        EXPECT_EQ(http.URL(), c.stored);
        EXPECT_EQ(http.ErrorText(), c.errorText) << http.URL();
    }
    // A host name longer than the 2048-character part buffer cannot be split.
    TIEHTTP http;
    http.SetURL(L"http://" + std::wstring(3000, L'a') + L"/v.ini");
    const std::wstring prefix = L"http: Invalid URL. Error - 122 = ";
    EXPECT_EQ(http.ErrorText().substr(0, prefix.size()), prefix);
    EXPECT_GT(http.ErrorText().size(), prefix.size()) << "the system's message follows";
}

TEST(Properties, ErrorNames) {
    struct Case { int code; std::wstring text; };
    for (const Case& c : {Case{12030, L"(Connection Aborted)"}, Case{5, L"(Unknown error # 5)"},
                          Case{12001, L"(Out of handles)"}, Case{12007, L"(Service Name Not Resolved)"},
                          Case{12028, L"(Item not found)"}, Case{12159, L"(TCP/IP not installed)"},
                          Case{12003, L"(Unknown error # 12003)"},
                          Case{12029, L"Site is currently offline and cannot check for an update of the software "
                                      L"at the moment."}})
        EXPECT_EQ(TIEHTTP::ErrorName(c.code), c.text);
}

TEST(Properties, AddVariableOutsideMultipartOnlySetsErrorText) {
    TIEHTTP http;
    http.AddVariable(L"a", L"1");
    EXPECT_EQ(http.ErrorText(), L"http not in multipart mode");
}

TEST(Properties, LibraryReceiveTimeoutOf30000BecomesNone) {
    DWORD value = 0, size = sizeof(value);
    if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, &size))
        GTEST_SKIP() << "Wine's WinInet keeps no process-wide receive time-out (query without a handle fails)";
    struct Case { DWORD before, after; };
    for (const Case& c : {Case{30000, 0}, Case{45000, 45000}}) {
        DWORD set = c.before;
        ASSERT_TRUE(InternetSetOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &set, sizeof(set)));
        TIEHTTP http;
        size = sizeof(value);
        ASSERT_TRUE(InternetQueryOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, &size));
        EXPECT_EQ(value, c.after);
    }
}
