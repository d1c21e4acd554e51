#include <gtest/gtest.h>

#include <string>

#include "system/base64.h"

struct Base64Pair {
    const char* bytes;
    const char* text;
};

class Base64Rfc4648 : public testing::TestWithParam<Base64Pair> {};

TEST_P(Base64Rfc4648, EncodesAndDecodes) {
    EXPECT_EQ(Base64Encode(GetParam().bytes), GetParam().text);
    EXPECT_EQ(Base64Decode(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Section10, Base64Rfc4648, testing::Values(
    Base64Pair{"", ""}, Base64Pair{"f", "Zg=="}, Base64Pair{"fo", "Zm8="}, Base64Pair{"foo", "Zm9v"},
    Base64Pair{"foob", "Zm9vYg=="}, Base64Pair{"fooba", "Zm9vYmE="}, Base64Pair{"foobar", "Zm9vYmFy"}));

TEST(Base64, EveryByteValueRoundTrips) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    for (std::size_t cut = 254; cut <= 256; ++cut) {  // each kind of final group
        std::string part = bytes.substr(0, cut);
        std::string text = Base64Encode(part);
        EXPECT_EQ(text.size(), 4 * ((cut + 2) / 3));
        EXPECT_EQ(Base64Decode(text), part);
    }
    EXPECT_EQ(Base64Encode("\xFB\xFF\xBF"), "+/+/");
}

struct DecodeCase {
    const char* text;
    const char* bytes;
};

class Base64Ragged : public testing::TestWithParam<DecodeCase> {};

TEST_P(Base64Ragged, Decodes) { EXPECT_EQ(Base64Decode(GetParam().text), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(ShortAndRagged, Base64Ragged, testing::Values(
    DecodeCase{"Z", ""}, DecodeCase{"Zm", ""}, DecodeCase{"Zm9", ""}, DecodeCase{"Zg=", ""},
    DecodeCase{"Zm9vY", "foo"}, DecodeCase{"Zm9vYmF", "foo"},  // after the last whole group: ignored
    DecodeCase{"Zm9v!", "foo"},                               // even when it is not Base64
    DecodeCase{"Zg=xZm8=", "ffo"},                             // a third '=' gives one byte, whatever follows
    DecodeCase{"Zg==Zm8=", "ffo"}));                           // each group stands alone

// A character outside the alphabet inside a whole group leaves nothing to trust: no bytes.
class Base64Foreign : public testing::TestWithParam<const char*> {};

TEST_P(Base64Foreign, GivesNoBytes) { EXPECT_EQ(Base64Decode(GetParam()), ""); }

INSTANTIATE_TEST_SUITE_P(OutsideTheAlphabet, Base64Foreign, testing::Values(
    "Zm9v!A==", "Zm 9v", "Zm9vYmFy\r\nZm9v", "Zm-_", "=m9v", "Z=9v", "Zm9vYm\xC3\xA9", "Zm\x01v"));
