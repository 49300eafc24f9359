// Writes the program's icon: a small glowing clock face, white towards the top
// and the clock's blue towards the bottom as the clock's own digits are, with
// a soft blue glow around ring and hands on a transparent background. One .ico
// holds it at 16, 20, 24, 32, 48 and 256 pixels: the small sizes as 32-bit
// bitmaps, the largest as PNG. Every pixel is the average of 4 x 4 samples.
// The small sizes drop the hour marks, which would only blur there.
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0; // straight colour, alpha 0..1
};

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

// Distance from p to the segment a-b.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

constexpr double kPi = 3.14159265358979323846;

// The face at (x, y) in units of the icon's side (0..1), for an icon of size
// pixels: distance to the nearest stroke, in those units.
double StrokeDistance(double x, double y, int size) {
    const double cx = 0.5, cy = 0.5;
    const double ring = 0.36;
    double d = std::abs(std::hypot(x - cx, y - cy) - ring);
    // The hands at ten past ten.
    const double hour = (10 + 10.0 / 60) / 12 * 2 * kPi, minute = 10.0 / 60 * 2 * kPi;
    d = std::min(d, SegmentDistance(x, y, cx, cy, cx + 0.17 * std::sin(hour), cy - 0.17 * std::cos(hour)));
    d = std::min(d, SegmentDistance(x, y, cx, cy, cx + 0.26 * std::sin(minute), cy - 0.26 * std::cos(minute)));
    // The four quarter marks, and at larger sizes the other hours.
    for (int h = 0; h < 12; ++h) {
        if ((h % 3 != 0 && size < 32) || size < 24)
            continue;
        const double a = h / 12.0 * 2 * kPi, inner = h % 3 == 0 ? 0.25 : 0.28;
        d = std::min(d, SegmentDistance(x, y, cx + inner * std::sin(a), cy - inner * std::cos(a),
                                        cx + 0.31 * std::sin(a), cy - 0.31 * std::cos(a)));
    }
    return d;
}

Rgba Sample(double x, double y, int size) {
    // Strokes at least about one and a half pixels wide at every size.
    const double half = std::max(0.035, 0.75 / size);
    const double d = StrokeDistance(x, y, size);
    // The clock's gradient, white at the top to its blue (0x1E78C3) at the bottom.
    const double t = std::clamp((y - 0.14) / 0.72, 0.0, 1.0);
    const Rgba stroke{255 - (255 - 0x1E) * t * 0.7, 255 - (255 - 0x78) * t * 0.7, 255 - (255 - 0xC3) * t * 0.7, 1};
    const double glowReach = size < 32 ? 0.05 : 0.09;
    Rgba pixel;
    // A dark disc behind the face, so that the icon reads on a light taskbar too.
    const double disc = std::hypot(x - 0.5, y - 0.5);
    if (disc < 0.46)
        pixel = {12, 24, 44, std::clamp((0.46 - disc) * size, 0.0, 1.0) * 0.85};
    if (d < half + glowReach) {
        const double g = 1 - std::max(0.0, d - half) / glowReach;
        pixel = Over({90, 170, 255, (size < 32 ? 0.3 : 0.55) * g * g}, pixel);
    }
    if (d < half)
        pixel = Over(stroke, pixel);
    return pixel;
}

// The picture of one size, rows from the top, BGRA with straight alpha.
std::vector<unsigned char> Draw(int size) {
    std::vector<unsigned char> bgra(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const Rgba s = Sample((x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size, size);
                    r += s.r * s.a;
                    g += s.g * s.a;
                    b += s.b * s.a;
                    a += s.a;
                }
            auto channel = [&](double premultiplied) {
                return static_cast<unsigned char>(a > 0 ? std::lround(std::clamp(premultiplied / a, 0.0, 255.0)) : 0);
            };
            unsigned char* p = &bgra[(static_cast<size_t>(y) * size + x) * 4];
            p[0] = channel(b);
            p[1] = channel(g);
            p[2] = channel(r);
            p[3] = static_cast<unsigned char>(std::lround(a / 16 * 255));
        }
    return bgra;
}

void PutLittle(std::vector<unsigned char>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void PutBig(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

// An icon image as the .ico format keeps small ones: a bitmap header of twice
// the height, the colour rows bottom up, then the (empty) AND mask.
std::vector<unsigned char> BitmapImage(int size, const std::vector<unsigned char>& bgra) {
    std::vector<unsigned char> out;
    PutLittle(out, 40, 4);
    PutLittle(out, static_cast<std::uint32_t>(size), 4);
    PutLittle(out, static_cast<std::uint32_t>(size * 2), 4);
    PutLittle(out, 1, 2);  // planes
    PutLittle(out, 32, 2); // bits per pixel
    for (int i = 0; i < 6; ++i)
        PutLittle(out, 0, 4);
    for (int y = size - 1; y >= 0; --y)
        out.insert(out.end(), bgra.begin() + static_cast<long>(y) * size * 4,
                   bgra.begin() + static_cast<long>(y + 1) * size * 4);
    const int maskRow = ((size + 31) / 32) * 4;
    out.insert(out.end(), static_cast<size_t>(maskRow) * size, 0);
    return out;
}

void PutChunk(std::vector<unsigned char>& png, const char* type, const std::vector<unsigned char>& data) {
    PutBig(png, static_cast<std::uint32_t>(data.size()));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    PutBig(png, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

std::vector<unsigned char> PngImage(int size, const std::vector<unsigned char>& bgra) {
    std::vector<unsigned char> raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < size; ++x) {
            const unsigned char* p = &bgra[(static_cast<size_t>(y) * size + x) * 4];
            raw.insert(raw.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);
    std::vector<unsigned char> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBig(header, static_cast<std::uint32_t>(size));
    PutBig(header, static_cast<std::uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return png;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeicon OUT.ico\n");
        return 2;
    }
    const int sizes[] = {16, 20, 24, 32, 48, 256};
    std::vector<std::vector<unsigned char>> images;
    for (int size : sizes) {
        const std::vector<unsigned char> bgra = Draw(size);
        images.push_back(size >= 256 ? PngImage(size, bgra) : BitmapImage(size, bgra));
    }
    std::vector<unsigned char> ico;
    PutLittle(ico, 0, 2);
    PutLittle(ico, 1, 2); // an icon
    PutLittle(ico, static_cast<std::uint32_t>(images.size()), 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        ico.push_back(static_cast<unsigned char>(sizes[i] >= 256 ? 0 : sizes[i]));
        ico.push_back(static_cast<unsigned char>(sizes[i] >= 256 ? 0 : sizes[i]));
        ico.push_back(0); // no palette
        ico.push_back(0);
        PutLittle(ico, 1, 2);
        PutLittle(ico, 32, 2);
        PutLittle(ico, static_cast<std::uint32_t>(images[i].size()), 4);
        PutLittle(ico, offset, 4);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images)
        ico.insert(ico.end(), image.begin(), image.end());
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(ico.data(), 1, ico.size(), out) != ico.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "makeicon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
