#include "ui/jpeg_picture.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg's default reaction to bad data is to end the process; come back here instead.
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

void ReturnOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->back, 1);
}

void IgnoreMessage(j_common_ptr) {}

// Plain C-style on purpose: nothing with a destructor lives between setjmp and longjmp.
HBITMAP DecodeInto(jpeg_decompress_struct* info, ErrorTrap* trap, const unsigned char* data, size_t size) {
    HBITMAP volatile bitmap = nullptr;  // volatile: read after a longjmp
    if (setjmp(trap->back)) {
        jpeg_destroy_decompress(info);
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    jpeg_create_decompress(info);
    jpeg_mem_src(info, data, static_cast<unsigned long>(size));
    jpeg_read_header(info, TRUE);
    info->out_color_space = JCS_EXT_BGRX;  // the byte order of a 32-bit DIB
    jpeg_start_decompress(info);

    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = static_cast<LONG>(info->output_width);
    header.bmiHeader.biHeight = -static_cast<LONG>(info->output_height);  // top-down, like the decoder
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        jpeg_destroy_decompress(info);
        return nullptr;
    }
    const size_t stride = static_cast<size_t>(info->output_width) * 4;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = static_cast<unsigned char*>(bits) + stride * info->output_scanline;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    jpeg_destroy_decompress(info);
    return bitmap;
}

}  // namespace

UniqueBitmap DecodeJpeg(const unsigned char* data, size_t size) {
    if (!data || size == 0) return nullptr;
    jpeg_decompress_struct info{};
    ErrorTrap trap{};
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = ReturnOnError;
    trap.manager.output_message = IgnoreMessage;
    return UniqueBitmap(DecodeInto(&info, &trap, data, size));
}

UniqueBitmap LoadJpegResource(int id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return nullptr;
    return DecodeJpeg(static_cast<const unsigned char*>(bytes), SizeofResource(module, found));
}
