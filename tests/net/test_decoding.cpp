// Decoding of received bodies and the response text rule.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "net/response_decoding.h"
#include "support/compression.h"
#include "system/text_codes.h"

namespace {
const std::string kText = "line one\nline two\n";
const std::string kSignature("\x1F\x8B\x08\x00\x00\x00\x00\x00", 8);

// kText as made by "gzip -n": no name, modification time 0.
const unsigned char kGzipTool[] = {
    0x1f, 0x8b, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0xcb, 0xc9, 0xcc, 0x4b, 0x55, 0xc8, 0xcf, 0x4b,
    0xe5, 0xca, 0x01, 0x31, 0x4a, 0xca, 0xf3, 0xb9, 0x00, 0x8b, 0xd7, 0xf4, 0x75, 0x12, 0x00, 0x00, 0x00};
// kText as made by "gzip" from a file named named.txt: name flag and a time stamp.
const unsigned char kGzipNamed[] = {
    0x1f, 0x8b, 0x08, 0x08, 0x00, 0xe1, 0x0b, 0x5e, 0x00, 0x03, 0x6e, 0x61, 0x6d, 0x65, 0x64, 0x2e, 0x74,
    0x78, 0x74, 0x00, 0xcb, 0xc9, 0xcc, 0x4b, 0x55, 0xc8, 0xcf, 0x4b, 0xe5, 0xca, 0x01, 0x31, 0x4a, 0xca,
    0xf3, 0xb9, 0x00, 0x8b, 0xd7, 0xf4, 0x75, 0x12, 0x00, 0x00, 0x00};

std::string Bytes(const unsigned char* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

std::string Zlib(const std::string& text) { return Deflate(text, MAX_WBITS); }
std::string RawDeflate(const std::string& text) { return Deflate(text, -MAX_WBITS); }
std::string Gzip(const std::string& text) { return Deflate(text, 16 + MAX_WBITS); }  // zlib writes time 0, no name

std::string Decoded(std::string body, const std::string& encoding = "", char hint = '\0',
                    const std::wstring& url = L"http://h/v.ini", size_t limit = kDefaultMaxDecodedBytes) {
    DecodeBody(body, url, hint, encoding, limit);
    return body;
}

std::string LargeText() {
    std::string text;
    for (int i = 0; text.size() < 300000; ++i) text += "row " + std::to_string(i) + " of a long body\r\n";
    return text;
}
}  // namespace

TEST(DecodeBody, SignatureRuleWithoutContentEncoding) {
    struct Case { const char* what; std::string body; std::string decoded; };
    const std::string gzipTool = Bytes(kGzipTool, sizeof(kGzipTool));
    const std::string named = Bytes(kGzipNamed, sizeof(kGzipNamed));
    const std::string zlib = Zlib(kText);
    const Case cases[] = {
        {"signature then zlib stream ('Z')", kSignature + zlib, kText},
        {"gzip tool, time 0 ('G' on the second try)", gzipTool, kText},
        {"plain text unchanged", "plain text\r\n", "plain text\r\n"},
        {"shorter than the signature", kSignature.substr(0, 7), kSignature.substr(0, 7)},
        {"gzip with a name unchanged", named, named},
        {"zlib stream from byte 0 unchanged", zlib, zlib},
        {"signature then junk decodes to nothing", kSignature + "junk that is no stream", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Decoded(c.body), c.decoded) << c.what;
}

TEST(DecodeBody, HintAndAspChooseTheFirstDecoder) {
    struct Case { std::wstring url; char hint; char first; };
    for (const Case& c : {Case{L"http://h/v.ini", '\0', 'Z'}, Case{L"http://h/v.ini", 'Z', 'Z'},
                          Case{L"http://h/v.ini", 'G', 'G'}, Case{L"http://h/v.ini", 'x', 'Z'},
                          Case{L"http://h/Check.ASP?x=1", 'Z', 'G'}, Case{L"http://h/a.aspx", '\0', 'G'}})
        EXPECT_EQ(FirstDecoder(c.url, c.hint), c.first);
    const std::string gzipTool = Bytes(kGzipTool, sizeof(kGzipTool));
    EXPECT_EQ(Decoded(gzipTool, "", 'G'), kText);
    EXPECT_EQ(Decoded(gzipTool, "", 'Z', L"http://h/v.asp"), kText);
    EXPECT_EQ(Decoded(kSignature + Zlib(kText), "", 'G'), kText);
}

// A member without its trailer cannot be checked: cut anywhere, by the signature or by the
// header, it gives nothing, never the start of the text. The same for a cut in a second member.
TEST(DecodeBody, GzipCutShortGivesNothing) {
    const std::string small = "version=1.0.6\r\n";
    const std::string large = LargeText();
    struct Case { const char* what; std::string whole; std::string text; std::vector<size_t> cuts; };
    std::vector<Case> cases = {
        {"small member", Gzip(small), small, {}},
        {"second of two members", Gzip(small) + Gzip(small), small + small, {}},
        {"large member", Gzip(large), large, {}},
    };
    // Every length of the small bodies; for the large one, the header, the data and the trailer.
    for (size_t at = 0; at < cases[0].whole.size(); ++at) cases[0].cuts.push_back(at);
    for (size_t at = cases[0].whole.size() + 1; at < cases[1].whole.size(); ++at) cases[1].cuts.push_back(at);
    const size_t size = cases[2].whole.size();
    cases[2].cuts = {9, 10, 11, size / 4, size / 2, size - 9, size - 8, size - 5, size - 1};
    for (const Case& c : cases) {
        ASSERT_EQ(Decoded(c.whole, "gzip"), c.text) << c.what;
        for (size_t cut : c.cuts) {
            const std::string body = c.whole.substr(0, cut);
            EXPECT_EQ(Decoded(body, "gzip"), "") << c.what << ", cut to " << cut << " bytes";
            // Without Content-Encoding a body shorter than the signature is no gzip at all.
            EXPECT_EQ(Decoded(body), cut < 8 ? body : "") << c.what << ", cut to " << cut << " bytes, by signature";
        }
    }
}

// One byte changed anywhere in a member gives the text (a byte the format does not check, such as
// the operating system's) or nothing, never other text: a changed length code can make inflate
// produce more, different bytes and then run out of input before the trailer.
TEST(DecodeBody, GzipWithAnyByteChangedGivesTheTextOrNothing) {
    // Long enough for dynamic Huffman codes, whose changed lengths are what makes inflate run on.
    std::string text;
    for (int i = 0; i < 2; ++i)
        text += "[Zarvex]\r\nversion=1.0.6\r\nurl=http://zarvex-av.example/download\r\nnotes=fixes and a faster scan\r\n";
    const std::string gzip = Gzip(text);
    ASSERT_LT(gzip.size(), 150u);
    int whole = 0, nothing = 0;
    for (size_t at = 0; at < gzip.size(); ++at) {
        for (unsigned char change : {0x01, 0x02, 0x10, 0x55, 0x80, 0xFF}) {
            std::string body = gzip;
            body[at] = static_cast<char>(body[at] ^ change);
            const std::string decoded = Decoded(body, "gzip");
            EXPECT_TRUE(decoded == text || decoded.empty()) << "byte " << at << " ^ " << int(change) << ": " << decoded;
            (decoded.empty() ? nothing : whole) += 1;
            // By the signature, a changed signature leaves the body as it came.
            const std::string bySignature = Decoded(body);
            EXPECT_TRUE(bySignature == text || bySignature.empty() || (at < 8 && bySignature == body))
                << "by signature, byte " << at << " ^ " << int(change);
        }
    }
    EXPECT_GT(nothing, 0);
    EXPECT_GT(whole, 0) << "the unchecked header bytes still decode";
}

TEST(DecodeBody, GzipWhoseCheckFailsIsUndecodable) {
    // The trailer's length also sizes the output; a wrong one, or a wrong CRC-32, fails the check.
    const std::string text = LargeText();
    struct Case { const char* what; size_t fromEnd; std::string bytes; };
    const Case cases[] = {
        {"length all ones", 4, std::string("\xFF\xFF\xFF\xFF", 4)},
        {"length one", 4, std::string("\x01\x00\x00\x00", 4)},
        {"CRC-32", 8, std::string("\x00\x00\x00\x00", 4)},
    };
    for (const Case& c : cases) {
        std::string gzip = Gzip(text);
        gzip.replace(gzip.size() - c.fromEnd, 4, c.bytes);
        EXPECT_EQ(Decoded(gzip, "gzip"), "") << c.what;
        EXPECT_EQ(Decoded(gzip), "") << c.what;
    }
}

TEST(DecodeBody, GzipMembersFollowingEachOtherAreOneDocument) {
    const std::string first = "version=", second = LargeText();
    for (const std::string& encoding : {std::string(), std::string("gzip")}) {
        EXPECT_EQ(Decoded(Gzip(first) + Gzip(second), encoding), first + second) << encoding;
        EXPECT_EQ(Decoded(Gzip(first) + std::string(16, '\0'), encoding), first) << "zero padding";
        EXPECT_EQ(Decoded(Gzip(first) + "trailing junk", encoding), "") << "junk after the member";
    }
}

TEST(DecodeBody, ContentEncodingDecidesWhateverTheHeaderHolds) {
    struct Case { const char* what; std::string body; std::string encoding; };
    const Case cases[] = {
        {"gzip with name and time stamp", Bytes(kGzipNamed, sizeof(kGzipNamed)), "gzip"},
        {"x-gzip, any case", Bytes(kGzipNamed, sizeof(kGzipNamed)), " X-GZip"},
        {"gzip tool", Bytes(kGzipTool, sizeof(kGzipTool)), "gzip"},
        {"deflate as a zlib stream", Zlib(kText), "deflate"},
        {"deflate as raw data", RawDeflate(kText), "Deflate"},
    };
    for (const Case& c : cases) EXPECT_EQ(Decoded(c.body, c.encoding), kText) << c.what;
    EXPECT_EQ(Decoded("plain", "identity"), "plain");
    EXPECT_EQ(Decoded(Zlib(kText), "deflate").size(), kText.size());
    EXPECT_EQ(Decoded("not compressed at all", "deflate"), "");
}

TEST(DecodeBody, OutputIsBoundedByTheLimit) {
    const std::string text(5000, 'x');
    struct Case { const char* what; std::string body; std::string encoding; };
    const Case cases[] = {
        {"signature then zlib", kSignature + Zlib(text), ""},
        {"gzip by signature", Gzip(text), ""},
        {"gzip by header", Gzip(text), "gzip"},
        {"deflate by header", Zlib(text), "deflate"},
        {"raw deflate by header", RawDeflate(text), "deflate"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Decoded(c.body, c.encoding, '\0', L"http://h/", 4999), "") << c.what;
        EXPECT_EQ(Decoded(c.body, c.encoding, '\0', L"http://h/", 5000), text) << c.what;
    }
}

TEST(DecodeBody, SmallHostileBodyDoesNotInflateWithoutBound) {
    const std::string zeros(100u * 1024 * 1024, '\0');
    const std::string gzip = Gzip(zeros);
    const std::string signed_zlib = kSignature + Zlib(zeros);
    ASSERT_LT(gzip.size(), 200u * 1024);
    EXPECT_EQ(Decoded(gzip, "gzip"), "");
    EXPECT_EQ(Decoded(gzip), "");
    EXPECT_EQ(Decoded(signed_zlib), "");
}

TEST(ResponseText, CharsetRules) {
    struct Case { const char* what; std::string header; std::string body; TStringList lines; };
    const std::string cafe = ToAnsi(L"caf\u00e9");
    const Case cases[] = {
        {"utf-8 two bytes", "Content-Type: text/plain; charset=utf-8", "caf\xC3\xA9\r\nx", {cafe, "x"}},
        {"utf-8 three bytes", "Content-Type: text/plain; charset=utf-8", "\xE2\x82\xAC", {ToAnsi(L"\u20ac")}},
        {"utf-8 four bytes", "Content-Type: text/plain; charset=utf-8", "a\xF0\x9F\x98\x80z",
         {ToAnsi(L"a\U0001F600z")}},
        {"utf-8 bad continuation", "Content-Type: text/plain; charset=utf-8", "ok\n\xC3\x28", {}},
        {"utf-8 cut off", "Content-Type: text/plain; charset=utf-8", "ok\n\xE2\x82", {}},
        {"utf-8 four bytes beyond Unicode", "Content-Type: text/plain; charset=utf-8", "\xF4\x90\x80\x80", {}},
        {"UTF-8 in capitals keeps the bytes", "Content-Type: text/plain; charset=UTF-8", "caf\xC3\xA9",
         {"caf\xC3\xA9"}},
        {"utf-16 little-endian", "Content-Type: text/plain; charset=utf-16", std::string("a\0b\0\n\0c\0", 8), {"ab", "c"}},
        {"utf-16 stops at a zero unit", "Content-Type: text/plain; charset=utf-16", std::string("a\0\0\0b\0", 6), {"a"}},
        {"utf-16 odd last byte", "Content-Type: text/plain; charset=utf-16", std::string("a\0b", 3), {"ab"}},
        {"no charset keeps the bytes", "Content-Type: text/plain", "caf\xC3\xA9", {"caf\xC3\xA9"}},
    };
    for (const Case& c : cases) {
        TStringList headers{"HTTP/1.0 200 OK", c.header};
        EXPECT_EQ(ResponseText(headers, c.body), c.lines) << c.what;
    }
    // The default character stands in for a character the code page lacks; the line stays.
    TStringList four = ResponseText({"Content-Type: text/html; charset=utf-8"}, "a\xF0\x9F\x98\x80z");
    ASSERT_EQ(four.size(), 1u);
    EXPECT_EQ(four[0].front(), 'a');
    EXPECT_EQ(four[0].back(), 'z');
    EXPECT_GT(four[0].size(), 2u);
}

TEST(ResponseText, LineSplitting) {
    struct Case { std::string text; TStringList lines; };
    const Case cases[] = {
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {std::string("a\nb\0c\nd", 7), {"a", "b"}},
        {"", {}},
        {"\n", {""}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
}

TEST(TextSupport, SplitTextKeepsInnerEmptyPiecesOnly) {
    struct Case { std::wstring text, delimiter; std::vector<std::wstring> pieces; };
    for (const Case& c : {Case{L"a&&b", L"&", {L"a", L"", L"b"}}, Case{L"a=", L"=", {L"a"}},
                          Case{L"=b", L"=", {L"", L"b"}}, Case{L"", L"&", {}}, Case{L"abc", L"&", {L"abc"}}})
        EXPECT_EQ(SplitText(c.text, c.delimiter), c.pieces);
}

TEST(TextSupport, HeaderLookupByAnyCaseOnlyAtLineStartsBlankOptional) {
    const TStringList headers{"HTTP/1.0 200 OK", "X-Content-Type: wrong", "Content-Type: text/plain",
                              "X-Note: a: b", "Content-Encoding:gzip", "X-Tabbed:\t \tvalue", "X-Empty:",
                              "Content-Language-Extra: no"};
    struct Case { std::string name; int index; std::string value; };
    for (const Case& c : {Case{"content-type", 2, "text/plain"}, Case{"CONTENT-TYPE:", 2, "text/plain"},
                          Case{" Content-Type ", 2, "text/plain"}, Case{"x-note", 3, "a: b"}, Case{"Type", -1, ""},
                          Case{"Content-Length", -1, ""}, Case{"content-encoding", 4, "gzip"},
                          Case{"X-Tabbed", 5, "value"}, Case{"X-Empty", 6, ""}, Case{"Content-Language", -1, ""}}) {
        EXPECT_EQ(HeaderIndex(headers, c.name), c.index) << c.name;
        EXPECT_EQ(HeaderValue(headers, c.name), c.value) << c.name;
    }
}
