// Writes the horoscope panel's background: an RGBA PNG of a ruled notepad
// sheet with binder holes along the top, a turned-down top right corner and a
// soft shadow, on a transparent background. The sheet is designed on 512 x 512
// pixels; the picture has that size or the one given, for screens of higher
// resolution. Every pixel is the average of 4 x 4 samples, so that all edges
// are anti-aliased.
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kDesignSize = 512;
constexpr double kLeft = 78, kTop = 22, kRight = 432, kBottom = 482, kRadius = 8;
constexpr double kFold = 44; // size of the turned-down corner
constexpr double kRuleTop = 96, kRuleGap = 31;

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0; // straight colour, alpha 0..1
};

// Source-over of a straight colour onto another.
Rgba Over(const Rgba& top, const Rgba& under) {
    Rgba out;
    out.a = top.a + under.a * (1 - top.a);
    if (out.a <= 0)
        return {};
    auto mix = [&](double t, double u) { return (t * top.a + u * under.a * (1 - top.a)) / out.a; };
    out.r = mix(top.r, under.r);
    out.g = mix(top.g, under.g);
    out.b = mix(top.b, under.b);
    return out;
}

// Signed distance to a rounded rectangle (negative inside).
double RoundRectDistance(double x, double y, double l, double t, double r, double b, double radius) {
    const double cx = (l + r) / 2, cy = (t + b) / 2;
    const double hx = (r - l) / 2 - radius, hy = (b - t) / 2 - radius;
    const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

bool BeyondFold(double x, double y) {
    return (x - (kRight - kFold)) - (y - kTop) > 0;
}

bool InHole(double x, double y, double grow = 0) {
    for (int k = 0; k < 8; ++k) {
        const double cx = 112 + 36.0 * k, cy = 42;
        if (std::hypot(x - cx, y - cy) < 6.5 + grow)
            return true;
    }
    return false;
}

Rgba Sample(double x, double y) {
    Rgba pixel;
    // Shadow: offset down and right, fading over 7 pixels.
    const double shadowDistance = RoundRectDistance(x - 4, y - 5, kLeft, kTop, kRight, kBottom, kRadius);
    if (shadowDistance < 7 && !BeyondFold(x - 4, y - 5))
        pixel = {40, 30, 20, std::clamp(0.28 * (1 - shadowDistance / 7), 0.0, 0.28)};

    const bool onSheet = RoundRectDistance(x, y, kLeft, kTop, kRight, kBottom, kRadius) <= 0 && !BeyondFold(x, y);
    if (!onSheet || InHole(x, y))
        return InHole(x, y) ? Rgba{} : pixel;

    // Paper: warm white, a touch darker towards the bottom.
    const double shade = (y - kTop) / (kBottom - kTop);
    Rgba paper{255 - 6 * shade, 253 - 9 * shade, 244 - 14 * shade, 1};
    // A darker strip behind the binder holes.
    if (y < 60)
        paper = {246, 238, 218, 1};
    if (InHole(x, y, 1.6))
        paper = {170, 160, 140, 1};
    // Ruled lines and the red margin.
    for (double rule = kRuleTop; rule < kBottom - 12; rule += kRuleGap)
        if (y >= rule && y < rule + 1.25 && x > kLeft + 8 && x < kRight - 8)
            paper = Over({120, 165, 215, 0.75}, paper);
    if (x >= 101 && x < 102.5 && y > 62 && y < kBottom - 8)
        paper = Over({220, 90, 90, 0.6}, paper);

    // The turned-down corner: the back of the page, reflected across the fold.
    const double fx = x - (kRight - kFold), fy = y - kTop;
    if (fx >= 0 && fy <= kFold && fx - fy <= 0) {
        const double depth = (fy - fx) / kFold; // 0 at the crease
        Rgba back{236 - 20 * depth, 228 - 22 * depth, 206 - 24 * depth, 1};
        if (fy - fx < 1.2)
            back = {190, 180, 160, 1}; // the crease
        paper = back;
    }
    return Over(paper, pixel);
}

void PutBigEndian(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

void PutChunk(std::vector<unsigned char>& png, const char* type, const std::vector<unsigned char>& data) {
    PutBigEndian(png, static_cast<std::uint32_t>(data.size()));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    PutBigEndian(png, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

} // namespace

int main(int argc, char** argv) {
    const int size = argc == 3 ? std::atoi(argv[2]) : kDesignSize;
    if ((argc != 2 && argc != 3) || size < 16 || size > 8192) {
        std::fprintf(stderr, "usage: makebook OUT.png [SIZE]\n");
        return 2;
    }
    const double unit = static_cast<double>(kDesignSize) / size; // design pixels per picture pixel
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(size) * (size * 4 + 1));
    for (int y = 0; y < size; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < size; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const Rgba s = Sample((x + (sx + 0.5) / 4) * unit, (y + (sy + 0.5) / 4) * unit);
                    r += s.r * s.a;
                    g += s.g * s.a;
                    b += s.b * s.a;
                    a += s.a;
                }
            const auto channel = [&](double premultiplied) {
                return static_cast<unsigned char>(a > 0 ? std::lround(std::clamp(premultiplied / a, 0.0, 255.0)) : 0);
            };
            raw.push_back(channel(r));
            raw.push_back(channel(g));
            raw.push_back(channel(b));
            raw.push_back(static_cast<unsigned char>(std::lround(a / 16 * 255)));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        return 1;
    packed.resize(packedSize);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBigEndian(header, static_cast<std::uint32_t>(size));
    PutBigEndian(header, static_cast<std::uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter variant, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(png.data(), 1, png.size(), f) != png.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
