// Draws Zarvex's pictures with GDI under Wine: the banner, the scan button and the About
// background as PPM (tools/make-pictures.sh turns them into JPEG), and the icons as .ico.
// Everything is drawn at four times the size and averaged down, which smooths the edges.
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kOver = 4;

struct Rgb {
    int r, g, b;
};

class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width * kOver;
        info.bmiHeader.biHeight = -height * kOver;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        SetBkMode(dc_, TRANSPARENT);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    int S(double v) const { return static_cast<int>(std::lround(v * kOver)); }

    // Vertical gradient over a rectangle (picture pixels).
    void Gradient(int left, int top, int right, int bottom, Rgb from, Rgb to) {
        GdiFlush();
        for (int y = S(top); y < S(bottom); ++y) {
            double t = (y - S(top)) / double(S(bottom) - S(top) - 1 > 0 ? S(bottom) - S(top) - 1 : 1);
            uint32_t c = Pack(Mix(from, to, t));
            for (int x = S(left); x < S(right); ++x) bits_[y * width_ * kOver + x] = c;
        }
    }
    void Fill(Rgb colour) { Gradient(0, 0, width_, height_, colour, colour); }

    void Polygon(const std::vector<POINT>& points, Rgb fill, Rgb line, double lineWidth) {
        std::vector<POINT> scaled;
        for (POINT p : points) scaled.push_back(POINT{S(p.x / 10.0), S(p.y / 10.0)});
        HBRUSH brush = CreateSolidBrush(RGB(fill.r, fill.g, fill.b));
        HPEN pen = lineWidth > 0 ? CreatePen(PS_SOLID, S(lineWidth), RGB(line.r, line.g, line.b))
                                 : static_cast<HPEN>(GetStockObject(NULL_PEN));
        HGDIOBJ oldBrush = SelectObject(dc_, brush);
        HGDIOBJ oldPen = SelectObject(dc_, pen);
        ::Polygon(dc_, scaled.data(), static_cast<int>(scaled.size()));
        SelectObject(dc_, oldBrush);
        SelectObject(dc_, oldPen);
        DeleteObject(brush);
        if (lineWidth > 0) DeleteObject(pen);
    }

    void Ellipse(double left, double top, double right, double bottom, Rgb fill, Rgb line, double lineWidth) {
        HBRUSH brush = CreateSolidBrush(RGB(fill.r, fill.g, fill.b));
        HPEN pen = lineWidth > 0 ? CreatePen(PS_SOLID, S(lineWidth), RGB(line.r, line.g, line.b))
                                 : static_cast<HPEN>(GetStockObject(NULL_PEN));
        HGDIOBJ oldBrush = SelectObject(dc_, brush);
        HGDIOBJ oldPen = SelectObject(dc_, pen);
        ::Ellipse(dc_, S(left), S(top), S(right), S(bottom));
        SelectObject(dc_, oldBrush);
        SelectObject(dc_, oldPen);
        DeleteObject(brush);
        if (lineWidth > 0) DeleteObject(pen);
    }

    void RoundRect(double left, double top, double right, double bottom, double radius, Rgb fill, Rgb line,
                   double lineWidth) {
        HBRUSH brush = CreateSolidBrush(RGB(fill.r, fill.g, fill.b));
        HPEN pen = lineWidth > 0 ? CreatePen(PS_SOLID, S(lineWidth), RGB(line.r, line.g, line.b))
                                 : static_cast<HPEN>(GetStockObject(NULL_PEN));
        HGDIOBJ oldBrush = SelectObject(dc_, brush);
        HGDIOBJ oldPen = SelectObject(dc_, pen);
        ::RoundRect(dc_, S(left), S(top), S(right), S(bottom), S(radius * 2), S(radius * 2));
        SelectObject(dc_, oldBrush);
        SelectObject(dc_, oldPen);
        DeleteObject(brush);
        if (lineWidth > 0) DeleteObject(pen);
    }

    // A thick line through the points, with round ends and joins.
    void Stroke(const std::vector<POINT>& points, Rgb colour, double width) {
        std::vector<POINT> scaled;
        for (POINT p : points) scaled.push_back(POINT{S(p.x / 10.0), S(p.y / 10.0)});
        LOGBRUSH brush{BS_SOLID, RGB(colour.r, colour.g, colour.b), 0};
        HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, S(width), &brush, 0, nullptr);
        HGDIOBJ old = SelectObject(dc_, pen);
        Polyline(dc_, scaled.data(), static_cast<int>(scaled.size()));
        SelectObject(dc_, old);
        DeleteObject(pen);
    }

    // Text with its left top at x, y; returns its width in picture pixels.
    double Text(double x, double y, const char* text, const char* face, double height, bool bold, Rgb colour,
                bool centred = false) {
        HFONT font = CreateFontA(-S(height), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, face);
        HGDIOBJ old = SelectObject(dc_, font);
        SIZE size{};
        GetTextExtentPoint32A(dc_, text, lstrlenA(text), &size);
        int left = centred ? S(x) - size.cx / 2 : S(x);
        SetTextColor(dc_, RGB(colour.r, colour.g, colour.b));
        TextOutA(dc_, left, S(y), text, lstrlenA(text));
        SelectObject(dc_, old);
        DeleteObject(font);
        return size.cx / double(kOver);
    }

    // The picture at its real size, averaged down: RGB bytes, top row first.
    std::vector<unsigned char> Rgb24() const {
        GdiFlush();
        std::vector<unsigned char> out;
        out.reserve(static_cast<size_t>(width_) * height_ * 3);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                int sum[3] = {0, 0, 0};
                for (int dy = 0; dy < kOver; ++dy)
                    for (int dx = 0; dx < kOver; ++dx) {
                        uint32_t c = bits_[(y * kOver + dy) * width_ * kOver + x * kOver + dx];
                        sum[0] += (c >> 16) & 0xFF;
                        sum[1] += (c >> 8) & 0xFF;
                        sum[2] += c & 0xFF;
                    }
                for (int i = 0; i < 3; ++i) out.push_back(static_cast<unsigned char>(sum[i] / (kOver * kOver)));
            }
        return out;
    }

    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    static Rgb Mix(Rgb a, Rgb b, double t) {
        return Rgb{int(a.r + (b.r - a.r) * t), int(a.g + (b.g - a.g) * t), int(a.b + (b.b - a.b) * t)};
    }
    static uint32_t Pack(Rgb c) { return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | uint32_t(c.b); }

    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    uint32_t* bits_ = nullptr;
};

const Rgb kWhite{255, 255, 255};
const Rgb kNavy{12, 30, 74};
const Rgb kBlue{28, 92, 178};
const Rgb kSky{96, 170, 236};
const Rgb kGreen{46, 160, 67};
const Rgb kDarkGreen{22, 104, 40};
const Rgb kLightGreen{120, 214, 118};

// A shield in a box of the given size at left, top; coordinates in tenths of a pixel.
void Shield(Canvas& c, double left, double top, double size) {
    auto P = [&](double x, double y) { return POINT{LONG(std::lround((left + x * size) * 10)), LONG(std::lround((top + y * size) * 10))}; };
    std::vector<POINT> outline = {P(0.50, 0.02), P(0.92, 0.16), P(0.90, 0.50), P(0.80, 0.74), P(0.50, 0.98),
                                  P(0.20, 0.74), P(0.10, 0.50), P(0.08, 0.16)};
    c.Polygon(outline, kBlue, kWhite, size * 0.05);
    std::vector<POINT> light = {P(0.50, 0.08), P(0.50, 0.91), P(0.24, 0.71), P(0.15, 0.49), P(0.14, 0.20)};
    c.Polygon(light, kSky, kSky, 0);
    c.Stroke({P(0.30, 0.50), P(0.45, 0.66), P(0.72, 0.32)}, kWhite, size * 0.11);
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

bool WritePpm(const std::string& path, const Canvas& c) {
    std::string header = "P6\n" + std::to_string(c.Width()) + " " + std::to_string(c.Height()) + "\n255\n";
    std::vector<unsigned char> bytes(header.begin(), header.end());
    std::vector<unsigned char> pixels = c.Rgb24();
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return WriteBytes(path, bytes);
}

void Banner(const std::string& folder) {
    Canvas c(505, 105);
    c.Gradient(0, 0, 505, 105, kNavy, Rgb{20, 70, 150});
    c.Gradient(0, 100, 505, 105, kSky, kBlue);
    Shield(c, 14, 8, 88);
    c.Text(112, 14, "Zarvex", "Tahoma", 48, true, Rgb{6, 16, 40});
    c.Text(110, 12, "Zarvex", "Tahoma", 48, true, kWhite);
    c.Text(112, 68, "Rogue anti-virus remover", "Tahoma", 16, false, Rgb{190, 218, 250});
    // The About badge sits where the banner's click area is (416, 0, 73 x 65).
    c.RoundRect(424, 6, 482, 60, 8, Rgb{34, 84, 160}, Rgb{140, 190, 240}, 1.5);
    c.Ellipse(440, 11, 466, 37, kWhite, kWhite, 0);
    c.Text(453, 12, "i", "Tahoma", 22, true, kBlue, true);
    c.Text(453, 40, "About", "Tahoma", 12, true, kWhite, true);
    WritePpm(folder + "\\banner.ppm", c);
}

void ScanButton(const std::string& folder) {
    Canvas c(201, 41);
    c.Fill(Rgb{240, 240, 240});  // the page colour around the rounded corners
    c.RoundRect(1, 1, 200, 40, 8, kDarkGreen, kDarkGreen, 0);
    c.Gradient(0, 0, 0, 0, kWhite, kWhite);
    c.RoundRect(2.5, 2.5, 198.5, 38.5, 7, kGreen, kLightGreen, 1);
    // A magnifying glass before the words.
    c.Ellipse(14, 8, 34, 28, kGreen, kWhite, 3);
    c.Stroke({POINT{310, 260}, POINT{390, 340}}, kWhite, 4.5);
    c.Text(121, 9, "Scan now", "Tahoma", 21, true, kDarkGreen, true);
    c.Text(120, 8, "Scan now", "Tahoma", 21, true, kWhite, true);
    WritePpm(folder + "\\scan.ppm", c);
}

void AboutBackground(const std::string& folder) {
    Canvas c(449, 329);
    c.Gradient(0, 0, 449, 329, Rgb{16, 40, 96}, Rgb{6, 16, 44});
    c.Gradient(0, 96, 449, 98, kSky, kBlue);
    Shield(c, 16, 8, 82);
    c.Text(106, 16, "Zarvex", "Tahoma", 40, true, kWhite);
    c.Text(108, 62, "Version 1.0.5", "Tahoma", 14, false, Rgb{190, 218, 250});
    // The home page button sits where the click area is (288, 0, 153 x 89).
    c.RoundRect(296, 14, 434, 76, 10, Rgb{34, 84, 160}, Rgb{140, 190, 240}, 1.5);
    c.Text(365, 22, "Visit our", "Tahoma", 14, true, kWhite, true);
    c.Text(365, 42, "home page", "Tahoma", 14, true, kWhite, true);
    const char* lines[] = {
        "Zarvex finds and removes 33 rogue security products:",
        "fake anti-virus and anti-spyware programs that pose",
        "as protection, and the trojan traces they leave.",
        "",
        "It also cleans the places where such software and",
        "browsing leave traces: cookies, temporary files,",
        "the MUICache and browser helper objects.",
    };
    double y = 120;
    for (const char* line : lines) {
        c.Text(28, y, line, "Tahoma", 13, false, Rgb{222, 232, 246});
        y += 19;
    }
    c.Text(28, 292, "Copyright (C) Zarvex. All rights reserved.", "Tahoma", 11, false, Rgb{140, 160, 200});
    WritePpm(folder + "\\about.ppm", c);
}

// One icon image: drawn on black and on white, the difference gives each pixel's coverage.
using IconPainter = void (*)(Canvas&, int size);

std::vector<unsigned char> IconImage(IconPainter paint, int size) {
    Canvas onBlack(size, size);
    onBlack.Fill(Rgb{0, 0, 0});
    paint(onBlack, size);
    Canvas onWhite(size, size);
    onWhite.Fill(kWhite);
    paint(onWhite, size);
    std::vector<unsigned char> black = onBlack.Rgb24();
    std::vector<unsigned char> white = onWhite.Rgb24();

    std::vector<unsigned char> image;
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) image.push_back(static_cast<unsigned char>(v >> (8 * i))); };
    auto put16 = [&](uint16_t v) { image.push_back(v & 0xFF); image.push_back(v >> 8); };
    put32(40); put32(uint32_t(size)); put32(uint32_t(size * 2)); put16(1); put16(32);
    put32(0); put32(0); put32(0); put32(0); put32(0); put32(0);
    std::vector<unsigned char> mask;
    const int maskStride = ((size + 31) / 32) * 4;
    mask.assign(static_cast<size_t>(maskStride) * size, 0);
    for (int y = size - 1; y >= 0; --y)  // bottom row first
        for (int x = 0; x < size; ++x) {
            size_t i = (static_cast<size_t>(y) * size + x) * 3;
            int alpha = 255 - (white[i + 1] - black[i + 1]);
            alpha = alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha);
            for (int ch = 2; ch >= 0; --ch) {  // BGR
                int v = alpha ? black[i + ch] * 255 / alpha : 0;
                image.push_back(static_cast<unsigned char>(v > 255 ? 255 : v));
            }
            image.push_back(static_cast<unsigned char>(alpha));
            if (alpha < 128) mask[static_cast<size_t>(size - 1 - y) * maskStride + x / 8] |= 0x80 >> (x % 8);
        }
    image.insert(image.end(), mask.begin(), mask.end());
    return image;
}

void WriteIcon(const std::string& path, IconPainter paint, std::vector<int> sizes) {
    std::vector<std::vector<unsigned char>> images;
    for (int size : sizes) images.push_back(IconImage(paint, size));
    std::vector<unsigned char> file = {0, 0, 1, 0, static_cast<unsigned char>(sizes.size()), 0};
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        unsigned char side = static_cast<unsigned char>(sizes[i] >= 256 ? 0 : sizes[i]);
        uint32_t length = static_cast<uint32_t>(images[i].size());
        unsigned char entry[16] = {side, side, 0, 0, 1, 0, 32, 0};
        for (int b = 0; b < 4; ++b) entry[8 + b] = static_cast<unsigned char>(length >> (8 * b));
        for (int b = 0; b < 4; ++b) entry[12 + b] = static_cast<unsigned char>(offset >> (8 * b));
        file.insert(file.end(), entry, entry + 16);
        offset += length;
    }
    for (auto& image : images) file.insert(file.end(), image.begin(), image.end());
    WriteBytes(path, file);
}

POINT At(int size, double x, double y) { return POINT{LONG(std::lround(x * size * 10)), LONG(std::lround(y * size * 10))}; }

void PaintProgramIcon(Canvas& c, int size) { Shield(c, 0, 0, size); }

void PaintScanIcon(Canvas& c, int size) {
    double s = size;
    c.Ellipse(0.08 * s, 0.08 * s, 0.66 * s, 0.66 * s, Rgb{210, 232, 252}, kBlue, 0.11 * s);
    c.Stroke({At(size, 0.60, 0.60), At(size, 0.88, 0.88)}, Rgb{90, 60, 30}, 0.17 * s);
}

void PaintSettingsIcon(Canvas& c, int size) {
    double s = size;
    // Three sliders.
    for (int i = 0; i < 3; ++i) {
        double y = (0.2 + 0.3 * i);
        c.Stroke({At(size, 0.1, y), At(size, 0.9, y)}, Rgb{80, 80, 80}, 0.08 * s);
        double knob = i == 1 ? 0.65 : (i == 0 ? 0.3 : 0.5);
        c.RoundRect((knob - 0.1) * s, (y - 0.13) * s, (knob + 0.1) * s, (y + 0.13) * s, 0.04 * s, kGreen, kDarkGreen,
                    0.05 * s);
    }
}

void PaintAboutIcon(Canvas& c, int size) {
    double s = size;
    c.Ellipse(0.04 * s, 0.04 * s, 0.96 * s, 0.96 * s, kBlue, kNavy, 0.05 * s);
    c.Ellipse(0.42 * s, 0.18 * s, 0.58 * s, 0.34 * s, kWhite, kWhite, 0);
    c.Stroke({At(size, 0.5, 0.47), At(size, 0.5, 0.78)}, kWhite, 0.16 * s);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <output folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    Banner(folder);
    ScanButton(folder);
    AboutBackground(folder);
    WriteIcon(folder + "\\zarvex.ico", PaintProgramIcon, {16, 32, 48});
    WriteIcon(folder + "\\tab_scan.ico", PaintScanIcon, {16, 32});
    WriteIcon(folder + "\\tab_settings.ico", PaintSettingsIcon, {16, 32});
    WriteIcon(folder + "\\tab_about.ico", PaintAboutIcon, {16, 32});
    return 0;
}
