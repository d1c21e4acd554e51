#include "net/response_decoding.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "system/exception.h"

namespace {
constexpr unsigned char kGzipSignature[8] = {0x1F, 0x8B, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr size_t kGzipPiece = 16384;

// Inflates in one pass, all or nothing. windowBits picks zlib, raw deflate or gzip framing.
bool InflateWhole(const unsigned char* data, size_t size, int windowBits, std::string& out, size_t limit) {
    out.clear();
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    // One byte over the limit tells a stream that ends at the limit from one that goes on.
    const size_t ceiling = limit + 1;
    std::string result;
    result.resize(std::min(ceiling, std::max<size_t>((size + 255) / 256 * 256, 256)));
    size_t produced = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        if (produced == result.size()) {
            if (result.size() >= ceiling) break;
            // Doubling keeps a large output linear to build.
            result.resize(std::min(ceiling, result.size() * 2));
        }
        stream.next_out = reinterpret_cast<Bytef*>(result.data() + produced);
        stream.avail_out = static_cast<uInt>(result.size() - produced);
        status = inflate(&stream, Z_NO_FLUSH);
        produced = result.size() - stream.avail_out;
        if (status == Z_BUF_ERROR && stream.avail_out != 0) break;  // input ended early
        if (status == Z_BUF_ERROR) status = Z_OK;
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END || produced > limit) return false;
    result.resize(produced);
    out = std::move(result);
    return true;
}

bool HasSignature(const std::string& body) {
    return body.size() >= 8 && std::memcmp(body.data(), kGzipSignature, 8) == 0;
}

std::string ContentCoding(const std::string& header) { return LowerAscii(Trim(header)); }

// A zlib header: deflate method, and the two bytes a multiple of 31.
bool LooksLikeZlib(const std::string& body) {
    if (body.size() < 2) return false;
    const unsigned cmf = static_cast<unsigned char>(body[0]), flg = static_cast<unsigned char>(body[1]);
    return (cmf & 0x0F) == 8 && (cmf >> 4) <= 7 && (cmf * 256 + flg) % 31 == 0;
}
}  // namespace

bool ZlibAfterHeader(const std::string& body, std::string& out, size_t limit) {
    out.clear();
    if (body.size() < 8) return false;
    return InflateWhole(reinterpret_cast<const unsigned char*>(body.data()) + 8, body.size() - 8, MAX_WBITS, out,
                        limit);
}

namespace {
bool StartsMember(const std::string& body, size_t at) {
    return body.size() - at >= 2 && static_cast<unsigned char>(body[at]) == 0x1F &&
           static_cast<unsigned char>(body[at + 1]) == 0x8B;
}

bool OnlyZeros(const std::string& body, size_t at) {
    return body.find_first_not_of('\0', at) == std::string::npos;
}
}  // namespace

bool GzipStream(const std::string& body, std::string& out, size_t limit) {
    out.clear();
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return true;
    // The last trailer's length (modulo 4 GiB) sizes the output at once, never past the limit nor
    // past what deflate can expand the body to; a false length only costs room.
    if (body.size() >= 18) {
        const auto* tail = reinterpret_cast<const unsigned char*>(body.data() + body.size() - 4);
        const uint32_t announced = tail[0] | tail[1] << 8 | tail[2] << 16 | static_cast<uint32_t>(tail[3]) << 24;
        out.reserve(static_cast<size_t>(
            std::min<uint64_t>({announced, limit, static_cast<uint64_t>(body.size()) * 1032})));
    }
    char piece[kGzipPiece];
    size_t offset = 0;
    bool withinLimit = true, damaged = false;
    for (;;) {
        if (stream.avail_in == 0) {
            // Cut short: a member without its trailer cannot be checked, and a cut looks just
            // like damage that made inflate ask for more.
            if (offset == body.size()) {
                damaged = true;
                break;
            }
            size_t take = std::min(kGzipPiece, body.size() - offset);
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + offset));
            stream.avail_in = static_cast<uInt>(take);
            offset += take;
        }
        stream.next_out = reinterpret_cast<Bytef*>(piece);
        stream.avail_out = kGzipPiece;
        const int status = inflate(&stream, Z_NO_FLUSH);
        const size_t produced = kGzipPiece - stream.avail_out;
        if (out.size() + produced > limit) {
            withinLimit = false;
            break;
        }
        out.append(piece, produced);
        if (status == Z_STREAM_END) {
            // The member's CRC-32 and length matched. Another member goes on the same document,
            // as the format defines; zero padding after the last one is ignored, anything else
            // is damage.
            const size_t at = offset - stream.avail_in;
            if (at == body.size() || OnlyZeros(body, at)) break;
            if (!StartsMember(body, at)) {
                damaged = true;
                break;
            }
            inflateReset(&stream);
            continue;
        }
        if (status == Z_BUF_ERROR && stream.avail_in == 0) continue;  // needs more input
        if (status != Z_OK) {
            // A check value that fails, or data that is no deflate stream: nothing can be trusted.
            damaged = true;
            break;
        }
    }
    inflateEnd(&stream);
    if (!withinLimit || damaged) {
        out.clear();
        out.shrink_to_fit();
    }
    return withinLimit;
}

char FirstDecoder(const std::wstring& url, char hint) {
    if (LowerAscii(url).find(L".asp") != std::wstring::npos) return 'G';
    return hint == 'G' ? 'G' : 'Z';
}

void DecodeBody(std::string& body, const std::wstring& url, char hint, const std::string& contentEncoding,
                size_t limit) {
    const std::string coding = ContentCoding(contentEncoding);
    std::string out;
    // The request announces gzip and deflate, so a body marked with either is decoded whatever
    // its gzip header holds, and deflate as a zlib stream or as raw deflate data.
    if (coding == "gzip" || coding == "x-gzip") {
        GzipStream(body, out, limit);
        body = std::move(out);
        return;
    }
    if (coding == "deflate") {
        const auto* data = reinterpret_cast<const unsigned char*>(body.data());
        // A zlib stream carries its Adler-32 check; one that fails is not retried as raw data.
        InflateWhole(data, body.size(), LooksLikeZlib(body) ? MAX_WBITS : -MAX_WBITS, out, limit);
        body = std::move(out);
        return;
    }
    if (!HasSignature(body)) return;
    const char first = FirstDecoder(url, hint);
    auto run = [&](char decoder) {
        return decoder == 'G' ? GzipStream(body, out, limit) : ZlibAfterHeader(body, out, limit);
    };
    try {
        run(first);
    } catch (...) {
        out.clear();
    }
    if (out.empty()) run(first == 'G' ? 'Z' : 'G');
    body = std::move(out);
}

const std::string& BodyToText(const std::string& body) { return body; }
