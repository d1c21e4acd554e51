#pragma once
// SHA-256 (FIPS 180-4), for the catalogue's identity.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256 {
public:
    Sha256();
    void Add(std::string_view bytes);
    // The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 32> Finish();

private:
    void Block(const std::uint8_t* block);
    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t totalBytes_ = 0;
};

// The digest of the bytes in lower-case hex, 64 characters.
std::string Sha256Hex(std::string_view bytes);
