#pragma once
#include <string>

// The text deflated by zlib in one go; windowBits picks the framing: MAX_WBITS a zlib stream,
// -MAX_WBITS raw deflate data, 16 + MAX_WBITS gzip (time 0, no name).
std::string Deflate(const std::string& text, int windowBits);
