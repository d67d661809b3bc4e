// Draws the installer menu's pictures (button icons, emblem, banner, program
// icon) procedurally and writes them as BMP, PNG and ICO files.
// Usage: drawpictures <outdir>
//
// Output must be byte-for-byte reproducible: the committed files are checked
// against a fresh run, so only plain double arithmetic and fixed loops are used.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------- colours

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// Straight (non-premultiplied) colour, channels 0..1.
struct Col {
    double r = 0, g = 0, b = 0, a = 1;
};

constexpr Col hex(uint32_t v, double a = 1.0)
{
    return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0, a};
}

Col mix(Col x, Col y, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

Col withAlpha(Col c, double a) { return {c.r, c.g, c.b, a}; }

uint8_t to8(double v) { return static_cast<uint8_t>(std::floor(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5)); }

constexpr Col kWindow = hex(0xF4EEFA);      // the menu window behind every BMP
constexpr Rgb kKey{255, 0, 255};            // transparency key of every BMP

// Palette shared by all pictures.
constexpr Col kNavy = hex(0x1C2766);
constexpr Col kNavyDeep = hex(0x141B4A);
constexpr Col kViolet = hex(0x5B2C8F);
constexpr Col kAmethyst = hex(0x9966CC);
constexpr Col kLilac = hex(0xD6C2F0);
constexpr Col kWhite = hex(0xFFFFFF);

// ---------------------------------------------------------------- geometry
// Shapes are signed distance functions (negative inside). Combining them with
// min/max keeps |d| a lower bound of the true distance, which lets the
// rasteriser skip supersampling far from edges.

using Sdf = std::function<double(double, double)>;
using Paint = std::function<Col(double, double)>;

struct P {
    double x, y;
};

Sdf circle(double cx, double cy, double r)
{
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; };
}

// Axis-aligned box [x0,x1]×[y0,y1] with rounded corners of radius r.
Sdf box(double x0, double y0, double x1, double y1, double r = 0)
{
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    const double hx = (x1 - x0) / 2 - r, hy = (y1 - y0) / 2 - r;
    return [=](double x, double y) {
        const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
        const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
        return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0) - r;
    };
}

// Segment with round caps, total thickness w.
Sdf capsule(P a, P b, double w)
{
    return [=](double x, double y) {
        const double px = x - a.x, py = y - a.y, bx = b.x - a.x, by = b.y - a.y;
        const double len2 = bx * bx + by * by;
        const double t = len2 > 0 ? std::clamp((px * bx + py * by) / len2, 0.0, 1.0) : 0.0;
        return std::hypot(px - bx * t, py - by * t) - w / 2;
    };
}

Sdf polygon(std::vector<P> v)
{
    return [v = std::move(v)](double x, double y) {
        double d = 1e9;
        bool inside = false;
        for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
            const double ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
            const double wx = x - v[i].x, wy = y - v[i].y;
            const double t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0, 1.0);
            d = std::min(d, std::hypot(wx - ex * t, wy - ey * t));
            if ((v[i].y > y) != (v[j].y > y) && x < v[i].x + (y - v[i].y) * ex / ey) inside = !inside;
        }
        return inside ? -d : d;
    };
}

Sdf unite(Sdf a, Sdf b)
{
    return [=](double x, double y) { return std::min(a(x, y), b(x, y)); };
}
Sdf intersect(Sdf a, Sdf b)
{
    return [=](double x, double y) { return std::max(a(x, y), b(x, y)); };
}
Sdf subtract(Sdf a, Sdf b)
{
    return [=](double x, double y) { return std::max(a(x, y), -b(x, y)); };
}
// Grows (d > 0) or shrinks (d < 0) a shape.
Sdf grow(Sdf a, double d)
{
    return [=](double x, double y) { return a(x, y) - d; };
}
// Band of width w centred on the shape's outline.
Sdf outline(Sdf a, double w)
{
    return [=](double x, double y) { return std::abs(a(x, y)) - w / 2; };
}
Sdf transform(Sdf a, double ox, double oy, double s)
{
    return [=](double x, double y) { return a((x - ox) / s, (y - oy) / s) * s; };
}

Paint solid(Col c)
{
    return [=](double, double) { return c; };
}
Paint linear(P p0, Col c0, P p1, Col c1)
{
    const double dx = p1.x - p0.x, dy = p1.y - p0.y, len2 = dx * dx + dy * dy;
    return [=](double x, double y) { return mix(c0, c1, ((x - p0.x) * dx + (y - p0.y) * dy) / len2); };
}
Paint radial(P c, double r, Col c0, Col c1)
{
    return [=](double x, double y) { return mix(c0, c1, std::hypot(x - c.x, y - c.y) / r); };
}

// Quadratic Bézier sampled into n segments (appends n points after p0).
void appendQuad(std::vector<P>& out, P p0, P p1, P p2, int n)
{
    for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n, u = 1 - t;
        out.push_back({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                       u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
    }
}

// ---------------------------------------------------------------- canvas

class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h), px_(size_t(w) * h, Col{0, 0, 0, 0}) {}

    int width() const { return w_; }
    int height() const { return h_; }
    const Col& at(int x, int y) const { return px_[size_t(y) * w_ + x]; }

    // Composites paint over the canvas inside the shape; edge coverage comes
    // from ss×ss supersampling. ss = 1 gives hard pixel edges.
    void fill(const Sdf& shape, const Paint& paint, double opacity = 1.0, int ss = 6)
    {
        for (int y = 0; y < h_; ++y) {
            for (int x = 0; x < w_; ++x) {
                const double cx = x + 0.5, cy = y + 0.5;
                const double d = shape(cx, cy);
                double cov;
                if (d > 1.0)
                    continue;
                if (d < -1.0 || ss == 1) {
                    cov = d < 0 ? 1.0 : 0.0;
                } else {
                    int in = 0;
                    for (int j = 0; j < ss; ++j)
                        for (int i = 0; i < ss; ++i)
                            if (shape(x + (i + 0.5) / ss, y + (j + 0.5) / ss) < 0) ++in;
                    cov = double(in) / (ss * ss);
                }
                if (cov <= 0) continue;
                blend(x, y, paint(cx, cy), cov * opacity);
            }
        }
    }

    // Sets coverage as a mask: pixels outside the shape lose their alpha.
    void clip(const Sdf& shape, int ss = 6)
    {
        Canvas mask(w_, h_);
        mask.fill(shape, solid(kWhite), 1.0, ss);
        for (size_t i = 0; i < px_.size(); ++i) px_[i].a *= mask.px_[i].a;
    }

private:
    void blend(int x, int y, Col s, double cov)
    {
        Col& d = px_[size_t(y) * w_ + x];
        const double sa = s.a * cov;
        const double oa = sa + d.a * (1 - sa);
        if (oa <= 0) return;
        d.r = (s.r * sa + d.r * d.a * (1 - sa)) / oa;
        d.g = (s.g * sa + d.g * d.a * (1 - sa)) / oa;
        d.b = (s.b * sa + d.b * d.a * (1 - sa)) / oa;
        d.a = oa;
    }

    int w_, h_;
    std::vector<Col> px_;
};

// ---------------------------------------------------------------- bitmaps

// Opaque picture in top-down order.
struct Image {
    int w = 0, h = 0;
    std::vector<Rgb> px;
    Rgb& at(int x, int y) { return px[size_t(y) * w + x]; }
    const Rgb& at(int x, int y) const { return px[size_t(y) * w + x]; }
};

// Flattens onto the window colour; nearly empty pixels become the key so the
// menu leaves them undrawn. Edges are therefore blended with the window
// colour, never with the key.
Image keyed(const Canvas& c, double threshold = 0.06)
{
    Image img{c.width(), c.height(), std::vector<Rgb>(size_t(c.width()) * c.height())};
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            const Col& p = c.at(x, y);
            Rgb o = kKey;
            if (p.a >= threshold) {
                o = {to8(p.r * p.a + kWindow.r * (1 - p.a)), to8(p.g * p.a + kWindow.g * (1 - p.a)),
                     to8(p.b * p.a + kWindow.b * (1 - p.a))};
                if (o == kKey) o.g = 1;  // the key must never appear in the drawing
            }
            img.at(x, y) = o;
        }
    }
    return img;
}

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(Bytes& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void put32be(Bytes& b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}

// BMP with BITMAPINFOHEADER, bottom-up rows padded to 4 bytes.
// indices: per-pixel palette index (top-down) when bpp < 24.
Bytes bmp(const Image& img, int bpp, const std::vector<Rgb>& palette = {},
          const std::vector<uint8_t>& indices = {})
{
    const uint32_t rowSize = ((uint32_t(img.w) * bpp + 31) / 32) * 4;
    const uint32_t imageSize = rowSize * img.h;
    const uint32_t offBits = 14 + 40 + uint32_t(palette.size()) * 4;
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    put32(b, offBits + imageSize);
    put32(b, 0);
    put32(b, offBits);
    put32(b, 40);
    put32(b, uint32_t(img.w));
    put32(b, uint32_t(img.h));
    put16(b, 1);
    put16(b, uint16_t(bpp));
    put32(b, 0);  // BI_RGB
    put32(b, imageSize);
    put32(b, 2835);  // 72 dpi
    put32(b, 2835);
    put32(b, uint32_t(palette.size()));
    put32(b, 0);
    for (const Rgb& c : palette) {
        b.push_back(c.b);
        b.push_back(c.g);
        b.push_back(c.r);
        b.push_back(0);
    }
    for (int y = img.h - 1; y >= 0; --y) {
        Bytes row(rowSize, 0);
        for (int x = 0; x < img.w; ++x) {
            if (bpp == 24) {
                const Rgb& c = img.at(x, y);
                row[size_t(x) * 3] = c.b;
                row[size_t(x) * 3 + 1] = c.g;
                row[size_t(x) * 3 + 2] = c.r;
            } else if (bpp == 8) {
                row[size_t(x)] = indices[size_t(y) * img.w + x];
            } else {  // 4 bpp, high nibble first
                const uint8_t i = indices[size_t(y) * img.w + x] & 0x0F;
                row[size_t(x) / 2] |= uint8_t(x % 2 == 0 ? i << 4 : i);
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

int dist2(Rgb a, Rgb b)
{
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

// Nearest palette entry, never the key entry unless the pixel is the key.
std::vector<uint8_t> mapToPalette(const Image& img, const std::vector<Rgb>& pal, size_t keyIndex)
{
    std::vector<uint8_t> idx(img.px.size());
    for (size_t i = 0; i < img.px.size(); ++i) {
        if (img.px[i] == kKey) {
            idx[i] = uint8_t(keyIndex);
            continue;
        }
        size_t best = keyIndex == 0 ? 1 : 0;
        for (size_t k = 0; k < pal.size(); ++k)
            if (k != keyIndex && dist2(img.px[i], pal[k]) < dist2(img.px[i], pal[best])) best = k;
        idx[i] = uint8_t(best);
    }
    return idx;
}

const std::vector<Rgb> kVga16 = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},     {128, 0, 128},
    {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
constexpr size_t kVgaKey = 13;

// 256-entry palette: entry 0 is the key, then the picture's own colours
// (median cut if there are more than 255), the rest unused black.
std::vector<Rgb> palette256(const Image& img)
{
    struct Entry {
        Rgb c;
        int n;
    };
    std::vector<Entry> colours;
    {
        std::vector<Rgb> all;
        for (const Rgb& c : img.px)
            if (!(c == kKey)) all.push_back(c);
        auto key = [](Rgb c) { return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; };
        std::sort(all.begin(), all.end(), [&](Rgb a, Rgb b) { return key(a) < key(b); });
        for (const Rgb& c : all) {
            if (!colours.empty() && colours.back().c == c)
                ++colours.back().n;
            else
                colours.push_back({c, 1});
        }
    }
    std::vector<std::vector<Entry>> boxes;
    if (!colours.empty()) boxes.push_back(colours);
    auto range = [](const std::vector<Entry>& bx, int ch) {
        int lo = 255, hi = 0;
        for (const Entry& e : bx) {
            const int v = ch == 0 ? e.c.r : ch == 1 ? e.c.g : e.c.b;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        return hi - lo;
    };
    while (boxes.size() < 255) {
        // Split the box with the widest channel spread.
        size_t pick = boxes.size();
        int bestSpread = 0, bestCh = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].size() < 2) continue;
            for (int ch = 0; ch < 3; ++ch) {
                if (const int s = range(boxes[i], ch); s > bestSpread) {
                    bestSpread = s;
                    bestCh = ch;
                    pick = i;
                }
            }
        }
        if (pick == boxes.size()) break;
        auto& bx = boxes[pick];
        std::stable_sort(bx.begin(), bx.end(), [bestCh](const Entry& a, const Entry& b) {
            const int va = bestCh == 0 ? a.c.r : bestCh == 1 ? a.c.g : a.c.b;
            const int vb = bestCh == 0 ? b.c.r : bestCh == 1 ? b.c.g : b.c.b;
            return va < vb;
        });
        int total = 0, acc = 0;
        for (const Entry& e : bx) total += e.n;
        size_t cut = 1;
        for (; cut < bx.size() - 1; ++cut) {
            acc += bx[cut - 1].n;
            if (acc * 2 >= total) break;
        }
        std::vector<Entry> hi(bx.begin() + long(cut), bx.end());
        bx.resize(cut);
        boxes.push_back(std::move(hi));
    }
    std::vector<Rgb> pal(256, Rgb{0, 0, 0});
    pal[0] = kKey;
    for (size_t i = 0; i < boxes.size(); ++i) {
        long n = 0, r = 0, g = 0, b = 0;
        for (const Entry& e : boxes[i]) {
            n += e.n;
            r += long(e.c.r) * e.n;
            g += long(e.c.g) * e.n;
            b += long(e.c.b) * e.n;
        }
        Rgb c{uint8_t((r + n / 2) / n), uint8_t((g + n / 2) / n), uint8_t((b + n / 2) / n)};
        if (c == kKey) c.g = 1;
        pal[i + 1] = c;
    }
    return pal;
}

// ---------------------------------------------------------------- PNG

uint32_t crc32(const uint8_t* p, size_t n, uint32_t crc = 0)
{
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t adler32(const Bytes& d)
{
    uint32_t a = 1, b = 0;
    for (uint8_t v : d) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

// zlib stream made of stored (uncompressed) deflate blocks.
Bytes zlibStored(const Bytes& raw)
{
    Bytes z{0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        put16(z, uint16_t(n));
        put16(z, uint16_t(~n));
        z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    } while (pos < raw.size());
    put32be(z, adler32(raw));
    return z;
}

void pngChunk(Bytes& out, const char* type, const Bytes& data)
{
    put32be(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32be(out, crc32(out.data() + start, out.size() - start));
}

// 8-bit RGBA PNG (colour type 6), straight alpha.
Bytes png(const Canvas& c)
{
    Bytes out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    put32be(ihdr, uint32_t(c.width()));
    put32be(ihdr, uint32_t(c.height()));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    pngChunk(out, "IHDR", ihdr);
    Bytes raw;
    for (int y = 0; y < c.height(); ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < c.width(); ++x) {
            const Col& p = c.at(x, y);
            const uint8_t a = to8(p.a);
            raw.push_back(a ? to8(p.r) : 0);
            raw.push_back(a ? to8(p.g) : 0);
            raw.push_back(a ? to8(p.b) : 0);
            raw.push_back(a);
        }
    }
    pngChunk(out, "IDAT", zlibStored(raw));
    pngChunk(out, "IEND", {});
    return out;
}

// ---------------------------------------------------------------- ICO

// ICO of 32-bit BGRA BMP images with the 1-bit AND mask (set = transparent).
Bytes ico(const std::vector<Canvas>& images)
{
    std::vector<Bytes> blobs;
    for (const Canvas& c : images) {
        const int w = c.width(), h = c.height();
        const uint32_t maskRow = ((uint32_t(w) + 31) / 32) * 4;
        Bytes b;
        put32(b, 40);
        put32(b, uint32_t(w));
        put32(b, uint32_t(h * 2));  // XOR and AND halves
        put16(b, 1);
        put16(b, 32);
        put32(b, 0);
        put32(b, uint32_t(w * h * 4) + maskRow * h);
        put32(b, 0);
        put32(b, 0);
        put32(b, 0);
        put32(b, 0);
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x) {
                const Col& p = c.at(x, y);
                const uint8_t a = to8(p.a);
                b.push_back(a ? to8(p.b) : 0);
                b.push_back(a ? to8(p.g) : 0);
                b.push_back(a ? to8(p.r) : 0);
                b.push_back(a);
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            Bytes row(maskRow, 0);
            for (int x = 0; x < w; ++x)
                if (to8(c.at(x, y).a) == 0) row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
            b.insert(b.end(), row.begin(), row.end());
        }
        blobs.push_back(std::move(b));
    }
    Bytes out;
    put16(out, 0);
    put16(out, 1);  // icon
    put16(out, uint16_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(uint8_t(images[i].width() % 256));
        out.push_back(uint8_t(images[i].height() % 256));
        out.push_back(0);  // no palette
        out.push_back(0);
        put16(out, 1);   // planes
        put16(out, 32);  // bits per pixel
        put32(out, uint32_t(blobs[i].size()));
        put32(out, offset);
        offset += uint32_t(blobs[i].size());
    }
    for (const Bytes& b : blobs) out.insert(out.end(), b.begin(), b.end());
    return out;
}

// ---------------------------------------------------------------- font

// 5×7 Cyrillic capitals for the emblem's caption.
struct Glyph {
    char32_t ch;
    std::array<std::string_view, 7> rows;
};

const std::vector<Glyph> kFont = {
    {U'А', {".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
    {U'Д', {"..XXX", ".X..X", ".X..X", ".X..X", ".X..X", "XXXXX", "X...X"}},
    {U'К', {"X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"}},
    {U'Л', {"..XXX", ".X..X", ".X..X", ".X..X", ".X..X", ".X..X", "X...X"}},
    {U'Н', {"X...X", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
    {U'О', {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
    {U'П', {"XXXXX", "X...X", "X...X", "X...X", "X...X", "X...X", "X...X"}},
    {U'Р', {"XXXX.", "X...X", "X...X", "XXXX.", "X....", "X....", "X...."}},
    {U'С', {".XXX.", "X...X", "X....", "X....", "X....", "X...X", ".XXX."}},
    {U'Т', {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."}},
    {U'У', {"X...X", "X...X", "X...X", ".XXXX", "....X", "X...X", ".XXX."}},
    {U'Ь', {"X....", "X....", "X....", "XXXX.", "X...X", "X...X", "XXXX."}},
    {U' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
};

// Width in pixels of text set with advance 6×scale.
int textWidth(std::u32string_view s, int scale) { return int(s.size()) * 6 * scale - scale; }

void drawText(Canvas& c, std::u32string_view s, int x, int y, int scale, const Paint& paint)
{
    for (char32_t ch : s) {
        const auto g = std::find_if(kFont.begin(), kFont.end(), [ch](const Glyph& gl) { return gl.ch == ch; });
        if (g != kFont.end()) {
            for (int r = 0; r < 7; ++r)
                for (int k = 0; k < 5; ++k)
                    if (g->rows[size_t(r)][size_t(k)] == 'X')
                        c.fill(box(x + k * scale, y + r * scale, x + (k + 1) * scale, y + (r + 1) * scale),
                               paint, 1.0, 1);
        }
        x += 6 * scale;
    }
}

// ---------------------------------------------------------------- motifs

// Heater shield in a unit box (0..1 × 0..1.2): flat top with a slight dip,
// straight sides, curved lower half meeting at a point.
Sdf unitShield()
{
    std::vector<P> v;
    v.push_back({0.0, 0.08});
    appendQuad(v, {0.0, 0.08}, {0.5, -0.04}, {1.0, 0.08}, 16);
    v.push_back({1.0, 0.55});
    appendQuad(v, {1.0, 0.55}, {0.98, 0.98}, {0.5, 1.2}, 20);
    appendQuad(v, {0.5, 1.2}, {0.02, 0.98}, {0.0, 0.55}, 20);
    return polygon(std::move(v));
}

// Keyhole in the same unit box.
Sdf unitKeyhole()
{
    return unite(circle(0.5, 0.46, 0.14), polygon({{0.43, 0.52}, {0.57, 0.52}, {0.63, 0.86}, {0.37, 0.86}}));
}

// Shield emblem scaled to width s at (ox, oy). detail = false drops the inner
// bevel line, which only muddies the small icon sizes; holeScale > 1 enlarges
// the keyhole so it still reads at 16 px.
void drawShield(Canvas& c, double ox, double oy, double s, bool detail, double holeScale)
{
    const Sdf shield = transform(unitShield(), ox, oy, s);
    const double rim = std::max(1.0, s * 0.05);
    c.fill(shield, solid(kNavy));
    const Sdf face = grow(shield, -rim);
    c.fill(face, linear({ox, oy}, kAmethyst, {ox + s * 0.3, oy + s * 1.2}, kViolet));
    if (detail) {
        c.fill(outline(grow(face, -s * 0.06), std::max(0.8, s * 0.025)), solid(withAlpha(kLilac, 0.55)));
    }
    // Gloss on the upper left half.
    const Sdf gloss = intersect(grow(face, -s * 0.02), circle(ox - s * 0.15, oy - s * 0.55, s * 1.05));
    c.fill(gloss, linear({ox, oy}, withAlpha(kWhite, 0.35), {ox, oy + s * 0.55}, withAlpha(kWhite, 0.0)));
    const double hs = s * holeScale;
    const Sdf hole = transform(unitKeyhole(), ox + s * 0.5 - hs * 0.5, oy + s * 0.62 - hs * 0.62, hs);
    c.fill(grow(hole, std::max(0.6, s * 0.03)), solid(withAlpha(kNavyDeep, 0.6)));
    c.fill(hole, linear({0, oy + s * 0.3}, kWhite, {0, oy + s * 0.9}, kLilac));
}

// ---------------------------------------------------------------- pictures

// Software box with a green arrow going into it; 16 VGA colours, hard edges.
Bytes drawSoftSetup()
{
    Canvas c(32, 32);
    const auto vga = [](size_t i) { return hex((uint32_t(kVga16[i].r) << 16) | (kVga16[i].g << 8) | kVga16[i].b); };
    const Col black = vga(0), green = vga(2), navy = vga(4), purple = vga(5), silver = vga(7), grey = vga(8),
              lime = vga(10), white = vga(15), blue = vga(12);
    const int ss = 1;

    // Open flaps behind the box.
    const Sdf flapL = polygon({{4, 15}, {12, 15}, {8, 10}, {1, 10}});
    const Sdf flapR = polygon({{20, 15}, {28, 15}, {31, 10}, {24, 10}});
    c.fill(grow(flapL, 0.9), solid(black), 1, ss);
    c.fill(flapL, solid(silver), 1, ss);
    c.fill(grow(flapR, 0.9), solid(black), 1, ss);
    c.fill(flapR, solid(silver), 1, ss);
    // Box opening and body.
    c.fill(box(4, 14, 28, 17), solid(black), 1, ss);
    c.fill(box(5, 15, 27, 17), solid(navy), 1, ss);
    c.fill(box(3, 17, 29, 31), solid(black), 1, ss);
    c.fill(box(4, 18, 28, 30), solid(purple), 1, ss);
    c.fill(box(4, 18, 28, 19), solid(grey), 1, ss);
    // Label with a disc on the front.
    c.fill(box(8, 21, 24, 28), solid(white), 1, ss);
    c.fill(box(8, 27, 24, 28), solid(silver), 1, ss);
    c.fill(box(10, 22, 22, 24), solid(blue), 1, ss);
    c.fill(box(10, 25, 18, 26), solid(grey), 1, ss);
    // Down arrow dropping into the opening.
    const Sdf arrow = polygon({{13, 1}, {19, 1}, {19, 9}, {24, 9}, {16, 17}, {8, 9}, {13, 9}});
    c.fill(grow(arrow, 0.9), solid(black), 1, ss);
    c.fill(arrow, solid(green), 1, ss);
    c.fill(box(14, 2, 16, 10), solid(lime), 1, ss);

    const Image img = keyed(c, 0.5);
    return bmp(img, 4, kVga16, mapToPalette(img, kVga16, kVgaKey));
}

// CD with a magnifying glass: "browse the disc".
Bytes drawView()
{
    Canvas c(32, 32);
    const P dc{13.5, 13.5};
    const double R = 12.5;
    const Sdf disc = subtract(circle(dc.x, dc.y, R), circle(dc.x, dc.y, 2.4));
    c.fill(disc, solid(hex(0x7A7D8C)));
    // Silver face with a faint rainbow sheen that turns with the angle.
    const Paint sheen = [dc](double x, double y) {
        const double a = std::atan2(y - dc.y, x - dc.x);
        const Col base = hex(0xE6E8F0);
        const Col tint = mix(hex(0xB9A3E6), hex(0x9FD3E8), 0.5 + 0.5 * std::sin(2 * a));
        const double k = 0.55 * std::pow(std::abs(std::cos(a - 0.8)), 3);
        return mix(base, tint, 0.25 + k);
    };
    c.fill(subtract(circle(dc.x, dc.y, R - 1), circle(dc.x, dc.y, 3.4)), sheen);
    // Clear hub ring around the hole.
    c.fill(outline(circle(dc.x, dc.y, 4.4), 1.6), solid(hex(0xC4C8D6)));
    c.fill(outline(circle(dc.x, dc.y, 5.6), 0.8), solid(hex(0x9EA2B4)));
    c.fill(outline(circle(dc.x, dc.y, 3.0), 1.2), solid(hex(0x8C90A2)));

    // Magnifying glass over the lower right.
    const P lc{21.0, 21.0};
    const double lr = 6.5;
    c.fill(capsule({25.0, 25.0}, {29.8, 29.8}, 4.6), solid(kNavyDeep));
    c.fill(capsule({25.6, 25.6}, {29.2, 29.2}, 2.4), solid(kAmethyst));
    c.fill(circle(lc.x, lc.y, lr + 1.4), solid(kNavy));
    c.fill(circle(lc.x, lc.y, lr - 0.6), radial({lc.x - 2, lc.y - 2}, lr * 1.6, hex(0xF2F6FF, 0.92), hex(0xB6C8F0, 0.92)));
    c.fill(intersect(outline(circle(lc.x, lc.y, lr - 2.2), 1.3), box(lc.x - lr, lc.y - lr, lc.x - 0.5, lc.y - 0.5)),
           solid(withAlpha(kWhite, 0.95)));

    const Image img = keyed(c);
    return bmp(img, 24);
}

// Open manual: two pages of text lines on a violet cover.
Bytes drawDoc()
{
    Canvas c(32, 32);
    const double sp = 16.0;  // spine x
    // Top and bottom page edges sag towards the spine.
    auto pageShape = [&](bool left) {
        std::vector<P> v;
        const double o = left ? 2.0 : 30.0;
        v.push_back({o, 7.0});
        appendQuad(v, {o, 7.0}, {(o + sp) / 2, 5.0}, {sp, 9.0}, 10);
        v.push_back({sp, 27.0});
        appendQuad(v, {sp, 27.0}, {(o + sp) / 2, 23.0}, {o, 25.0}, 10);
        return polygon(std::move(v));
    };
    // Cover: one shape under both pages, a little larger.
    std::vector<P> cover;
    cover.push_back({0.5, 9.0});
    appendQuad(cover, {0.5, 9.0}, {8.0, 7.5}, {sp, 11.0}, 10);
    appendQuad(cover, {sp, 11.0}, {24.0, 7.5}, {31.5, 9.0}, 10);
    cover.push_back({31.5, 27.5});
    appendQuad(cover, {31.5, 27.5}, {24.0, 26.0}, {sp, 30.0}, 10);
    appendQuad(cover, {sp, 30.0}, {8.0, 26.0}, {0.5, 27.5}, 10);
    const Sdf coverS = polygon(cover);
    c.fill(coverS, solid(kNavy));
    c.fill(grow(coverS, -0.9), linear({0, 8}, kAmethyst, {0, 30}, kViolet));

    for (bool left : {true, false}) {
        const Sdf page = pageShape(left);
        c.fill(page, solid(hex(0x8E86A8)));
        const double o = left ? 2.0 : 30.0;
        // Page shading: darker toward the spine, as a curved sheet would be.
        c.fill(grow(page, -0.7), linear({o, 0}, hex(0xFFFFFF), {sp, 0}, hex(0xE2DCF0)));
        // Text lines follow the sag of the top edge.
        for (int i = 0; i < 6; ++i) {
            const double dy = 4.0 + i * 2.6;
            std::vector<P> pts;
            const double x0 = left ? o + 2.5 : sp + 2.0;
            const double x1 = left ? sp - 2.0 : o - 2.5;
            const double shortEnd = i == 5 ? 5.0 : 0.0;  // last line of a paragraph
            const double xa = x0, xb = x1 - shortEnd;
            for (int k = 0; k <= 6; ++k) {
                const double x = xa + (xb - xa) * k / 6.0;
                const double t = left ? (x - o) / (sp - o) : (o - x) / (o - sp);
                // Same quadratic as the top edge: y(t) for control points 7, 5, 9.
                const double yTop = (1 - t) * (1 - t) * 7.0 + 2 * (1 - t) * t * 5.0 + t * t * 9.0;
                pts.push_back({x, yTop + dy});
            }
            // One shape per line so the translucent ink does not double up at joints.
            Sdf line = capsule(pts[0], pts[1], 1.0);
            for (size_t k = 1; k + 1 < pts.size(); ++k) line = unite(line, capsule(pts[k], pts[k + 1], 1.0));
            c.fill(line, solid(hex(0x4A4F80, 0.85)));
        }
    }
    // Spine shadow line.
    c.fill(capsule({sp, 9.0}, {sp, 27.5}, 1.0), solid(hex(0x6B6390)));
    // Bookmark ribbon hanging from the spine.
    c.fill(polygon({{18.0, 20.0}, {21.0, 20.0}, {21.0, 31.5}, {19.5, 30.0}, {18.0, 31.5}}), solid(hex(0xC0392B)));

    const Image img = keyed(c);
    const std::vector<Rgb> pal = palette256(img);
    return bmp(img, 8, pal, mapToPalette(img, pal, 0));
}

// Bold geometric "СКУД" for the emblem: each letter is W×H with stroke s,
// vertical strokes on whole pixels so they stay crisp. Д's feet go below H.
Sdf titleShape(double x, double y, double W, double H, double s)
{
    // С: a rounded-box ring opened on the right.
    const double r = W / 2 - 0.5;
    Sdf es = subtract(box(x, y, x + W, y + H, r), box(x + s, y + s, x + W - s, y + H - s, r - s));
    es = subtract(es, box(x + W / 2 + 1, y + H * 0.36, x + W + 1, y + H * 0.64));
    x += W + 5;
    // К: stem plus two arms meeting it at mid height.
    const Sdf kCell = box(x, y, x + W, y + H);
    Sdf ka = box(x, y, x + s, y + H);
    ka = unite(ka, intersect(capsule({x + s, y + H * 0.56}, {x + W - 0.5, y - 1}, s * 1.05), kCell));
    ka = unite(ka, intersect(capsule({x + s + 1.5, y + H * 0.42}, {x + W + 1, y + H + 1}, s * 1.1), kCell));
    x += W + 5;
    // У: short left arm into a long right diagonal.
    const Sdf uCell = box(x, y, x + W, y + H);
    Sdf u = intersect(capsule({x + 1, y - 2}, {x + W * 0.52, y + H * 0.62}, s * 1.05), uCell);
    u = unite(u, intersect(capsule({x + W - 1, y - 2}, {x + W * 0.22, y + H + 2}, s * 1.1), uCell));
    x += W + 5;
    // Д: slanted left leg, right stem, base bar and two feet.
    Sdf de = box(x + W * 0.3, y, x + W - 1, y + s);
    de = unite(de, box(x + W - 1 - s, y, x + W - 1, y + H));
    de = unite(de, polygon({{x + W * 0.3, y}, {x + W * 0.3 + s, y}, {x + 1 + s, y + H}, {x + 1, y + H}}));
    de = unite(de, box(x - 1, y + H - s, x + W + 1, y + H));
    de = unite(de, box(x - 1, y + H - 1, x - 1 + s * 0.75, y + H + 4));
    de = unite(de, box(x + W + 1 - s * 0.75, y + H - 1, x + W + 1, y + H + 4));
    return unite(unite(es, ka), unite(u, de));
}

// Emblem for the main window: shield with a keyhole and an access card, the
// system's short name and a caption.
Bytes drawEmblem()
{
    Canvas c(150, 57);
    const double sw = 37.0;
    drawShield(c, 3.0, (57 - sw * 1.2) / 2, sw, true, 1.0);

    // Access card tucked against the shield's lower right.
    const double cx0 = 26.0, cy0 = 35.0;
    c.fill(box(cx0 - 0.5, cy0 - 0.5, cx0 + 20.5, cy0 + 14.5, 2.5), solid(kNavy));
    c.fill(box(cx0 + 0.7, cy0 + 0.7, cx0 + 19.3, cy0 + 13.3, 1.6),
           linear({cx0, cy0}, hex(0xFFFFFF), {cx0 + 20, cy0 + 14}, hex(0xE0D4F4)));
    c.fill(box(cx0 + 0.7, cy0 + 3.0, cx0 + 19.3, cy0 + 5.0), solid(kAmethyst));
    c.fill(box(cx0 + 3.0, cy0 + 7.0, cx0 + 7.0, cy0 + 11.0, 0.8), solid(hex(0xE0B040)));
    // Contactless waves.
    for (int i = 0; i < 2; ++i) {
        const double r = 3.0 + i * 3.0;
        const P o{cx0 + 7.0, cy0 + 9.0};
        c.fill(intersect(outline(circle(o.x, o.y, r), 1.5),
                         polygon({o, {o.x + 12, o.y - 8}, {o.x + 12, o.y + 8}})),
               solid(kNavy));
    }

    // Short name in navy with a soft violet drop shadow.
    const double W = 15, H = 20, s = 4, textW = 4 * W + 3 * 5;
    const double tx = std::floor(52 + (148 - 52 - textW) / 2), ty = 5;
    c.fill(titleShape(tx + 1, ty + 1, W, H, s), solid(withAlpha(kAmethyst, 0.5)));
    c.fill(titleShape(tx, ty, W, H, s), linear({0, ty}, kNavy, {0, ty + H}, hex(0x3A2C82)));

    // Divider fading to both sides.
    const Paint divider = [](double x, double) {
        const double t = std::clamp((x - 52.0) / 96.0, 0.0, 1.0);
        return withAlpha(mix(kAmethyst, kViolet, t), std::min(1.0, std::min(t, 1 - t) * 5));
    };
    c.fill(box(52, 33, 148, 35), divider);

    const std::u32string_view caption = U"КОНТРОЛЬ ДОСТУПА";
    drawText(c, caption, 52 + (96 - textWidth(caption, 1)) / 2, 40, 1, solid(kViolet));

    const Image img = keyed(c);
    return bmp(img, 24);
}

// Translucent violet ribbon on a transparent ground.
Bytes drawBanner()
{
    const int W = 125, H = 38;
    Canvas c(W, H);
    auto centre = [](double x) { return 19.0 + 6.0 * std::sin((x / 125.0) * 2 * 3.14159265358979 - 0.6); };
    auto half = [](double x) { return 6.5 + 2.5 * std::cos((x / 125.0) * 2 * 3.14159265358979); };
    const Sdf band = [&](double x, double y) {
        // Vertical distance is a fair stand-in here: the wave is gentle.
        return (std::abs(y - centre(x)) - half(x)) * 0.85;
    };
    const Paint body = [&](double x, double y) {
        const double t = x / W;
        Col col = mix(kAmethyst, kViolet, t);
        const double edge = std::min(1.0, std::min(x, W - x) / 18.0);
        const double across = (y - centre(x)) / half(x);
        col = mix(col, kLilac, std::max(0.0, -across) * 0.5);
        return withAlpha(col, 0.7 * edge);
    };
    c.fill(intersect(band, box(0, 0, W, H)), body);
    // Thin lighter streak near the ribbon's upper edge.
    const Sdf streak = [&](double x, double y) {
        return (std::abs(y - (centre(x) - half(x) * 0.45)) - 0.9) * 0.85;
    };
    const Paint streakPaint = [&](double x, double) {
        const double edge = std::min(1.0, std::min(x, W - x) / 24.0);
        return withAlpha(kWhite, 0.45 * edge);
    };
    c.fill(intersect(streak, box(0, 0, W, H)), streakPaint);
    return png(c);
}

// Program icon: the emblem's shield, simplified.
Bytes drawIcon()
{
    std::vector<Canvas> sizes;
    for (int s : {16, 32, 48}) {
        Canvas c(s, s);
        const double w = s * 0.8;  // shield height is 1.2 × width
        drawShield(c, (s - w) / 2, (s - w * 1.2) / 2, w, s >= 32, s < 32 ? 1.35 : 1.0);
        sizes.push_back(std::move(c));
    }
    return ico(sizes);
}

bool writeFile(const std::filesystem::path& p, const Bytes& b)
{
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return bool(f);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: drawpictures <outdir>\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::vector<std::pair<const char*, Bytes>> files = {
        {"SoftSetup.bmp", drawSoftSetup()}, {"View.bmp", drawView()},       {"Doc.bmp", drawDoc()},
        {"Image2.bmp", drawEmblem()},       {"Image1.png", drawBanner()}, {"skdsetup.ico", drawIcon()},
    };
    for (const auto& [name, data] : files) {
        if (!writeFile(dir / name, data)) {
            std::cerr << "drawpictures: cannot write " << (dir / name).string() << "\n";
            return 1;
        }
    }
    return 0;
}
