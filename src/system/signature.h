#pragma once
// Stored texts: every catalogue name, path and key, the option paths and the update address
// are kept only as SignatureText (RC4 under the signature key, written as hex) and decoded
// at each use. SIG("plain") enciphers at compile time, so the plain text never reaches the
// program; the same plain text always yields the same stored text object.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "system/rc4_core.h"
#include "system/signature_key.h"

// Plain text of a SignatureText. Throws Exception("'$xy' is not a valid integer value") on a bad pair.
std::string DecodeSignature(const std::string& signatureText);
// Hex text decrypted with RC4 under the key's bytes; a trailing odd character is ignored.
std::string DecryptHexText(const std::string& hexText, const std::string& key);

namespace signature_detail {

// The key as the decoder builds it: the 26 stored bytes, then the number's three digits.
consteval std::array<std::uint8_t, kSignatureKeyLength> BuildKey() {
    std::array<std::uint8_t, kSignatureKeyLength> key{};
    for (std::size_t i = 0; i < 26; ++i) key[i] = kSignatureKeyBytes[i];
    key[26] = static_cast<std::uint8_t>('0' + kSignatureKeyNumber / 100);
    key[27] = static_cast<std::uint8_t>('0' + kSignatureKeyNumber / 10 % 10);
    key[28] = static_cast<std::uint8_t>('0' + kSignatureKeyNumber % 10);
    return key;
}

template <std::size_t N>
struct PlainLiteral {
    char text[N]{};
    consteval PlainLiteral(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) text[i] = s[i];
    }
};

// RC4 from a fresh keystream over the literal's bytes, written as lower-case hex.
template <std::size_t N>
consteval std::array<char, 2 * (N - 1) + 1> Encipher(const PlainLiteral<N>& plain) {
    constexpr auto key = BuildKey();
    std::uint8_t state[256]{};
    rc4::Schedule(state, key.data(), key.size());
    std::uint8_t bytes[N]{};
    for (std::size_t k = 0; k < N; ++k) bytes[k] = static_cast<std::uint8_t>(plain.text[k]);
    rc4::Apply(state, bytes, bytes, N - 1);
    std::array<char, 2 * (N - 1) + 1> hex{};
    constexpr char digits[] = "0123456789abcdef";
    for (std::size_t k = 0; k + 1 < N; ++k) {
        hex[2 * k] = digits[bytes[k] >> 4];
        hex[2 * k + 1] = digits[bytes[k] & 0x0F];
    }
    hex[2 * (N - 1)] = '\0';
    return hex;
}

template <PlainLiteral P>
struct Stored {
    static constexpr auto hex = Encipher(P);
};

}  // namespace signature_detail

// A stored text: pointer to its NUL-terminated SignatureText, enciphered by the compiler.
#define SIG(plain) (::signature_detail::Stored<plain>::hex.data())
