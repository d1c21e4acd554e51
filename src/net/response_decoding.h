#pragma once
// Turning a received body into what the host reads: compressed bodies decoded, the bytes made
// into text lines by the character set the headers name.
#include <cstddef>
#include <string>

#include "net/text_support.h"

constexpr size_t kDefaultMaxDecodedBytes = 64u * 1024 * 1024;

// Decoders, both all or nothing: 'Z' inflates a zlib stream after the eight signature bytes;
// 'G' reads a gzip stream, and gives text only when every member's CRC-32 and length were
// checked: input that ends early, a failed check or damaged data leaves nothing. Both return
// false when the output would pass the limit, leaving it empty.
bool ZlibAfterHeader(const std::string& body, std::string& out, size_t limit);
bool GzipStream(const std::string& body, std::string& out, size_t limit);

// The decoder tried first for a body with the gzip signature: the hint ('Z' or 'G', anything
// else counts as 'Z'), but 'G' for an address containing ".asp".
char FirstDecoder(const std::wstring& url, char hint);

// Replaces a compressed body by its decoded form. A Content-Encoding of gzip, x-gzip or
// deflate decides; without one, the eight-byte gzip signature does, with the hint (or ".asp"
// in the address) choosing the first decoder.
void DecodeBody(std::string& body, const std::wstring& url, char hint, const std::string& contentEncoding,
                size_t limit = kDefaultMaxDecodedBytes);

const std::string& BodyToText(const std::string& body);

// The body text in the system code page, by "charset=utf-8" / "charset=utf-16" in the headers,
// split into lines. False, with no lines, when the lines would take more memory than twice the
// larger of the decode limit and the body.
bool ResponseText(const TStringList& headers, const std::string& bodyText, size_t limit, TStringList& lines);
TStringList ResponseText(const TStringList& headers, const std::string& bodyText);

