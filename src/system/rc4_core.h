#pragma once
// The two RC4 steps, written once and shared by the cipher class and by the compile-time
// enciphering of stored texts, so the build and the program cannot disagree.
#include <cstddef>
#include <cstdint>

namespace rc4 {

// Key schedule: the permutation made from keyLength (> 0) key bytes, each used in turn.
constexpr void Schedule(std::uint8_t (&state)[256], const std::uint8_t* key, std::size_t keyLength) {
    for (int i = 0; i < 256; ++i) state[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + state[i] + key[i % keyLength]);
        std::uint8_t t = state[i];
        state[i] = state[j];
        state[j] = t;
    }
}

// One pass of the keystream over size bytes, i and j starting at 0; the permutation advances.
// in and out may be the same buffer.
constexpr void Apply(std::uint8_t (&state)[256], const std::uint8_t* in, std::uint8_t* out,
                     std::size_t size) {
    std::uint8_t i = 0, j = 0;
    for (std::size_t k = 0; k < size; ++k) {
        i = static_cast<std::uint8_t>(i + 1);
        std::uint8_t t = state[i];
        j = static_cast<std::uint8_t>(j + t);
        state[i] = state[j];
        state[j] = t;
        out[k] = static_cast<std::uint8_t>(in[k] ^ state[static_cast<std::uint8_t>(t + state[i])]);
    }
}

}  // namespace rc4
