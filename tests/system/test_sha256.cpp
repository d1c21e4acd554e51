// SHA-256 against the published vectors of FIPS 180-4 (NIST's examples), and the padding at each
// block boundary, fed whole and a byte at a time.
#include <gtest/gtest.h>

#include <string>

#include "system/sha256.h"

namespace {

struct Vector {
    const char* name;
    std::string message;
    const char* digest;
};

class Sha256Vectors : public testing::TestWithParam<Vector> {};

TEST_P(Sha256Vectors, GivesThePublishedDigest) { EXPECT_EQ(Sha256Hex(GetParam().message), GetParam().digest); }

INSTANTIATE_TEST_SUITE_P(
    Fips180, Sha256Vectors,
    testing::Values(
        Vector{"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        Vector{"Abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        Vector{"TwoBlocks448Bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
               "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        Vector{"TwoBlocks896Bits",
               "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrst"
               "nopqrstu",
               "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        Vector{"MillionA", std::string(1000000, 'a'),
               "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}),
    [](const testing::TestParamInfo<Vector>& info) { return std::string(info.param.name); });

// Lengths around the 55/56-byte padding edge and the 64-byte block, where a length that fits or
// spills into one more block is decided. Digests from an independent implementation (Python's hashlib).
TEST(Sha256, PadsAtEveryBlockEdgeAndTakesBytesInAnyPieces) {
    const struct {
        std::size_t length;
        const char* digest;
    } cases[] = {
        {55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {56, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {63, "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {64, "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {65, "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
        {119, "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
        {120, "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
    };
    for (const auto& c : cases) {
        const std::string message(c.length, 'a');
        EXPECT_EQ(Sha256Hex(message), c.digest) << c.length;
        Sha256 pieces;
        for (char byte : message) pieces.Add(std::string_view(&byte, 1));
        std::string hex;
        for (std::uint8_t b : pieces.Finish()) {
            const char digits[] = "0123456789abcdef";
            hex += digits[b >> 4];
            hex += digits[b & 0x0F];
        }
        EXPECT_EQ(hex, c.digest) << c.length << " a byte at a time";
    }
}

}  // namespace
