#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "system/cipher.h"
#include "system/exception.h"
#include "system/signature.h"

namespace {

// The key exactly as the decoder must build it, made here the long way.
std::string SignatureKey() {
    std::string key;
    for (unsigned char b : kSignatureKeyBytes) key += static_cast<char>(b);
    key += std::to_string(kSignatureKeyNumber);
    return key;
}

// Our own enciphering at run time: RC4 from a fresh keystream, two lower-case digits per byte.
std::string EncipherToHex(const std::string& plain) {
    std::string key = SignatureKey();
    Thjhjhjh rc4;
    rc4.Init(key.data(), static_cast<std::uint32_t>(8 * key.size()), nullptr);
    std::string bytes(plain.size(), '\0');
    rc4.Encrypt(plain.data(), bytes.data(), static_cast<std::uint32_t>(plain.size()));
    std::string hex;
    const char* digits = "0123456789abcdef";
    for (unsigned char b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 0x0F];
    }
    return hex;
}

std::string ErrorOf(const std::string& signatureText) {
    try {
        DecodeSignature(signatureText);
    } catch (const EhjmJjnjnkm& e) {
        return std::string("cipher error: ") + e.what();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(Signature, KeyHasTwentyNineBytesEndingInThreeDigits) {
    std::string key = SignatureKey();
    ASSERT_EQ(key.size(), kSignatureKeyLength);
    EXPECT_EQ(key.size(), 29u);
    for (std::size_t i = 26; i < 29; ++i) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(key[i])));
    EXPECT_NE(key[26], '0');
}

TEST(Signature, EmptyAndSingleCharacterDecodeToEmpty) {
    EXPECT_EQ(DecodeSignature(""), "");
    EXPECT_EQ(DecodeSignature("a"), "");
    EXPECT_EQ(DecodeSignature("z"), "");  // not even looked at
}

struct StoredCase {
    const char* plain;
    const char* stored;  // made by the compiler
};

class SignatureRoundTrip : public testing::TestWithParam<StoredCase> {};

TEST_P(SignatureRoundTrip, CompileTimeAndRunTimeEncipheringAgreeAndDecodeBack) {
    const StoredCase& c = GetParam();
    EXPECT_EQ(std::string(c.stored), EncipherToHex(c.plain));
    EXPECT_EQ(DecodeSignature(c.stored), c.plain);
    EXPECT_EQ(DecodeSignature(c.stored), c.plain);  // the keystream starts afresh each time
}

INSTANTIATE_TEST_SUITE_P(Texts, SignatureRoundTrip, testing::Values(
    StoredCase{"x", SIG("x")},
    StoredCase{"SOFTWARE\\Classes\\CLSID", SIG("SOFTWARE\\Classes\\CLSID")},
    StoredCase{"\\Program Files\\Rogue Suite 2009\\rogue.exe", SIG("\\Program Files\\Rogue Suite 2009\\rogue.exe")},
    StoredCase{"caf\xE9 \xFF\x01", SIG("caf\xE9 \xFF\x01")},
    StoredCase{"http://127.0.0.1:8080/Version.ini?with=a&long=query-string-beyond-256-bytes-"
               "0123456789012345678901234567890123456789012345678901234567890123456789"
               "0123456789012345678901234567890123456789012345678901234567890123456789"
               "0123456789012345678901234567890123456789012345678901234567890123456789",
               SIG("http://127.0.0.1:8080/Version.ini?with=a&long=query-string-beyond-256-bytes-"
                   "0123456789012345678901234567890123456789012345678901234567890123456789"
                   "0123456789012345678901234567890123456789012345678901234567890123456789"
                   "0123456789012345678901234567890123456789012345678901234567890123456789")}));

TEST(Signature, SameStoredTextForTheSamePlainText) {
    EXPECT_EQ(SIG("shared.exe"), SIG("shared.exe"));
}

TEST(Signature, OddLengthIgnoresTheLastCharacter) {
    const std::string stored = SIG("trailing");
    EXPECT_EQ(DecodeSignature(stored + "7"), "trailing");
    EXPECT_EQ(DecodeSignature(stored + "z"), "trailing");
}

TEST(Signature, UpperAndMixedCaseDigitsDecodeAlike) {
    const std::string stored = SIG("Software\\Zarvex Mixed Case Probe");
    std::string upper = stored, mixed = stored;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(stored[i])));
        if (i % 3 == 0) mixed[i] = upper[i];
    }
    ASSERT_NE(upper, stored);
    EXPECT_EQ(DecodeSignature(upper), "Software\\Zarvex Mixed Case Probe");
    EXPECT_EQ(DecodeSignature(mixed), "Software\\Zarvex Mixed Case Probe");
}

struct BadPairCase {
    std::string text;
    std::string message;
};

class SignatureBadPair : public testing::TestWithParam<BadPairCase> {};

// The general conversion error, not the cipher's.
TEST_P(SignatureBadPair, RaisesTheConversionErrorForThePair) {
    EXPECT_EQ(ErrorOf(GetParam().text), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Pairs, SignatureBadPair, testing::Values(
    BadPairCase{"zz", "'$zz' is not a valid integer value"},
    BadPairCase{"0g", "'$0g' is not a valid integer value"},
    BadPairCase{"G0", "'$G0' is not a valid integer value"},
    BadPairCase{"4142 1", "'$ 1' is not a valid integer value"},
    BadPairCase{"41-1", "'$-1' is not a valid integer value"},
    BadPairCase{"4142x", "(no error)"}));  // a trailing odd character is never read

TEST(Signature, DecryptHexTextUsesTheGivenKeyFromAFreshKeystream) {
    // RFC 6229: key 01 02 03 04 05 gives the keystream b2 39 63 05..., so it decrypts to zeros.
    const std::string key("\x01\x02\x03\x04\x05", 5);
    EXPECT_EQ(DecryptHexText("b2396305F03DC027", key), std::string(8, '\0'));
    EXPECT_EQ(DecryptHexText("b2396305f03dc027", key), std::string(8, '\0'));
    EXPECT_EQ(DecryptHexText(SIG("via the key"), SignatureKey()), "via the key");
}
