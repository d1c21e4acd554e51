#pragma once
// The windows' pictures: JPEG data decoded with libjpeg into a bitmap.
#include <cstddef>

#include "ui/gdi_handles.h"

// Decodes JPEG bytes into a 32-bit top-down bitmap; null when the data is not a readable JPEG.
UniqueBitmap DecodeJpeg(const unsigned char* data, size_t size);
// Decodes the RCDATA resource of the running program with that number; null when missing.
UniqueBitmap LoadJpegResource(int id);
