// Draws the installer menu's pictures (button icons, emblem, banner, program
// icon) procedurally and writes them as BMP, PNG and ICO files: each picture
// at 96 dpi into <outdir> and, from the same drawing, at twice the pixels
// into <outdir>/2x.
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
#include <map>
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
constexpr Col kDialogFace = hex(0xEDE4F5);  // face of the dialogs' push buttons

// Palette shared by all pictures.
constexpr Col kNavy = hex(0x1C2766);
constexpr Col kNavyDeep = hex(0x141B4A);
constexpr Col kViolet = hex(0x5B2C8F);
constexpr Col kAmethyst = hex(0x9966CC);
constexpr Col kLilac = hex(0xD6C2F0);
constexpr Col kWhite = hex(0xFFFFFF);

// ---------------------------------------------------------------- geometry
// Shapes are signed distance functions (negative inside). Combining them with
// min/max keeps |d| a lower bound of the true distance, and no shape's value
// changes faster than the distance moved (hand-made ones are damped to make
// sure), which lets the rasteriser skip supersampling far from edges and
// whole tiles away from them.

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

// A picture laid out in 96-dpi units and rasterised with `scale` device
// pixels per unit, so one drawing serves every pixel density. Shapes and
// paints always see 96-dpi coordinates; at scale 1 the arithmetic is exactly
// that of a plain pixel canvas.
class Canvas {
public:
    Canvas(int w, int h, int scale = 1)
        : w_(w * scale), h_(h * scale), s_(scale), px_(size_t(w_) * h_, Col{0, 0, 0, 0})
    {
    }

    // Size in device pixels.
    int width() const { return w_; }
    int height() const { return h_; }
    const Col& at(int x, int y) const { return px_[size_t(y) * w_ + x]; }

    // Composites paint over the canvas inside the shape; edge coverage comes
    // from ss×ss supersampling of each device pixel. ss = 1 gives hard edges.
    void fill(const Sdf& shape, const Paint& paint, double opacity = 1.0, int ss = 6)
    {
        const double s = s_;
        // Tiles far outside the shape are skipped, and tiles deep inside it
        // filled without asking the shape per pixel. The result is the same
        // as pixel by pixel because no shape's value changes faster than the
        // distance moved, so the tile's centre bounds all its pixels.
        constexpr int kTile = 8;
        for (int ty = 0; ty < h_; ty += kTile) {
            for (int tx = 0; tx < w_; tx += kTile) {
                const int x1 = std::min(tx + kTile, w_), y1 = std::min(ty + kTile, h_);
                const double reach = std::hypot(x1 - tx, y1 - ty) / 2 + 1.01;
                const double dc = shape((tx + x1) / 2.0 / s, (ty + y1) / 2.0 / s) * s;
                if (dc > reach) continue;
                const bool inside = dc < -reach;
                for (int y = ty; y < y1; ++y) {
                    for (int x = tx; x < x1; ++x) {
                        const double cx = (x + 0.5) / s, cy = (y + 0.5) / s;
                        if (inside) {
                            blend(x, y, paint(cx, cy), opacity);
                            continue;
                        }
                        const double d = shape(cx, cy) * s;  // in device pixels
                        double cov;
                        if (d > 1.0)
                            continue;
                        if (d < -1.0 || ss == 1) {
                            cov = d < 0 ? 1.0 : 0.0;
                        } else {
                            int in = 0;
                            for (int j = 0; j < ss; ++j)
                                for (int i = 0; i < ss; ++i)
                                    if (shape((x + (i + 0.5) / ss) / s, (y + (j + 0.5) / ss) / s) < 0) ++in;
                            cov = double(in) / (ss * ss);
                        }
                        if (cov <= 0) continue;
                        blend(x, y, paint(cx, cy), cov * opacity);
                    }
                }
            }
        }
    }

    // Composites the whole 96-dpi cell (x, y); text uses it because a
    // full-canvas fill per glyph pixel is far too slow on the larger pictures.
    void plot(int x, int y, const Paint& paint)
    {
        if (x < 0 || y < 0 || x * s_ >= w_ || y * s_ >= h_) return;
        const double s = s_;
        for (int j = y * s_; j < (y + 1) * s_; ++j)
            for (int i = x * s_; i < (x + 1) * s_; ++i) blend(i, j, paint((i + 0.5) / s, (j + 0.5) / s), 1.0);
    }

    // Sets coverage as a mask: pixels outside the shape lose their alpha.
    void clip(const Sdf& shape, int ss = 6)
    {
        Canvas mask(w_ / s_, h_ / s_, s_);
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

    int w_, h_, s_;
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
Image keyed(const Canvas& c, double threshold = 0.06, Col ground = kWindow)
{
    Image img{c.width(), c.height(), std::vector<Rgb>(size_t(c.width()) * c.height())};
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            const Col& p = c.at(x, y);
            Rgb o = kKey;
            if (p.a >= threshold) {
                o = {to8(p.r * p.a + ground.r * (1 - p.a)), to8(p.g * p.a + ground.g * (1 - p.a)),
                     to8(p.b * p.a + ground.b * (1 - p.a))};
                if (o == kKey) o.g = 1;  // the key must never appear in the drawing
            }
            img.at(x, y) = o;
        }
    }
    return img;
}

// Opaque picture of a canvas that covers itself completely.
Image flatten(const Canvas& c)
{
    Image img{c.width(), c.height(), std::vector<Rgb>(size_t(c.width()) * c.height())};
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const Col& p = c.at(x, y);
            img.at(x, y) = {to8(p.r), to8(p.g), to8(p.b)};
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
    // Flat drawings repeat few colours many times: each is looked up once.
    std::map<uint32_t, uint8_t> known;
    for (size_t i = 0; i < img.px.size(); ++i) {
        if (img.px[i] == kKey) {
            idx[i] = uint8_t(keyIndex);
            continue;
        }
        const Rgb c = img.px[i];
        const uint32_t key = (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
        if (const auto it = known.find(key); it != known.end()) {
            idx[i] = it->second;
            continue;
        }
        size_t best = keyIndex == 0 ? 1 : 0;
        for (size_t k = 0; k < pal.size(); ++k)
            if (k != keyIndex && dist2(c, pal[k]) < dist2(c, pal[best])) best = k;
        idx[i] = uint8_t(best);
        known.emplace(key, idx[i]);
    }
    return idx;
}

const std::vector<Rgb> kVga16 = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},     {128, 0, 128},
    {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
constexpr size_t kVgaKey = 13;

// The picture's colours other than the key, exact while there are at most
// maxColours of them, otherwise reduced by median cut.
std::vector<Rgb> medianCut(const Image& img, size_t maxColours)
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
    while (boxes.size() < maxColours) {
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
    std::vector<Rgb> out;
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
        out.push_back(c);
    }
    return out;
}

// 256-entry palette: entry 0 is the key, then the picture's own colours
// (median cut if there are more than 255), the rest unused black.
std::vector<Rgb> palette256(const Image& img)
{
    const std::vector<Rgb> own = medianCut(img, 255);
    std::vector<Rgb> pal(256, Rgb{0, 0, 0});
    pal[0] = kKey;
    std::copy(own.begin(), own.end(), pal.begin() + 1);
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

// zlib stream of one deflate block with the fixed Huffman code and greedy
// LZ77 matches: stored blocks would make a large flat drawing ten times
// bigger, and a bounded search keeps the output identical on every run.
Bytes zlibFixed(const Bytes& raw)
{
    Bytes z{0x78, 0x01};
    uint32_t acc = 0;
    int nbits = 0;
    auto bits = [&](uint32_t v, int n) {  // LSB first
        acc |= v << nbits;
        nbits += n;
        while (nbits >= 8) {
            z.push_back(uint8_t(acc));
            acc >>= 8;
            nbits -= 8;
        }
    };
    auto code = [&](uint32_t c, int n) {  // Huffman codes go MSB first
        uint32_t r = 0;
        for (int i = 0; i < n; ++i) r |= ((c >> i) & 1u) << (n - 1 - i);
        bits(r, n);
    };
    auto literal = [&](int v) {
        if (v < 144) code(uint32_t(0x30 + v), 8);
        else if (v < 256) code(uint32_t(0x190 + v - 144), 9);
        else if (v < 280) code(uint32_t(v - 256), 7);
        else code(uint32_t(0xC0 + v - 280), 8);
    };
    static constexpr std::array<int, 29> lenBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr std::array<int, 29> lenExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static constexpr std::array<int, 30> distBase = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                                     33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                                     1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    auto match = [&](int len, int dist) {
        int i = 28;
        while (lenBase[size_t(i)] > len) --i;
        literal(257 + i);
        bits(uint32_t(len - lenBase[size_t(i)]), lenExtra[size_t(i)]);
        int d = 29;
        while (distBase[size_t(d)] > dist) --d;
        code(uint32_t(d), 5);
        bits(uint32_t(dist - distBase[size_t(d)]), d < 4 ? 0 : d / 2 - 1);
    };

    constexpr size_t kWindowSize = 32768, kHashSize = 1 << 15;
    constexpr int kMaxChain = 64, kMaxLen = 258;
    std::vector<long> head(kHashSize, -1), prev(raw.size(), -1);
    auto hash = [&](size_t i) { return ((raw[i] << 10) ^ (raw[i + 1] << 5) ^ raw[i + 2]) & (kHashSize - 1); };
    auto insert = [&](size_t i) {
        if (i + 2 >= raw.size()) return;
        const size_t h = hash(i);
        prev[i] = head[h];
        head[h] = long(i);
    };

    bits(1, 1);  // final block
    bits(1, 2);  // fixed Huffman
    size_t i = 0;
    while (i < raw.size()) {
        int bestLen = 0;
        size_t bestDist = 0;
        if (i + 2 < raw.size()) {
            long cand = head[hash(i)];
            const int limit = int(std::min<size_t>(kMaxLen, raw.size() - i));
            for (int chain = 0; cand >= 0 && chain < kMaxChain; ++chain, cand = prev[size_t(cand)]) {
                const size_t dist = i - size_t(cand);
                if (dist > kWindowSize) break;
                int len = 0;
                while (len < limit && raw[size_t(cand) + size_t(len)] == raw[i + size_t(len)]) ++len;
                if (len > bestLen) {
                    bestLen = len;
                    bestDist = dist;
                    if (len == limit) break;
                }
            }
        }
        if (bestLen >= 3) {
            match(bestLen, int(bestDist));
            for (int k = 0; k < bestLen; ++k) insert(i + size_t(k));
            i += size_t(bestLen);
        } else {
            literal(raw[i]);
            insert(i);
            ++i;
        }
    }
    literal(256);
    if (nbits > 0) bits(0, 8 - nbits);
    put32be(z, adler32(raw));
    return z;
}

// 8-bit palette PNG (colour type 3); idx holds one palette entry per pixel.
Bytes pngIndexed(const Image& img, const std::vector<Rgb>& pal, const std::vector<uint8_t>& idx)
{
    Bytes out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    put32be(ihdr, uint32_t(img.w));
    put32be(ihdr, uint32_t(img.h));
    ihdr.insert(ihdr.end(), {8, 3, 0, 0, 0});
    pngChunk(out, "IHDR", ihdr);
    Bytes plte;
    for (const Rgb& c : pal) plte.insert(plte.end(), {c.r, c.g, c.b});
    pngChunk(out, "PLTE", plte);
    Bytes raw;
    for (int y = 0; y < img.h; ++y) {
        raw.push_back(0);  // filter: none, as advised for palette images
        raw.insert(raw.end(), idx.begin() + long(y) * img.w, idx.begin() + long(y + 1) * img.w);
    }
    pngChunk(out, "IDAT", zlibFixed(raw));
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

// Bitmap font: capitals are 5×7; lowercase letters sit on the same baseline
// with a 5-row x-height and up to two rows below it. A glyph is as wide as
// its rows and advances one pixel more, so the emblem's all-capitals caption
// keeps its even 6-pixel pitch.
struct Glyph {
    char32_t ch;
    std::array<std::string_view, 9> rows;
    int top = 0;  // rows above the first given one (2 for most lowercase)
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
    // Remaining capitals.
    {U'Б', {"XXXXX", "X....", "X....", "XXXX.", "X...X", "X...X", "XXXX."}},
    {U'В', {"XXXX.", "X...X", "X...X", "XXXX.", "X...X", "X...X", "XXXX."}},
    {U'Г', {"XXXXX", "X....", "X....", "X....", "X....", "X....", "X...."}},
    {U'Е', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
    {U'Ж', {"X.X.X", "X.X.X", "X.X.X", ".XXX.", "X.X.X", "X.X.X", "X.X.X"}},
    {U'З', {".XXX.", "X...X", "....X", "..XX.", "....X", "X...X", ".XXX."}},
    {U'И', {"X...X", "X...X", "X..XX", "X.X.X", "XX..X", "X...X", "X...X"}},
    {U'М', {"X...X", "XX.XX", "X.X.X", "X.X.X", "X...X", "X...X", "X...X"}},
    {U'Ф', {"..X..", ".XXX.", "X.X.X", "X.X.X", ".XXX.", "..X..", "..X.."}},
    {U'Х', {"X...X", "X...X", ".X.X.", "..X..", ".X.X.", "X...X", "X...X"}},
    {U'Ц', {"X..X.", "X..X.", "X..X.", "X..X.", "X..X.", "X..X.", "XXXXX", "....X"}},
    {U'Ч', {"X...X", "X...X", "X...X", ".XXXX", "....X", "....X", "....X"}},
    {U'Ш', {"X.X.X", "X.X.X", "X.X.X", "X.X.X", "X.X.X", "X.X.X", "XXXXX"}},
    {U'Щ', {"X.X.X", "X.X.X", "X.X.X", "X.X.X", "X.X.X", "X.X.X", "XXXXX", "....X"}},
    {U'Ы', {"X...X", "X...X", "X...X", "XXX.X", "X..XX", "X..XX", "XXX.X"}},
    {U'Э', {".XXX.", "X...X", "....X", "..XXX", "....X", "X...X", ".XXX."}},
    {U'Ю', {"X..X.", "X.X.X", "X.X.X", "XXX.X", "X.X.X", "X.X.X", "X..X."}},
    {U'Я', {".XXXX", "X...X", "X...X", ".XXXX", "..X.X", ".X..X", "X...X"}},
    {U'W', {"X...X", "X...X", "X...X", "X.X.X", "X.X.X", "XX.XX", "X...X"}},
    // Lowercase.
    {U'а', {".XX.", "...X", ".XXX", "X..X", ".XXX"}, 2},
    {U'б', {"..XX", ".X..", "X...", "XXX.", "X..X", "X..X", ".XX."}},
    {U'в', {"XXX.", "X..X", "XXX.", "X..X", "XXX."}, 2},
    {U'г', {"XXX", "X..", "X..", "X..", "X.."}, 2},
    {U'д', {".XXX.", ".X.X.", ".X.X.", ".X.X.", "XXXXX", "X...X"}, 2},
    {U'е', {".XX.", "X..X", "XXXX", "X...", ".XXX"}, 2},
    {U'ж', {"X.X.X", "X.X.X", ".XXX.", "X.X.X", "X.X.X"}, 2},
    {U'з', {"XXX.", "...X", ".XX.", "...X", "XXX."}, 2},
    {U'и', {"X..X", "X..X", "X.XX", "XX.X", "X..X"}, 2},
    {U'й', {".XX.", "....", "X..X", "X..X", "X.XX", "XX.X", "X..X"}},
    {U'к', {"X..X", "X.X.", "XX..", "X.X.", "X..X"}, 2},
    {U'л', {".XXX", ".X.X", ".X.X", ".X.X", "X..X"}, 2},
    {U'м', {"X...X", "XX.XX", "X.X.X", "X...X", "X...X"}, 2},
    {U'н', {"X..X", "X..X", "XXXX", "X..X", "X..X"}, 2},
    {U'о', {".XX.", "X..X", "X..X", "X..X", ".XX."}, 2},
    {U'п', {"XXXX", "X..X", "X..X", "X..X", "X..X"}, 2},
    {U'р', {"XXX.", "X..X", "X..X", "X..X", "XXX.", "X...", "X..."}, 2},
    {U'с', {".XXX", "X...", "X...", "X...", ".XXX"}, 2},
    {U'т', {"XXXXX", "..X..", "..X..", "..X..", "..X.."}, 2},
    {U'у', {"X..X", "X..X", "X..X", "X..X", ".XXX", "...X", ".XX."}, 2},
    {U'ф', {"..X..", "..X..", ".XXX.", "X.X.X", "X.X.X", "X.X.X", ".XXX.", "..X..", "..X.."}},
    {U'х', {"X..X", "X..X", ".XX.", "X..X", "X..X"}, 2},
    {U'ц', {"X..X.", "X..X.", "X..X.", "X..X.", "XXXXX", "....X"}, 2},
    {U'ч', {"X..X", "X..X", ".XXX", "...X", "...X"}, 2},
    {U'ш', {"X.X.X", "X.X.X", "X.X.X", "X.X.X", "XXXXX"}, 2},
    {U'щ', {"X.X.X", "X.X.X", "X.X.X", "X.X.X", "XXXXX", "....X"}, 2},
    {U'ъ', {"XX...", ".X...", ".XXX.", ".X..X", ".XXX."}, 2},
    {U'ы', {"X...X", "X...X", "XXX.X", "X..XX", "XXX.X"}, 2},
    {U'ь', {"X...", "X...", "XXX.", "X..X", "XXX."}, 2},
    {U'э', {"XXX.", "...X", ".XXX", "...X", "XXX."}, 2},
    {U'ю', {"X..X.", "X.X.X", "XXX.X", "X.X.X", "X..X."}, 2},
    {U'я', {".XXX", "X..X", ".XXX", ".X.X", "X..X"}, 2},
    {U'd', {"...X", "...X", ".XXX", "X..X", "X..X", "X..X", ".XXX"}},
    {U'i', {"X", ".", "X", "X", "X", "X", "X"}},
    {U'n', {"XXX.", "X..X", "X..X", "X..X", "X..X"}, 2},
    {U'o', {".XX.", "X..X", "X..X", "X..X", ".XX."}, 2},
    {U's', {".XXX", "X...", ".XX.", "...X", "XXX."}, 2},
    {U'w', {"X...X", "X...X", "X.X.X", "X.X.X", ".X.X."}, 2},
    // Punctuation.
    {U'.', {"X"}, 6},
    {U',', {"X", "X"}, 6},
    {U':', {"X", ".", ".", "X"}, 3},
    {U'-', {"XXX"}, 4},
    {U'•', {"XX", "XX"}, 3},
    {U'(', {".X", "X.", "X.", "X.", "X.", "X.", "X.", ".X"}},
    {U')', {"X.", ".X", ".X", ".X", ".X", ".X", ".X", "X."}},
};

const Glyph* findGlyph(char32_t ch)
{
    const auto g = std::find_if(kFont.begin(), kFont.end(), [ch](const Glyph& gl) { return gl.ch == ch; });
    return g == kFont.end() ? nullptr : &*g;
}

// Pixels from one glyph's left edge to the next one's (unknown glyphs keep
// the old fixed pitch). Running lowercase text reads better with a narrower
// word gap than the caption's full-cell space.
int advance(char32_t ch, int wordGap)
{
    if (ch == U' ') return wordGap;
    const Glyph* g = findGlyph(ch);
    return g ? int(g->rows[0].size()) + 1 : 6;
}

// Width in pixels of the text at the given scale, without the trailing gap.
int textWidth(std::u32string_view s, int scale, int wordGap = 6)
{
    int w = 0;
    for (char32_t ch : s) w += advance(ch, wordGap) * scale;
    return s.empty() ? 0 : w - scale;
}

// y is the cap line; descenders reach y + 8×scale.
void drawText(Canvas& c, std::u32string_view s, int x, int y, int scale, const Paint& paint, int wordGap = 6)
{
    for (char32_t ch : s) {
        if (const Glyph* g = findGlyph(ch)) {
            for (size_t r = 0; r < g->rows.size(); ++r)
                for (size_t k = 0; k < g->rows[r].size(); ++k)
                    if (g->rows[r][k] == 'X')
                        for (int j = 0; j < scale; ++j)
                            for (int i = 0; i < scale; ++i)
                                c.plot(x + int(k) * scale + i, y + (g->top + int(r)) * scale + j, paint);
        }
        x += advance(ch, wordGap) * scale;
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
Bytes drawSoftSetup(int scale)
{
    Canvas c(32, 32, scale);
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
Bytes drawView(int scale)
{
    Canvas c(32, 32, scale);
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
Bytes drawDoc(int scale)
{
    Canvas c(32, 32, scale);
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
Bytes drawEmblem(int scale)
{
    Canvas c(150, 57, scale);
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
Bytes drawBanner(int scale)
{
    const int W = 125, H = 38;
    Canvas c(W, H, scale);
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

// Account-control shield as Windows shows it: quartered blue and gold.
void drawUacShield(Canvas& c, double ox, double oy, double s)
{
    const Sdf shield = transform(unitShield(), ox, oy, s);
    c.fill(shield, solid(hex(0x3C4A63)));
    const Sdf face = grow(shield, -std::max(0.9, s * 0.06));
    const double mx = std::round(ox + s * 0.5), my = std::round(oy + s * 0.55);
    const double bottom = oy + s * 1.2;
    c.fill(face, linear({0, oy}, hex(0xFFD84A), {0, bottom}, hex(0xE9A917)));
    const Paint blue = linear({0, oy}, hex(0x4A8BE8), {0, bottom}, hex(0x1D4FB0));
    c.fill(intersect(face, box(ox - 1, oy - 1, mx, my)), blue);
    c.fill(intersect(face, box(mx, my, ox + s + 1, bottom + 1)), blue);
    c.fill(intersect(grow(face, -s * 0.02), circle(ox - s * 0.1, oy - s * 0.6, s * 1.05)),
           linear({ox, oy}, withAlpha(kWhite, 0.45), {ox, oy + s * 0.55}, withAlpha(kWhite, 0.0)));
}

// Dialog text: 1× font with the narrow word gap.
constexpr int kUiGap = 4;
int uiWidth(std::u32string_view s) { return textWidth(s, 1, kUiGap); }
void uiText(Canvas& c, std::u32string_view s, int x, int y, Col col) { drawText(c, s, x, y, 1, solid(col), kUiGap); }

// Push button with a centred caption; the default one gets the blue frame.
void drawPushButton(Canvas& c, int x0, int y0, int x1, int y1, std::u32string_view label, bool isDefault)
{
    const Col frame = isDefault ? hex(0x3C7FB1) : hex(0x707070);
    c.fill(box(x0, y0, x1, y1, 3), solid(frame));
    c.fill(box(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 2),
           linear({0, double(y0)}, hex(0xF6F6F6), {0, double(y1)}, hex(0xD8D8D8)));
    c.fill(box(x0 + 1, y0 + 1, x1 - 1, (y0 + y1) / 2.0, 2), solid(withAlpha(kWhite, 0.5)));
    if (isDefault) c.fill(outline(box(x0 + 1.5, y0 + 1.5, x1 - 1.5, y1 - 1.5, 1.5), 1), solid(hex(0x9DDCFC, 0.8)));
    uiText(c, label, x0 + (x1 - x0 - uiWidth(label)) / 2, y0 + (y1 - y0 - 7) / 2, hex(0x1E1E1E));
}

// The Windows account-control settings panel, in Russian, with the slider on
// the second level ("notify only when programs make changes"): the message
// about an installer refused for lack of rights points the user to it.
Bytes drawUac(int scale)
{
    const int W = 500, H = 368;
    Canvas c(W, H, scale);
    const Col ink = hex(0x1E1E1E), accent = hex(0x1F3F87), link = hex(0x0066CC);
    const int footerTop = 318;

    // Frame, title bar and white client area.
    c.fill(box(0, 0, W, H), solid(hex(0x6F8DB8)), 1, 1);
    c.fill(box(1, 1, W - 1, 28), linear({0, 1}, hex(0xE3EDF8), {0, 28}, hex(0xC5D7EE)), 1, 1);
    c.fill(box(1, 1, W - 1, 2), solid(withAlpha(kWhite, 0.8)), 1, 1);
    c.fill(box(1, 28, W - 1, 29), solid(hex(0x9DB3D3)), 1, 1);
    c.fill(box(1, 29, W - 1, footerTop), solid(kWhite), 1, 1);
    c.fill(box(1, footerTop, W - 1, footerTop + 1), solid(hex(0xDFDFDF)), 1, 1);
    c.fill(box(1, footerTop + 1, W - 1, H - 1), solid(hex(0xF0F0F0)), 1, 1);

    drawUacShield(c, 9, 6, 13);
    uiText(c, U"Параметры управления учетными записями пользователей", 30, 11, ink);
    // Window close box.
    c.fill(box(W - 44, 1, W - 8, 19, 3), solid(hex(0x8C3B36)));
    c.fill(box(W - 43, 1, W - 9, 18, 2), linear({0, 1}, hex(0xE9A99B), {0, 18}, hex(0xC3493C)));
    c.fill(capsule({W - 30.0, 6.5}, {W - 22.0, 13.5}, 2.0), solid(kWhite));
    c.fill(capsule({W - 30.0, 13.5}, {W - 22.0, 6.5}, 2.0), solid(kWhite));

    // Heading, explanation and the help link.
    const int left = 20;
    uiText(c, U"Выберите условия для уведомления об изменениях параметров компьютера", left, 44, accent);
    uiText(c, U"Контроль учетных записей помогает предотвратить внесение потенциально опасных", left, 64, ink);
    uiText(c, U"изменений в компьютер.", left, 76, ink);
    const std::u32string_view more = U"Подробнее о параметрах контроля учетных записей";
    uiText(c, more, left, 94, link);
    c.fill(box(left, 103, left + uiWidth(more), 104), solid(link), 1, 1);

    // Slider: groove, four notches, the thumb on the second one.
    const double tx = 46;
    const std::array<int, 4> notch = {138, 184, 230, 276};
    const int grooveTop = notch[0] - 8, grooveBottom = notch[3] + 8;
    c.fill(box(tx - 3, grooveTop, tx + 3, grooveBottom, 2), solid(hex(0xA7AEB8)));
    c.fill(box(tx - 2, grooveTop + 1, tx + 2, grooveBottom - 1, 1.5),
           linear({tx - 2, 0}, hex(0xD9DDE3), {tx + 2, 0}, hex(0xF4F5F7)));
    for (int y : notch) c.fill(box(tx + 15, y, tx + 22, y + 1), solid(hex(0x8A8F96)), 1, 1);
    const double ty = notch[1] + 0.5;
    const Sdf thumb =
        grow(polygon({{tx - 11, ty - 5}, {tx + 6, ty - 5}, {tx + 11, ty}, {tx + 6, ty + 5}, {tx - 11, ty + 5}}), 1.0);
    c.fill(grow(thumb, 1.2), solid(hex(0x000000, 0.12)));
    c.fill(thumb, solid(hex(0x3C6FA8)));
    c.fill(grow(thumb, -1.0), linear({0, ty - 6}, hex(0xEAF4FD), {0, ty + 6}, hex(0xA9CBEA)));
    c.fill(intersect(grow(thumb, -1.0), box(tx - 14, ty - 7, tx + 14, ty)), solid(withAlpha(kWhite, 0.45)));
    // Labels beside the top and bottom notches.
    const int lx = int(tx) + 28;
    uiText(c, U"Всегда уведомлять", lx, notch[0] - 3, ink);
    uiText(c, U"Никогда не уведомлять", lx, notch[3] - 3, ink);

    // Description of the chosen level, as tall as the groove.
    const int bx0 = 212, by0 = grooveTop, bx1 = W - 20, by1 = grooveBottom;
    c.fill(box(bx0, by0, bx1, by1, 3), solid(hex(0xB9C9DE)));
    c.fill(box(bx0 + 1, by0 + 1, bx1 - 1, by1 - 1, 2),
           linear({0, double(by0)}, hex(0xF7FAFE), {0, double(by1)}, hex(0xE8F0FA)));
    const int dx = bx0 + 14, pitch = 13;
    int y = by0 + 17;
    drawUacShield(c, dx, y - 4, 24);
    for (std::u32string_view line : {U"Уведомлять только при попытках", U"программ внести изменения",
                                     U"в компьютер (по умолчанию)"}) {
        uiText(c, line, dx + 34, y, accent);
        y += pitch;
    }
    y += pitch;
    uiText(c, U"•", dx + 1, y, ink);
    uiText(c, U"Не уведомлять при изменении параметров", dx + 8, y, ink);
    uiText(c, U"Windows пользователем", dx + 8, y + pitch, ink);
    y += 3 * pitch;
    uiText(c, U"Рекомендуется при использовании знакомых", dx, y, ink);
    uiText(c, U"программ и посещении знакомых веб-сайтов.", dx, y + pitch, ink);

    drawPushButton(c, W - 190, footerTop + 15, W - 112, footerTop + 38, U"ОК", true);
    drawPushButton(c, W - 100, footerTop + 15, W - 22, footerTop + 38, U"Отмена", false);

    const Image img = flatten(c);
    const std::vector<Rgb> pal = medianCut(img, 256);
    return pngIndexed(img, pal, mapToPalette(img, pal, pal.size()));
}

// "Close" push-button picture: red disc with a white cross, edges blended with
// the dialog face.
Bytes drawClose(int scale)
{
    Canvas c(21, 21, scale);
    const P o{10.5, 10.5};
    c.fill(circle(o.x, o.y, 9.6), solid(hex(0x9E1F1F)));
    c.fill(circle(o.x, o.y, 8.6), radial({o.x - 2.5, o.y - 3.0}, 12.0, hex(0xF2726A), hex(0xB81E1E)));
    c.fill(intersect(circle(o.x, o.y, 7.8), circle(o.x, o.y - 6.0, 7.0)),
           linear({0, 2}, withAlpha(kWhite, 0.45), {0, 9}, withAlpha(kWhite, 0.0)));
    // White cross over a soft shadow; each is one shape so the translucent
    // shadow does not darken twice where the bars cross.
    const auto cross = [&](double dx, double dy) {
        const double a = 3.6;
        const P c0{o.x + dx, o.y + dy};
        return unite(capsule({c0.x - a, c0.y - a}, {c0.x + a, c0.y + a}, 2.6),
                     capsule({c0.x + a, c0.y - a}, {c0.x - a, c0.y + a}, 2.6));
    };
    c.fill(cross(0.6, 1.3), solid(hex(0x5A0D0D, 0.35)));
    c.fill(cross(0, 0), solid(kWhite));

    const Image img = keyed(c, 0.06, kDialogFace);
    const std::vector<Rgb> pal = palette256(img);
    return bmp(img, 8, pal, mapToPalette(img, pal, 0));
}

// Version dialog emblem: a server tower on a green and white ground with a
// yellow gear. Opaque: drawn on the dialog face, so the corner pixels the
// menu takes as the key colour are the face itself and nothing shows through.
Bytes drawServer(int scale)
{
    Canvas c(32, 32, scale);
    c.fill(box(0, 0, 32, 32), solid(kDialogFace), 1, 1);

    // Ground: a rounded tile, white above a green hill.
    const Sdf tile = box(0.5, 0.5, 31.5, 31.5, 4);
    c.fill(tile, solid(hex(0x2E6B34)));
    const Sdf ground = grow(tile, -1.0);
    c.fill(ground, linear({0, 1}, hex(0xFFFFFF), {0, 20}, hex(0xEEF3EE)));
    std::vector<P> hill{{-1, 33}, {-1, 21}};
    appendQuad(hill, {-1, 21}, {14, 10}, {33, 15}, 16);
    hill.push_back({33, 33});
    c.fill(intersect(ground, polygon(hill)), linear({0, 12}, hex(0x7CC47F), {0, 31}, hex(0x2F8A3A)));

    // Tower: front face, a narrow side in shade, two drive bays, vents and a lamp.
    c.fill(polygon({{19.5, 4}, {24, 6.5}, {24, 27}, {19.5, 29.5}}), solid(kNavy));
    c.fill(polygon({{20.2, 5.3}, {23.2, 7.0}, {23.2, 26.5}, {20.2, 28.3}}),
           linear({20, 0}, hex(0x8A8FA6), {24, 0}, hex(0x5F6480)));
    c.fill(box(6.5, 3.5, 20.5, 29.5, 1.5), solid(kNavy));
    c.fill(box(7.5, 4.5, 19.5, 28.5, 1.0), linear({7, 4}, hex(0xF1F2F7), {20, 29}, hex(0xB4B8C8)));
    for (double y : {7.0, 11.0}) {
        c.fill(box(9, y, 18, y + 2.5), solid(hex(0x3A3F5C)));
        c.fill(box(9.5, y + 0.5, 17.5, y + 1.2), solid(hex(0x8E93AA)));
    }
    for (double y : {15.5, 17.5, 19.5}) c.fill(box(9, y, 18, y + 1), solid(hex(0x7D8299)));
    c.fill(circle(10.5, 25.5, 1.3), solid(hex(0x2FBF4A)));

    // Gear over the tower's lower right corner.
    const P g{23.0, 23.0};
    Sdf gear = circle(g.x, g.y, 5.2);
    for (int k = 0; k < 8; ++k) {
        const double a = k * 3.14159265358979 / 4 + 0.2;
        gear = unite(gear, capsule({g.x + 4.2 * std::cos(a), g.y + 4.2 * std::sin(a)},
                                   {g.x + 6.8 * std::cos(a), g.y + 6.8 * std::sin(a)}, 2.6));
    }
    gear = subtract(gear, circle(g.x, g.y, 1.9));
    c.fill(grow(gear, 0.9), solid(hex(0x7A5A00)));
    c.fill(gear, radial({g.x - 2.5, g.y - 2.5}, 9.0, hex(0xFFE680), hex(0xE8A800)));
    c.fill(outline(circle(g.x, g.y, 3.4), 0.8), solid(hex(0xC88F00, 0.8)));

    return bmp(flatten(c), 24);
}

// Emblem of the database server for its notice dialog: an orange bird curled
// into a circle, head and beak at the top, its tail flaring at the lower right.
Bytes drawFirebird(int scale)
{
    Canvas c(32, 32, scale);
    const P o{16.0, 17.0};
    // Body: a crescent, thick at the lower left.
    const Sdf body = subtract(circle(o.x, o.y, 13.2), circle(o.x + 3.4, o.y - 3.2, 9.2));
    // Head with a beak at the crescent's upper tip.
    const Sdf head = circle(10.5, 6.8, 3.6);
    const Sdf beak = polygon({{12.5, 4.2}, {18.6, 5.2}, {13.6, 8.4}});
    // Wing: a flame reaching from the body into the hollow.
    std::vector<P> wing{{6.5, 22.0}};
    appendQuad(wing, {6.5, 22.0}, {9.0, 12.0}, {20.5, 10.0}, 12);
    appendQuad(wing, {20.5, 10.0}, {13.0, 14.5}, {12.0, 23.0}, 12);
    const Sdf wingS = polygon(wing);
    // Tail: three tongues curling out of the crescent's lower tip.
    Sdf tail = polygon({{26.0, 22.0}, {31.5, 18.5}, {28.8, 25.0}});
    tail = unite(tail, polygon({{24.0, 25.5}, {31.0, 24.5}, {26.5, 29.0}}));
    tail = unite(tail, polygon({{21.0, 28.0}, {27.5, 29.5}, {22.0, 31.0}}));
    const Sdf bird = unite(unite(body, head), unite(tail, wingS));

    c.fill(grow(unite(bird, beak), 0.9), solid(hex(0x8A2A00)));
    c.fill(beak, solid(hex(0xFFC107)));
    c.fill(bird, radial({9.0, 22.0}, 20.0, hex(0xFFB300), hex(0xE8590C)));
    c.fill(wingS, linear({7, 22}, hex(0xFFD54F), {20, 10}, hex(0xF57C00)));
    c.fill(outline(wingS, 0.7), solid(hex(0xB23C00, 0.7)));
    // Light along the outer edge of the body.
    c.fill(intersect(outline(circle(o.x, o.y, 11.6), 1.2), box(0, 10, 12, 30)), solid(hex(0xFFE082, 0.8)));
    c.fill(circle(10.0, 6.2, 1.0), solid(hex(0x3A1200)));

    const Image img = keyed(c, 0.06, kDialogFace);
    const std::vector<Rgb> pal = palette256(img);
    return bmp(img, 8, pal, mapToPalette(img, pal, 0));
}

// One open folder of the copy animation; the back first, the front later,
// so that sheets can sit between them.
void drawFolderBack(Canvas& c, double x0, double y0)
{
    const Col rim = hex(0x8A6414);
    c.fill(box(x0, y0, x0 + 17, y0 + 7, 2), solid(rim));
    c.fill(box(x0 + 1, y0 + 1, x0 + 16, y0 + 7, 1.2), solid(hex(0xD9A93F)));
    c.fill(box(x0, y0 + 4, x0 + 48, y0 + 36, 2), solid(rim));
    c.fill(box(x0 + 1, y0 + 5, x0 + 47, y0 + 35, 1.2), solid(hex(0xD9A93F)));
}

void drawFolderFront(Canvas& c, double x0, double y0)
{
    const Sdf front = polygon({{x0 + 4, y0 + 13}, {x0 + 52, y0 + 13}, {x0 + 48, y0 + 36}, {x0, y0 + 36}});
    c.fill(grow(front, 0.5), solid(hex(0x8A6414)));
    c.fill(grow(front, -0.5), linear({0, y0 + 13}, hex(0xF8DB84), {0, y0 + 36}, hex(0xEDC04E)));
    c.fill(box(x0 + 4, y0 + 14, x0 + 50, y0 + 15), solid(withAlpha(kWhite, 0.6)), 1, 1);
}

// A sheet of paper centred at (cx, cy), turned by `angle` radians.
void drawSheet(Canvas& c, double cx, double cy, double angle)
{
    const double hw = 9, hh = 11, ca = std::cos(angle), sa = std::sin(angle);
    const auto at = [&](double x, double y) { return P{cx + x * ca - y * sa, cy + x * sa + y * ca}; };
    const Sdf sheet = polygon({at(-hw, -hh), at(hw, -hh), at(hw, hh), at(-hw, hh)});
    c.fill(grow(sheet, 0.6), solid(hex(0x6B6F8A)));
    c.fill(sheet, solid(kWhite));
    for (int i = 0; i < 5; ++i) {
        const double y = -7 + i * 3.2, x1 = i == 4 ? 1.0 : 5.5;
        c.fill(capsule(at(-5.5, y), at(x1, y), 1.1), solid(hex(0x8D96C4)));
    }
}

// The progress window's copy animation: a sheet flies in an arc from the left
// folder into the right one. Frames of 272×60 side by side, on the dialog face.
Bytes drawCopyFiles(int scale)
{
    constexpr int kFrames = 16, W = 272, H = 60;
    constexpr double kPi = 3.14159265358979;
    const double leftX = 16, rightX = 208, folderY = 20;
    // What stays: the folders' backs with a sheet waiting in each.
    Canvas still(W, H, scale);
    still.fill(box(0, 0, W, H), solid(kDialogFace), 1, 1);
    drawFolderBack(still, leftX, folderY);
    drawFolderBack(still, rightX, folderY);
    drawSheet(still, leftX + 20, folderY + 15, -0.12);
    drawSheet(still, rightX + 28, folderY + 15, 0.1);
    const int fw = still.width(), fh = still.height();
    Image strip{fw * kFrames, fh, std::vector<Rgb>(size_t(fw) * kFrames * fh)};
    for (int f = 0; f < kFrames; ++f) {
        Canvas c = still;
        // The flying sheet rises out of the left folder, turns over the top
        // of its arc and sinks into the right one.
        const double t = double(f) / kFrames;
        const double x = leftX + 26 + (rightX - leftX) * t;
        const double y = folderY + 16 - 28 * std::sin(kPi * t);
        drawSheet(c, x, y, 0.6 * std::sin(kPi * t) - 0.1 + 0.2 * t);
        drawFolderFront(c, leftX, folderY);
        drawFolderFront(c, rightX, folderY);
        const Image frame = flatten(c);
        for (int y0 = 0; y0 < fh; ++y0)
            for (int x0 = 0; x0 < fw; ++x0) strip.at(f * fw + x0, y0) = frame.at(x0, y0);
    }
    const std::vector<Rgb> pal = medianCut(strip, 256);
    return pngIndexed(strip, pal, mapToPalette(strip, pal, pal.size()));
}

bool writeFile(const std::filesystem::path& p, const Bytes& b)
{
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return bool(f);
}

uint32_t get32(const Bytes& b, size_t at)
{
    return b[at] | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint32_t get32be(const Bytes& b, size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// What the menu relies on in one of our files: its size and, for a BMP, the
// colour of its bottom-left pixel, which the menu leaves undrawn.
struct Facts {
    uint32_t w = 0, h = 0;
    Rgb key;
};

Facts factsOf(const Bytes& b)
{
    if (b[0] != 'B') return {get32be(b, 16), get32be(b, 20), {}};  // PNG: IHDR
    Facts f{get32(b, 18), get32(b, 22), {}};
    const uint32_t pixels = get32(b, 10), bpp = b[28];
    size_t at = pixels;  // rows are bottom-up: the first pixel is the bottom-left one
    if (bpp != 24) at = 54 + 4 * size_t(bpp == 8 ? b[pixels] : b[pixels] >> 4);
    f.key = {b[at + 2], b[at + 1], b[at]};
    return f;
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
    // Every picture at 96 dpi and at twice that, from the same drawing; the
    // icon carries its sizes itself.
    using Draw = Bytes (*)(int);
    const std::vector<std::pair<const char*, Draw>> pictures = {
        {"SoftSetup.bmp", drawSoftSetup}, {"View.bmp", drawView},         {"Doc.bmp", drawDoc},
        {"Image2.bmp", drawEmblem},       {"Image1.png", drawBanner},     {"Uac.png", drawUac},
        {"Close21.bmp", drawClose},       {"Server.bmp", drawServer},     {"Firebird.bmp", drawFirebird},
        {"CopyFiles.png", drawCopyFiles},
    };
    std::filesystem::create_directories(dir / "2x", ec);
    const auto write = [](const std::filesystem::path& p, const Bytes& b) {
        if (writeFile(p, b)) return true;
        std::cerr << "drawpictures: cannot write " << p.string() << "\n";
        return false;
    };
    if (!write(dir / "skdsetup.ico", drawIcon())) return 1;
    for (const auto& [name, draw] : pictures) {
        const Bytes one = draw(1), two = draw(2);
        const Facts f1 = factsOf(one), f2 = factsOf(two);
        if (f2.w != 2 * f1.w || f2.h != 2 * f1.h || !(f2.key == f1.key)) {
            std::cerr << "drawpictures: the 2x " << name << " differs from the 1x one in size or key colour\n";
            return 1;
        }
        if (!write(dir / name, one) || !write(dir / "2x" / name, two)) return 1;
    }
    return 0;
}
