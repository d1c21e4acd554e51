#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "system/cipher.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Reads the protected tables and flag.
class PeekRc4 : public Thjhjhjh {
public:
    using Thjhjhjh::Thjhjhjh;
    bool IsInitialized() const { return Initialized; }
    Bytes StateTable() const { return Bytes(State, State + 256); }
    Bytes SavedTable() const { return Bytes(SavedState, SavedState + 256); }
    const std::uint8_t* StateAddress() const { return State; }
    const std::uint8_t* SavedAddress() const { return SavedState; }
};

const Bytes kAllFF(256, 0xFF);

Bytes Encrypted(Thjhjhjh& rc4, const Bytes& plain) {
    Bytes out(plain.size());
    rc4.Encrypt(plain.data(), out.data(), static_cast<std::uint32_t>(plain.size()));
    return out;
}

template <class Call>
std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const EhjmJjnjnkm& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

// RFC 6229 keystream: the whole run up to the offset in one call, so i and j never restart.
struct KeystreamVector {
    const char* key;
    std::uint32_t offset;
    const char* keystream;
};

class Rc4Keystream : public testing::TestWithParam<KeystreamVector> {};

TEST_P(Rc4Keystream, MatchesPublishedBytes) {
    const KeystreamVector& v = GetParam();
    Bytes key = FromHex(v.key);
    Thjhjhjh rc4;
    rc4.Init(key.data(), static_cast<std::uint32_t>(8 * key.size()), nullptr);
    Bytes out = Encrypted(rc4, Bytes(v.offset + 16, 0));
    EXPECT_EQ(Bytes(out.begin() + v.offset, out.end()), FromHex(v.keystream));
}

INSTANTIATE_TEST_SUITE_P(Rfc6229, Rc4Keystream, testing::Values(
    KeystreamVector{"0102030405", 0, "b2396305f03dc027ccc3524a0a1118a8"},
    KeystreamVector{"0102030405", 1520, "3294f744d8f9790507e70f62e5bbceea"},
    KeystreamVector{"0102030405060708090a0b0c0d0e0f10", 0, "9ac7cc9a609d1ef7b2932899cde41b97"},
    KeystreamVector{"0102030405060708090a0b0c0d0e0f10", 1520, "b40110c4190b5622a96116b0017ed297"}));

TEST(Rc4, ArcfourKnownAnswerAndSelfTest) {
    Bytes key = FromHex("618a63d2fb");
    Thjhjhjh rc4;
    rc4.Init(key.data(), 40, nullptr);
    EXPECT_EQ(Encrypted(rc4, FromHex("dcee4cf92c")), FromHex("f13829c9de"));
    EXPECT_TRUE(Thjhjhjh::SelfTest());
    EXPECT_FALSE(Tokokokokkk::SelfTest());
}

TEST(Rc4, ClassLevelValuesWithoutAnInstance) {
    EXPECT_EQ(Thjhjhjh::GetId(), 19);
    EXPECT_EQ(Thjhjhjh::GetAlgorithm(), "RC4");
    EXPECT_EQ(Thjhjhjh::GetMaxKeySize(), 2048);
    EXPECT_EQ(Tokokokokkk::GetId(), -1);
    EXPECT_EQ(Tokokokokkk::GetAlgorithm(), "");
    EXPECT_EQ(Tokokokokkk::GetMaxKeySize(), -1);
}

TEST(Rc4, PropertiesGiveTheObjectsClassValuesAndIgnoreWrites) {
    Thjhjhjh rc4;
    Tokokokokkk& cipher = rc4;
    cipher.SetId(7);
    cipher.SetAlgorithm("other");
    cipher.SetMaxKeySize(8);
    EXPECT_EQ(cipher.Id(), 19);
    EXPECT_EQ(cipher.Algorithm(), "RC4");
    EXPECT_EQ(cipher.MaxKeySize(), 2048);
    EXPECT_TRUE(cipher.ClassType().SelfTest());
    Tokokokokkk base;
    EXPECT_EQ(base.Id(), -1);
    EXPECT_EQ(base.Algorithm(), "");
}

struct KeySizeCase {
    std::uint32_t bits;
    bool accepted;
};

class Rc4KeySize : public testing::TestWithParam<KeySizeCase> {};

TEST_P(Rc4KeySize, AcceptsOrRejectsAndStaysWipedOnRejection) {
    const KeySizeCase& c = GetParam();
    Bytes key(256);
    for (int i = 0; i < 256; ++i) key[i] = static_cast<std::uint8_t>(i * 7 + 1);
    PeekRc4 rc4;
    Tokokokokkk& cipher = rc4;  // the size limit must be the object's class's, also through the base
    if (c.accepted) {
        cipher.Init(key.data(), c.bits, nullptr);
        EXPECT_TRUE(rc4.IsInitialized());
    } else {
        EXPECT_EQ(ErrorOf([&] { cipher.Init(key.data(), c.bits, nullptr); }), "Invalid key size");
        EXPECT_FALSE(rc4.IsInitialized());
        EXPECT_EQ(rc4.StateTable(), kAllFF);
        EXPECT_EQ(rc4.SavedTable(), kAllFF);
    }
}

// 4 bits passes the base's checks but gives RC4 no key byte.
INSTANTIATE_TEST_SUITE_P(Sizes, Rc4KeySize, testing::Values(
    KeySizeCase{2048, true}, KeySizeCase{2052, false}, KeySizeCase{0, false}, KeySizeCase{30, false},
    KeySizeCase{12, true}, KeySizeCase{8, true}, KeySizeCase{4, false}, KeySizeCase{0xFFFFFFFC, false}));

TEST(Rc4, RejectedInitOfAKeyedObjectLeavesItUnusable) {
    Bytes key = FromHex("0102030405");
    PeekRc4 rc4;
    rc4.Init(key.data(), 40, nullptr);
    EXPECT_EQ(ErrorOf([&] { rc4.Init(key.data(), 4, nullptr); }), "Invalid key size");
    EXPECT_FALSE(rc4.IsInitialized());
    EXPECT_EQ(rc4.StateTable(), kAllFF);
    std::uint8_t out = 0x5A;
    EXPECT_EQ(ErrorOf([&] { rc4.Encrypt(&out, &out, 1); }), "Cipher not initialized");
}

TEST(Rc4, TwelveBitsUseOnlyTheFirstKeyByte) {
    const std::uint8_t keyA[2] = {0xAB, 0x01}, keyB[2] = {0xAB, 0x99}, keyOne[1] = {0xAB};
    Thjhjhjh a, b, one;
    a.Init(keyA, 12, nullptr);
    b.Init(keyB, 12, nullptr);
    one.Init(keyOne, 8, nullptr);
    Bytes zeros(32, 0);
    Bytes expected = Encrypted(one, zeros);
    EXPECT_EQ(Encrypted(a, zeros), expected);
    EXPECT_EQ(Encrypted(b, zeros), expected);
}

TEST(Rc4, BaseAcceptsEveryNonZeroMultipleOfFourAndTransformsNothing) {
    Tokokokokkk base;
    base.Init(nullptr, 0xFFFFFFFC, nullptr);
    EXPECT_EQ(ErrorOf([&] { base.Init(nullptr, 6, nullptr); }), "Invalid key size");
    std::uint8_t out[3] = {1, 2, 3};
    const std::uint8_t in[3] = {9, 9, 9};
    base.Encrypt(in, out, 3);
    base.Decrypt(in, out, 3);
    EXPECT_EQ(Bytes(out, out + 3), (Bytes{1, 2, 3}));
}

TEST(Rc4, NotInitialisedFailsAndLeavesOutputUntouched) {
    Bytes key = FromHex("0102030405");
    Thjhjhjh fresh, wiped;
    wiped.Init(key.data(), 40, nullptr);
    wiped.Wipe();
    for (Thjhjhjh* rc4 : {&fresh, &wiped}) {
        std::uint8_t in[4] = {1, 2, 3, 4}, out[4] = {7, 7, 7, 7};
        EXPECT_EQ(ErrorOf([&] { rc4->Encrypt(in, out, 4); }), "Cipher not initialized");
        EXPECT_EQ(ErrorOf([&] { rc4->Decrypt(in, out, 4); }), "Cipher not initialized");
        EXPECT_EQ(ErrorOf([&] { rc4->EncryptBase64("abc"); }), "Cipher not initialized");
        EXPECT_EQ(Bytes(out, out + 4), (Bytes{7, 7, 7, 7}));
    }
}

TEST(Rc4, ConstructionAndWipeFillBothTablesWithFF) {
    PeekRc4 rc4;
    EXPECT_FALSE(rc4.IsInitialized());
    EXPECT_EQ(rc4.StateTable(), kAllFF);
    EXPECT_EQ(rc4.SavedTable(), kAllFF);
    Bytes key = FromHex("0102030405");
    rc4.Init(key.data(), 40, nullptr);
    EXPECT_TRUE(rc4.IsInitialized());
    EXPECT_EQ(rc4.SavedTable(), rc4.StateTable());
    EXPECT_NE(rc4.StateTable(), kAllFF);
    rc4.Wipe();
    EXPECT_FALSE(rc4.IsInitialized());
    EXPECT_EQ(rc4.StateTable(), kAllFF);
    EXPECT_EQ(rc4.SavedTable(), kAllFF);
}

TEST(Rc4, DestructionWipesTheKeyedTables) {
    // The object lives in storage of our own so its bytes can be read after the destructor ran.
    alignas(PeekRc4) unsigned char storage[sizeof(PeekRc4)];
    auto* rc4 = new (storage) PeekRc4(nullptr);
    Bytes key = FromHex("0102030405060708090a0b0c0d0e0f10");
    rc4->Init(key.data(), 128, nullptr);
    Encrypted(*rc4, Bytes(10, 0));
    const std::size_t stateAt = rc4->StateAddress() - storage, savedAt = rc4->SavedAddress() - storage;
    rc4->~PeekRc4();
    volatile unsigned char* bytes = storage;
    for (std::size_t k = 0; k < 256; ++k) {
        ASSERT_EQ(bytes[stateAt + k], 0xFF) << k;
        ASSERT_EQ(bytes[savedAt + k], 0xFF) << k;
    }
}

TEST(Rc4, SecondInitEqualsAFreshObject) {
    Bytes first = FromHex("0102030405"), second = FromHex("618a63d2fb");
    Thjhjhjh rekeyed, fresh;
    rekeyed.Init(first.data(), 40, nullptr);
    Encrypted(rekeyed, Bytes(100, 0));
    rekeyed.Init(second.data(), 40, nullptr);
    fresh.Init(second.data(), 40, nullptr);
    Bytes plain(64, 0x33);
    EXPECT_EQ(Encrypted(rekeyed, plain), Encrypted(fresh, plain));
    EXPECT_EQ(Encrypted(rekeyed, plain), Encrypted(fresh, plain));
}

TEST(Rc4, TwoHalfCallsDifferFromOneWholeCall) {
    Bytes key = FromHex("0102030405");
    Thjhjhjh whole, halves;
    whole.Init(key.data(), 40, nullptr);
    halves.Init(key.data(), 40, nullptr);
    Bytes zeros(32, 0);
    Bytes one = Encrypted(whole, zeros);
    Bytes first = Encrypted(halves, Bytes(16, 0));
    Bytes second = Encrypted(halves, Bytes(16, 0));
    EXPECT_EQ(first, Bytes(one.begin(), one.begin() + 16));  // the first call is the published keystream
    EXPECT_NE(second, Bytes(one.begin() + 16, one.end()));   // i and j restarted, the permutation did not
}

TEST(Rc4, ResetThenDecryptRestoresInPlace) {
    Bytes key = FromHex("0102030405060708090a0b0c0d0e0f10");
    Thjhjhjh rc4;
    rc4.Init(key.data(), 128, nullptr);
    const std::string plain = "a text of some length, longer than one keystream block";
    std::string buffer = plain;
    rc4.Encrypt(buffer.data(), buffer.data(), static_cast<std::uint32_t>(buffer.size()));
    EXPECT_NE(buffer, plain);
    rc4.Reset();
    rc4.Decrypt(buffer.data(), buffer.data(), static_cast<std::uint32_t>(buffer.size()));
    EXPECT_EQ(buffer, plain);
}

TEST(Rc4, ZeroBytesChangeNothing) {
    Bytes key = FromHex("0102030405");
    PeekRc4 rc4;
    Thjhjhjh reference;
    rc4.Init(key.data(), 40, nullptr);
    reference.Init(key.data(), 40, nullptr);
    Bytes before = rc4.StateTable();
    std::uint8_t out = 0x42;
    rc4.Encrypt(&out, &out, 0);
    rc4.Decrypt(&out, &out, 0);
    EXPECT_EQ(out, 0x42);
    EXPECT_EQ(rc4.StateTable(), before);
    EXPECT_EQ(Encrypted(rc4, Bytes(16, 0)), Encrypted(reference, Bytes(16, 0)));
}

TEST(Rc4, Base64FormsRoundTrip) {
    Bytes key = FromHex("0102030405");
    Thjhjhjh rc4;
    rc4.Init(key.data(), 40, nullptr);
    // Encrypting "\0\0\0" gives the first keystream bytes b2 39 63: Base64 "sjlj".
    EXPECT_EQ(rc4.EncryptBase64(std::string(3, '\0')), "sjlj");
    rc4.Reset();
    const std::string text = "Proxy user:secret \xE9";
    std::string sealed = rc4.EncryptBase64(text);
    rc4.Reset();
    EXPECT_EQ(rc4.DecryptBase64(sealed), text);
    EXPECT_EQ(rc4.EncryptBase64(""), "");
}

TEST(Rc4, OwnerDestroysTheCipher) {
    TComponent* owner = new TComponent(nullptr);
    auto* rc4 = new PeekRc4(owner);
    Bytes key = FromHex("0102030405");
    rc4->Init(key.data(), 40, nullptr);
    EXPECT_EQ(rc4->Owner(), owner);
    delete owner;  // takes the cipher with it
}
