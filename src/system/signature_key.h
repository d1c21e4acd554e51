#pragma once
// The two stored pieces of the key for stored texts: 26 bytes (not all printable) and a
// three-digit number whose decimal text follows them. Changing either re-enciphers every
// stored text at the next build.
#include <cstddef>

inline constexpr unsigned char kSignatureKeyBytes[26] = {
    0x5A, 0x72, 0x07, 0x76, 0xE3, 0x58, 0x21, 0x6B, 0x1F, 0x4D, 0x93, 0x65, 0x30,
    0x7E, 0x02, 0x4C, 0xB8, 0x71, 0x2A, 0x0E, 0x64, 0xC5, 0x39, 0x57, 0x11, 0x6D};
inline constexpr int kSignatureKeyNumber = 587;
inline constexpr std::size_t kSignatureKeyLength = 29;
