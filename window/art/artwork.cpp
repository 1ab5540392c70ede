// The painters of the game's pictures. Board pieces are drawn pixel by pixel (with
// supersampling for the round shapes); QPainter is used only for the lettered pictures.
//
// Every painter is written for the 21-pixel cell and scaled by f = cell / 21.0. At
// f == 1 the arithmetic is exactly that of the unscaled formulas (divisions by f and
// multiplications by f leave the values unchanged, and the painters are not scaled), so
// the pictures at 21 match the shipped files byte for byte.

#include "window/art/artwork.h"

#include <QFont>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <optional>
#include <vector>

namespace tolvan::art {
namespace {

constexpr int kTile = 21;  // the cell the formulas are written for
constexpr double kPi = std::numbers::pi;

// ---------------------------------------------------------------- colour helpers

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb mix(Rgb a, Rgb b, double t) { return a * (1.0 - t) + b * t; }

// Rounds half away from zero like std::lround, without the library call, for the small
// values colour arithmetic gives: v - trunc(v) is exact.
int roundHalfAway(double v) {
    const int t = static_cast<int>(v);
    const double rest = v - t;
    return rest >= 0.5 ? t + 1 : rest <= -0.5 ? t - 1 : t;
}

int channel(double v) { return std::clamp(roundHalfAway(std::clamp(v, -1024.0, 1024.0)), 0, 255); }
QRgb toQRgb(Rgb c) { return qRgb(channel(c.r), channel(c.g), channel(c.b)); }
Rgb fromQRgb(QRgb p) { return {double(qRed(p)), double(qGreen(p)), double(qBlue(p))}; }

QImage newImage(int w, int h, Rgb fill = {}) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(toQRgb(fill));
    return img;
}

QRgb* row(QImage& img, int y) { return reinterpret_cast<QRgb*>(img.scanLine(y)); }

// The scale of a picture of `base` pixels at `cell`; at 21 it is exactly `base`.
int scaled(int base, int cell) { return int(std::lround(base * cell / 21.0)); }

// A frame width of `base` pixels at scale f, never thinner than one pixel.
int scaledWidth(int base, double f) { return std::max(1, int(std::lround(base * f))); }

// Repeatable pseudo-random numbers from integer coordinates.
uint32_t hash3(int x, int y, int seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}
double rand01(int x, int y, int seed) { return (hash3(x, y, seed) & 0xffffffu) / double(0xffffffu); }

// The easing between lattice points of the value noise.
double smooth(double t) { return t * t * (3.0 - 2.0 * t); }

// Smooth 1-D value noise in [0,1].
double noise1(double t, int seed) {
    const double fl = std::floor(t);
    const int i = int(fl);
    const double f = smooth(t - fl);
    return rand01(i, 0, seed) * (1.0 - f) + rand01(i + 1, 0, seed) * f;
}

// Smooth 2-D value noise in [0,1], sampled at (xs[i], ys[j]) for the columns i and rows
// j of a picture. The lattice values are hashed once and the easing is done once per
// column and per row; each sample is the interpolation of the four lattice values around
// it. At whole coordinates it is exactly the lattice value there.
class Noise2 {
public:
    Noise2(const std::vector<double>& xs, const std::vector<double>& ys, int seed) {
        split(xs, ix_, u_);
        split(ys, iy_, v_);
        x0_ = *std::min_element(ix_.begin(), ix_.end());
        y0_ = *std::min_element(iy_.begin(), iy_.end());
        stride_ = *std::max_element(ix_.begin(), ix_.end()) - x0_ + 2;
        const int rows = *std::max_element(iy_.begin(), iy_.end()) - y0_ + 2;
        lattice_.resize(std::size_t(stride_) * rows);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < stride_; ++x) lattice_[std::size_t(y) * stride_ + x] = rand01(x0_ + x, y0_ + y, seed);
    }

    double at(int i, int j) const {
        const double* p = &lattice_[std::size_t(iy_[j] - y0_) * stride_ + (ix_[i] - x0_)];
        const double a = p[0], b = p[1], c = p[stride_], d = p[stride_ + 1];
        const double u = u_[i], v = v_[j];
        return (a * (1 - u) + b * u) * (1 - v) + (c * (1 - u) + d * u) * v;
    }

private:
    static void split(const std::vector<double>& ts, std::vector<int>& cells, std::vector<double>& eased) {
        for (double t : ts) {
            const double fl = std::floor(t);
            cells.push_back(int(fl));
            eased.push_back(smooth(t - fl));
        }
    }

    std::vector<int> ix_, iy_;
    std::vector<double> u_, v_, lattice_;
    int x0_ = 0, y0_ = 0, stride_ = 0;
};

// The coordinates (i / scale) * k of n pixels, for sampling a texture drawn for the
// 21 cell in a picture scaled by `scale`.
std::vector<double> coords(int n, double scale, double k) {
    std::vector<double> v(n);
    for (int i = 0; i < n; ++i) v[i] = (i / scale) * k;
    return v;
}

// ---------------------------------------------------------------- board surface

// Light kaya-like wood. The grain runs vertically with phase u (2π per tile width), so
// the same piece placed side by side joins without a seam; the tiny per-pixel speckle
// at (x, y) keeps it from looking flat. Every value stays inside a narrow band around
// the base colour.
Rgb boardSurface(double u, int x, int y) {
    const double grain = 0.5 * std::sin(2 * u + 0.7) + 0.3 * std::sin(5 * u + 1.9) + 0.2 * std::sin(9 * u + 0.4);
    const double speck = rand01(x, y, 11) - 0.5;
    Rgb c{231 + 5.0 * grain + 2.0 * speck, 212 + 5.0 * grain + 2.0 * speck, 121 + 4.0 * grain + 1.5 * speck};
    c.r = std::clamp(c.r, 223.0, 239.0);
    c.g = std::clamp(c.g, 204.0, 220.0);
    c.b = std::clamp(c.b, 113.0, 129.0);
    return c;
}

// Which neighbours a board piece has; lines only run towards existing neighbours.
struct Place {
    const char* suffix;
    bool left, right, up, down;
};

constexpr Place kPlaces[] = {
    {"UEHIDARI", false, true, false, true},  {"UENAKA", true, true, false, true},
    {"UEMIGI", true, false, false, true},    {"HIDARINAKA", false, true, true, true},
    {"NAKA", true, true, true, true},        {"MIGINAKA", true, false, true, true},
    {"SITAHIDARI", false, true, true, false}, {"SITANAKA", true, true, true, false},
    {"SITAMIGI", true, false, true, false},
};

void fillRect(QImage& img, int x0, int y0, int x1, int y1, QRgb colour) {
    for (int y = y0; y < y1; ++y) std::fill(row(img, y) + x0, row(img, y) + x1, colour);
}

// The empty board piece: the lines cover [lo, lo + w) across the tile and run to the
// edges that have neighbours; where a line stops it still covers the crossing.
QImage boardPiece(const Place& p, int cell) {
    QImage img = newImage(cell, cell);
    for (int y = 0; y < cell; ++y) {
        QRgb* line = row(img, y);
        for (int x = 0; x < cell; ++x) line[x] = toQRgb(boardSurface(2.0 * kPi * x / cell, x, y));
    }
    const int w = lineWidth(cell), lo = (cell - w) / 2, hi = lo + w;
    const QRgb black = qRgb(0, 0, 0);
    fillRect(img, p.left ? 0 : lo, lo, p.right ? cell : hi, hi, black);
    fillRect(img, lo, p.up ? 0 : lo, hi, p.down ? cell : hi, black);
    return img;
}

// ---------------------------------------------------------------- round shapes

constexpr int kSub = 8;  // supersampling grid per pixel edge

// A disc computed once: for each pixel of its box, the share of samples inside the disc
// and their average colour. Blending it onto a picture gives the same pixels as
// sampling the disc there, so one stone serves every board piece of a cell.
struct DiscLayer {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // inclusive pixel box
    std::vector<Rgb> colour;
    std::vector<double> cover;  // 0 where no sample falls inside
};

// Samples a disc of centre (cx,cy) and radius r (continuous coordinates, pixel (i,j)
// covers [i,i+1)x[j,j+1)) inside a picture of w x h pixels, with a colour computed per
// sample from the offset to the centre divided by r.
template <class Shade>
DiscLayer discLayer(int w, int h, double cx, double cy, double r, Shade shade) {
    DiscLayer d;
    d.x0 = std::max(0, int(std::floor(cx - r)));
    d.x1 = std::min(w - 1, int(std::ceil(cx + r)));
    d.y0 = std::max(0, int(std::floor(cy - r)));
    d.y1 = std::min(h - 1, int(std::ceil(cy + r)));
    const int bw = std::max(0, d.x1 - d.x0 + 1), bh = std::max(0, d.y1 - d.y0 + 1);
    d.colour.assign(std::size_t(bw) * bh, Rgb{});
    d.cover.assign(std::size_t(bw) * bh, 0.0);
    for (int y = d.y0; y <= d.y1; ++y) {
        for (int x = d.x0; x <= d.x1; ++x) {
            Rgb sum;
            int hits = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const double dx = (x + (sx + 0.5) / kSub - cx) / r;
                    const double dy = (y + (sy + 0.5) / kSub - cy) / r;
                    if (dx * dx + dy * dy >= 1.0) continue;
                    sum = sum + shade(dx, dy);
                    ++hits;
                }
            }
            if (hits == 0) continue;
            const std::size_t i = std::size_t(y - d.y0) * bw + (x - d.x0);
            d.cover[i] = double(hits) / (kSub * kSub);
            d.colour[i] = sum * (1.0 / hits);
        }
    }
    return d;
}

// Lays a disc over the picture, antialiased against what is already there.
void blend(QImage& img, const DiscLayer& d) {
    const int bw = d.x1 - d.x0 + 1;
    for (int y = d.y0; y <= d.y1; ++y) {
        QRgb* line = row(img, y);
        for (int x = d.x0; x <= d.x1; ++x) {
            const std::size_t i = std::size_t(y - d.y0) * bw + (x - d.x0);
            if (d.cover[i] == 0.0) continue;
            line[x] = toQRgb(mix(fromQRgb(line[x]), d.colour[i], d.cover[i]));
        }
    }
}

template <class Shade>
void paintDisc(QImage& img, double cx, double cy, double r, Shade shade) {
    blend(img, discLayer(img.width(), img.height(), cx, cy, r, shade));
}

Rgb inkShade(double, double) { return Rgb{0, 0, 0}; }

// Lighting of a stone lit from the upper left: diffuse and specular terms for a point
// of the unit disc.
struct Light {
    double diffuse, specular, radius;
};

// The light direction and the half vector towards a viewer straight above.
struct LightDirections {
    double lx = -0.45, ly = -0.55, lz = 0.70;
    double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    double hx = lx / ll, hy = ly / ll, hz = lz / ll + 1.0;
    double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
};
const LightDirections kLight;

Light lightAt(double dx, double dy, double shininess) {
    const LightDirections& L = kLight;
    const double rr = dx * dx + dy * dy;
    const double nz = std::sqrt(std::max(0.0, 1.0 - rr));
    const double diffuse = std::max(0.0, (dx * L.lx + dy * L.ly + nz * L.lz) / L.ll);
    const double glint = std::pow(std::max(0.0, (dx * L.hx + dy * L.hy + nz * L.hz) / L.hl), shininess);
    return {diffuse, glint, std::sqrt(rr)};
}

Rgb blackStoneShade(double dx, double dy) {
    const Light l = lightAt(dx, dy, 18.0);
    const double v = 10.0 + 34.0 * l.diffuse * l.diffuse + 70.0 * l.specular;
    return {v, v, v + 3.0 * l.diffuse};
}

Rgb whiteStoneShade(double dx, double dy) {
    const Light l = lightAt(dx, dy, 30.0);
    double v = 196.0 + 50.0 * l.diffuse + 14.0 * l.specular;
    // A faint darker rim keeps the stone crisp on the light board.
    if (l.radius > 0.84) v -= 26.0 * (l.radius - 0.84) / 0.16;
    return {v, v, v - 6.0};
}

template <class... Args>
DiscLayer stoneLayer(bool black, Args... args) {
    if (black) return discLayer(args..., [](double dx, double dy) { return blackStoneShade(dx, dy); });
    return discLayer(args..., [](double dx, double dy) { return whiteStoneShade(dx, dy); });
}

// The stone of a board piece: 19 px across at 21, centred where the lines cross. Kept
// per thread for the last cell asked for, since a whole set uses it twenty times.
const DiscLayer& tileStone(int cell, bool black) {
    struct Cache {
        int cell = 0;
        std::optional<DiscLayer> stones[2];
    };
    thread_local Cache cache;
    if (cache.cell != cell) cache = Cache{cell, {}};
    std::optional<DiscLayer>& stone = cache.stones[black ? 0 : 1];
    if (!stone) {
        const double f = cell / 21.0;
        stone = stoneLayer(black, cell, cell, cell / 2.0, cell / 2.0, 9.5 * f);
    }
    return *stone;
}

// ---------------------------------------------------------------- bamboo

// A vertical bamboo culm filling the tile width, with a dark gap at the left and a node
// low in the tile. Column `cell` repeats column 0 and every row depends only on
// y mod cell, so the pictures join when laid out on a cell grid with one column of
// overlap. Rows and fibres are measured in 21-cell pixels (t = dy / f) so that they
// keep their look at every size.
QImage bambooTile(int cell) {
    const double f = cell / 21.0;
    const int w = cell + 1, h = cell;
    const Rgb gap{8, 46, 10};
    const Rgb dark{28, 92, 24}, mid{72, 148, 40}, light{150, 200, 92};
    const int node = int(std::lround(15 * f));  // row of the node ridge
    const int gapWidth = std::max(1, int(std::lround(f)));
    QImage img = newImage(w, h);
    for (int y = 0; y < h; ++y) {
        QRgb* line = row(img, y);
        const int dy = (y - node + h) % h;  // 0 on the ridge, growing downwards
        const double t = dy / f;
        for (int xx = 0; xx < w; ++xx) {
            const int x = xx % cell;
            if (x < gapWidth) {
                // Shadow between culms; a little lighter where the node ring bulges out.
                const double bulge = t < 2.0 ? 14.0 : 0.0;
                line[xx] = toQRgb(gap + Rgb{bulge * 0.4, bulge, bulge * 0.3});
                continue;
            }
            // Across the culm: n runs from -1 at the left edge to 1 at the right edge.
            const double n = ((x - gapWidth) + 0.5) / double(cell - gapWidth) * 2.0 - 1.0;
            const double round = std::sqrt(std::max(0.0, 1.0 - n * n));
            double b = 0.25 + 0.75 * round * (1.0 - 0.30 * n);
            const double sheen = std::exp(-std::pow((n + 0.38) / 0.13, 2.0));
            // Fine lengthwise fibres.
            b += 0.07 * (rand01(int(x / f), 0, 21) - 0.5);
            // The segment darkens slightly just above a node and is light just below it.
            const double along = double(dy) / h;
            b *= 0.90 + 0.14 * along;
            Rgb c = b < 0.6 ? mix(dark, mid, b / 0.6) : mix(mid, light, (b - 0.6) / 0.4);
            c = mix(c, Rgb{200, 230, 150}, 0.55 * sheen * round);
            // Node: a pale ridge over a dark groove.
            if (t < 1.0)
                c = mix(c, Rgb{196, 222, 130}, 0.55);
            else if (t < 2.0)
                c = mix(c, Rgb{20, 60, 16}, 0.65);
            else if (t < 3.0)
                c = mix(c, Rgb{20, 60, 16}, 0.20);
            // Soft shadow at the culm edges.
            const double edge = std::max(0.0, std::abs(n) - 0.82) / 0.18;
            c = mix(c, dark * 0.7, 0.6 * edge);
            line[xx] = toQRgb(c);
        }
    }
    return img;
}

// ---------------------------------------------------------------- lettered pictures

struct Fonts {
    QString latin;   // bold serif for the name
    QString mincho;  // Japanese text and small Latin lines
};

QString loadFamily(const char* file, const char* fallback) {
    const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(file));
    if (id >= 0) {
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) return families.front();
    }
    std::fprintf(stderr, "tolvan: %s not found, pictures use font family %s\n", file, fallback);
    return QString::fromUtf8(fallback);
}

// Loaded once per process, so a missing file is reported once.
const Fonts& fonts() {
    static const Fonts loaded = [] {
        Fonts f;
        f.mincho = loadFamily("/usr/share/fonts/opentype/ipafont-mincho/ipamp.ttf", "IPAPMincho");
        f.latin = loadFamily("/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf", "DejaVu Serif");
        return f;
    }();
    return loaded;
}

QFont makeFont(const QString& family, double px, bool bold = false) {
    QFont f(family);
    f.setPixelSize(int(px));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    f.setKerning(true);
    return f;
}

// Text as an outline placed so that its ink box is centred on (cx, cy).
QPainterPath textPath(const QString& text, const QFont& font, double cx, double cy) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    path.translate(cx - box.center().x(), cy - box.center().y());
    return path;
}

// Text as an outline with its ink box starting at x and its baseline at y.
QPainterPath textPathAt(const QString& text, const QFont& font, double x, double baseline) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    path.translate(x - path.boundingRect().left(), baseline);
    return path;
}

void drawOutlined(QPainter& p, const QPainterPath& path, const QBrush& fill, const QColor& outline, double width) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
}

// A lettered picture of `base` pixels at 21, painted at its real size. Pixel textures
// are sampled at x / sx, y / sy and vector drawing is scaled by (sx, sy): the picture's
// scale in each direction, which differs from f only by the rounding of its size, so
// the drawing reaches exactly to the picture's edges.
struct Canvas {
    QImage img;
    double f, sx, sy;

    Canvas(int baseW, int baseH, int cell) : f(cell / 21.0) {
        img = newImage(scaled(baseW, cell), scaled(baseH, cell));
        sx = img.width() / double(baseW);
        sy = img.height() / double(baseH);
    }
    void begin(QPainter& p) {
        p.begin(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        if (sx != 1.0 || sy != 1.0) p.scale(sx, sy);
    }
};

// Dark polished wood with wavy horizontal grain.
void fillDarkWood(Canvas& c, int seed) {
    const Rgb deep{58, 30, 14}, warm{112, 62, 28};
    const int w = c.img.width(), h = c.img.height();
    const std::vector<double> X = coords(w, c.sx, 1.0), Y = coords(h, c.sy, 1.0);
    std::vector<double> sway(w), swirl(w);
    for (int x = 0; x < w; ++x) {
        sway[x] = noise1(X[x] * 0.035, seed);
        swirl[x] = noise1(X[x] * 0.02, seed + 2);
    }
    const Noise2 ripple(coords(w, c.sx, 0.12), coords(h, c.sy, 0.3), seed + 1);
    const Noise2 streak(coords(w, c.sx, 0.5), coords(h, c.sy, 0.08), seed + 3);
    for (int y = 0; y < h; ++y) {
        QRgb* line = row(c.img, y);
        for (int x = 0; x < w; ++x) {
            const double wave = Y[y] + 3.0 * sway[x] + 1.2 * ripple.at(x, y);
            const double ring = 0.5 + 0.5 * std::sin(wave * 0.9 + 2.0 * swirl[x]);
            const double t = 0.35 + 0.45 * ring * ring + 0.2 * streak.at(x, y);
            line[x] = toQRgb(mix(deep, warm, std::clamp(t, 0.0, 1.0)));
        }
    }
}

// Raised frame: light on the upper and left edges, shadow on the lower and right ones.
void bevel(QImage& img, int width, double strength) {
    const int w = img.width(), h = img.height();
    for (int y = 0; y < h; ++y) {
        QRgb* line = row(img, y);
        for (int x = 0; x < w; ++x) {
            const int d = std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y));
            if (d >= width) continue;
            const double k = strength * (1.0 - double(d) / width);
            const bool lit = x == d || y == d;
            Rgb c = fromQRgb(line[x]);
            c = lit ? mix(c, Rgb{255, 245, 220}, k) : mix(c, Rgb{0, 0, 0}, k);
            line[x] = toQRgb(c);
        }
    }
}

QLinearGradient goldGradient(double top, double bottom) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0.0, QColor(255, 246, 196));
    g.setColorAt(0.45, QColor(240, 200, 92));
    g.setColorAt(0.55, QColor(214, 160, 50));
    g.setColorAt(1.0, QColor(250, 214, 120));
    return g;
}

QImage titlePlate(int cell) {
    Canvas c(120, 50, cell);
    fillDarkWood(c, 31);
    bevel(c.img, scaledWidth(3, c.f), 0.45);
    QPainter p;
    c.begin(p);
    // Thin gold inlay.
    p.setPen(QPen(QColor(196, 152, 70), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(4.5, 4.5, 111, 41));
    const QPainterPath name = textPath(QStringLiteral("Tolvan"), makeFont(fonts().latin, 25, true), 60, 22);
    drawOutlined(p, name, goldGradient(12, 32), QColor(30, 12, 4), 2.4);
    const QPainterPath go = textPath(QString::fromUtf8("囲 碁"), makeFont(fonts().mincho, 11), 60, 38.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 220, 176));
    p.drawPath(go);
    // Small ornaments either side of the Japanese line.
    p.setPen(QPen(QColor(196, 152, 70), 1.0));
    p.drawLine(QPointF(30, 38.5), QPointF(45, 38.5));
    p.drawLine(QPointF(75, 38.5), QPointF(90, 38.5));
    p.end();
    return c.img;
}

QImage hintPanel(int cell, bool waiting) {
    constexpr int w = 109, h = 31;
    Canvas c(w, h, cell);
    QPainter p;
    c.begin(p);
    if (waiting) {
        QRadialGradient glow(w / 2.0, h / 2.0, w * 0.6, w / 2.0, h / 2.0);
        glow.setColorAt(0.0, QColor(255, 214, 96));
        glow.setColorAt(0.45, QColor(246, 140, 36));
        glow.setColorAt(1.0, QColor(176, 40, 14));
        p.fillRect(QRect(0, 0, w, h), glow);
    } else {
        QLinearGradient plain(0, 0, 0, h);
        plain.setColorAt(0.0, QColor(214, 206, 180));
        plain.setColorAt(1.0, QColor(168, 158, 130));
        p.fillRect(QRect(0, 0, w, h), plain);
    }
    p.end();
    bevel(c.img, scaledWidth(2, c.f), 0.5);
    c.begin(p);
    p.setPen(QPen(waiting ? QColor(120, 24, 8) : QColor(90, 78, 56), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(3.5, 3.5, w - 7, h - 7));
    const QFont font = makeFont(fonts().mincho, 17);
    if (waiting) {
        const QPainterPath text = textPath(QString::fromUtf8("指南あり"), font, w / 2.0, h / 2.0);
        drawOutlined(p, text, QColor(255, 252, 236), QColor(110, 20, 6), 2.6);
    } else {
        const QPainterPath text = textPath(QString::fromUtf8("指南モード"), font, w / 2.0, h / 2.0);
        // A hairline of the ink colour thickens the thin Mincho strokes a little.
        p.setPen(QPen(QColor(52, 38, 22), 0.6));
        p.setBrush(QColor(52, 38, 22));
        p.drawPath(text);
    }
    p.end();
    return c.img;
}

QImage versionPicture(int cell) {
    constexpr int w = 337, h = 106;
    Canvas c(w, h, cell);
    QImage& img = c.img;
    // Warm paper with a faint fibre texture.
    const Noise2 fibres(coords(img.width(), c.sx, 0.7), coords(img.height(), c.sy, 0.05), 41);
    const Noise2 grit(coords(img.width(), c.sx, 1.0), coords(img.height(), c.sy, 1.0), 42);
    for (int y = 0; y < img.height(); ++y) {
        QRgb* line = row(img, y);
        const double Y = y / c.sy;
        for (int x = 0; x < img.width(); ++x) {
            const double t = fibres.at(x, y) * 0.6 + grit.at(x, y) * 0.4;
            const double shade = 1.0 - 0.05 * Y / h;
            line[x] = toQRgb(mix(Rgb{246, 238, 214}, Rgb{232, 220, 190}, t) * shade);
        }
    }
    // A corner of a board with a few stones on the left, at (bx, by) and bs across with
    // lines every step pixels from 8 in. Everything sits above y = 72, where the version
    // window's two buttons stand. It is scaled by f alone so the stones stay round.
    constexpr int bx = 12, by = 9, bs = 56, step = 11;
    const double f = c.f;
    const int left = int(std::lround(bx * f)), top = int(std::lround(by * f));
    const int right = int(std::lround((bx + bs) * f)), bottom = int(std::lround((by + bs) * f));
    for (int y = top; y < bottom; ++y) {
        QRgb* line = row(img, y);
        for (int x = left; x < right; ++x)
            line[x] = toQRgb(boardSurface(2.0 * kPi * ((x - left) / f) / kTile, x - left, y - top));
    }
    auto at = [&](int col) { return (bx + 8 + col * step + 0.5) * f; };
    auto atY = [&](int row) { return (by + 8 + row * step + 0.5) * f; };
    // Lines as thick as on a board of this step, centred on the stones' centres.
    const int lw = lineWidth(int(std::lround(step * f)));
    auto lineStart = [&](double centre) { return int(std::lround(centre - lw / 2.0)); };
    const int firstX = lineStart(at(0)), firstY = lineStart(atY(0));
    for (int i = 0; i < 5; ++i) {
        fillRect(img, lineStart(at(i)), firstY, lineStart(at(i)) + lw, bottom, qRgb(0, 0, 0));
        fillRect(img, firstX, lineStart(atY(i)), right, lineStart(atY(i)) + lw, qRgb(0, 0, 0));
    }
    paintDisc(img, at(3), atY(3), 1.6 * f, inkShade);
    const double r = (step / 2.0 - 0.6) * f;
    auto stone = [&](int col, int row, bool black) {
        blend(img, stoneLayer(black, img.width(), img.height(), at(col), atY(row), r));
    };
    stone(2, 2, true);
    stone(3, 2, false);
    stone(2, 3, false);
    stone(1, 3, true);
    stone(3, 4, true);
    stone(4, 1, false);
    QPainter p;
    c.begin(p);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(92, 60, 30), 1.0));
    p.drawRect(QRectF(bx - 0.5, by - 0.5, bs + 1, bs + 1));
    // Frame around the whole picture.
    p.setPen(QPen(QColor(104, 64, 30), 2.0));
    p.drawRect(QRectF(1, 1, w - 2, h - 2));
    p.setPen(QPen(QColor(176, 136, 76), 1.0));
    p.drawRect(QRectF(4.5, 4.5, w - 9, h - 9));

    const double textLeft = 84;
    const QPainterPath name = textPathAt(QStringLiteral("Tolvan"), makeFont(fonts().latin, 28, true), textLeft, 33);
    drawOutlined(p, name, goldGradient(12, 33), QColor(52, 26, 8), 2.0);
    auto ink = [&](const QPainterPath& path, const QColor& colour, double weight) {
        p.setPen(QPen(colour, weight));
        p.setBrush(colour);
        p.drawPath(path);
    };
    ink(textPathAt(QString::fromUtf8("囲碁 19路盤"), makeFont(fonts().mincho, 14), textLeft + 2, 54),
        QColor(70, 40, 18), 0.5);
    ink(textPathAt(QStringLiteral("Version 1.0"), makeFont(fonts().mincho, 13), textLeft + 130, 54),
        QColor(56, 44, 32), 0.4);
    ink(textPathAt(QString::fromUtf8("© 2026 Tolvan developers"), makeFont(fonts().mincho, 10), textLeft + 2,
                   67),
        QColor(96, 80, 60), 0.3);
    p.setPen(QPen(QColor(176, 136, 76), 1.0));
    p.drawLine(QPointF(textLeft + 2, 39.5), QPointF(w - 16, 39.5));
    p.end();
    return img;
}

// ---------------------------------------------------------------- the icon

// How far (x, y) lies outside the rounded square [0, s) x [0, s) with corner radius r;
// negative inside. Pixel centres are at whole coordinates plus one half.
double outsideRoundedSquare(double x, double y, double s, double r) {
    const double half = s / 2.0;
    const double qx = std::abs(x - half) - (half - r), qy = std::abs(y - half) - (half - r);
    const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - r;
}

QImage iconPicture(int s) {
    // The board: its wood, two lines each way and their crossings at 0.3 and 0.7 of the
    // side, a black stone on the upper left crossing and a white one on the lower right.
    // The stones are big enough to tell apart at 16 pixels.
    QImage img = newImage(s, s);
    for (int y = 0; y < s; ++y) {
        QRgb* line = row(img, y);
        for (int x = 0; x < s; ++x) line[x] = toQRgb(boardSurface(2.0 * kPi * x / (s * 0.4), x, y));
    }
    const int w = std::max(1, int(std::lround(s / 48.0)));
    const double near = 0.3 * s, far = 0.7 * s;
    for (double at : {near, far}) {
        const int lo = int(std::lround(at - w / 2.0));
        fillRect(img, 0, lo, s, lo + w, qRgb(0, 0, 0));
        fillRect(img, lo, 0, lo + w, s, qRgb(0, 0, 0));
    }
    // The stones sit where the lines cross, on the lines' middle.
    const double centreNear = int(std::lround(near - w / 2.0)) + w / 2.0;
    const double centreFar = int(std::lround(far - w / 2.0)) + w / 2.0;
    const double r = 0.21 * s;
    blend(img, stoneLayer(true, s, s, centreNear, centreNear, r));
    blend(img, stoneLayer(false, s, s, centreFar, centreFar, r));

    // The rounded corners, antialiased, and a darker rim of end grain inside the edge
    // so that the light wood stands out on a light background.
    const double corner = 0.16 * s, rim = std::max(1.0, s / 24.0);
    QImage out(s, s, QImage::Format_ARGB32);
    for (int y = 0; y < s; ++y) {
        const QRgb* in = row(img, y);
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < s; ++x) {
            const double d = outsideRoundedSquare(x + 0.5, y + 0.5, s, corner);
            const double alpha = std::clamp(0.5 - d, 0.0, 1.0);
            const double edge = std::clamp((rim + d) / rim, 0.0, 1.0);
            const Rgb c = mix(fromQRgb(in[x]), Rgb{120, 78, 34}, 0.8 * edge);
            line[x] = qRgba(channel(c.r), channel(c.g), channel(c.b), channel(255.0 * alpha));
        }
    }
    return out;
}

// ---------------------------------------------------------------- the catalogue

enum class Kind { Empty, Star, Black, White, BlackOff, WhiteOff, Green, Bamboo, Title, Hint, HintWaiting, Version };

struct Entry {
    QString name;
    Kind kind;
    const Place* place = nullptr;  // board pieces only
};

const std::vector<Entry>& entries() {
    static const std::vector<Entry> all = [] {
        std::vector<Entry> list;
        for (const Place& place : kPlaces) {
            const QString suffix = QString::fromLatin1(place.suffix);
            list.push_back({QStringLiteral("KARA") + suffix, Kind::Empty, &place});
            list.push_back({QStringLiteral("KURO") + suffix, Kind::Black, &place});
            list.push_back({QStringLiteral("SIRO") + suffix, Kind::White, &place});
        }
        list.push_back({QStringLiteral("KARANAKATEN"), Kind::Star, &kPlaces[4]});
        list.push_back({QStringLiteral("KUROSOTO"), Kind::BlackOff});
        list.push_back({QStringLiteral("SIROSOTO"), Kind::WhiteOff});
        list.push_back({QStringLiteral("HAIKEI_MIDORI"), Kind::Green});
        list.push_back({QStringLiteral("HAIKEI_TAKE"), Kind::Bamboo});
        list.push_back({QStringLiteral("RABERU"), Kind::Title});
        list.push_back({QStringLiteral("SINAN_MODE"), Kind::Hint});
        list.push_back({QStringLiteral("SINAN_SURU"), Kind::HintWaiting});
        list.push_back({QStringLiteral("VERSION"), Kind::Version});
        std::sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
        return list;
    }();
    return all;
}

const Entry* find(const QString& name) {
    for (const Entry& e : entries())
        if (e.name == name) return &e;
    return nullptr;
}

bool cellInRange(int cell) { return cell >= kMinCell && cell <= kMaxCell; }

}  // namespace

const QStringList& pictureNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const Entry& e : entries()) list << e.name;
        return list;
    }();
    return names;
}

int lineWidth(int cell) {
    // Odd cells take odd widths and even cells even ones, so the line has as many whole
    // pixels on either side of the centre cell / 2.
    const double ideal = cell / 21.0;
    int best = cell % 2 == 0 ? 2 : 1;
    for (int w = best + 2; std::abs(w - ideal) < std::abs(best - ideal); w += 2) best = w;
    return best;
}

QSize pictureSize(const QString& name, int cell) {
    const Entry* e = find(name);
    if (!e || !cellInRange(cell)) return {};
    switch (e->kind) {
        case Kind::Green:
        case Kind::Bamboo: return {cell + 1, cell};
        case Kind::Title: return {scaled(120, cell), scaled(50, cell)};
        case Kind::Hint:
        case Kind::HintWaiting: return {scaled(109, cell), scaled(31, cell)};
        case Kind::Version: return {scaled(337, cell), scaled(106, cell)};
        default: return {cell, cell};
    }
}

QImage paint(const QString& name, int cell) {
    const Entry* e = find(name);
    if (!e || !cellInRange(cell)) return {};
    const double f = cell / 21.0;
    switch (e->kind) {
        case Kind::Empty: return boardPiece(*e->place, cell);
        case Kind::Star: {
            QImage img = boardPiece(*e->place, cell);
            paintDisc(img, cell / 2.0, cell / 2.0, 1.9 * f, inkShade);
            return img;
        }
        case Kind::Black:
        case Kind::White: {
            QImage img = boardPiece(*e->place, cell);
            blend(img, tileStone(cell, e->kind == Kind::Black));
            return img;
        }
        case Kind::BlackOff:
        case Kind::WhiteOff: {
            QImage img = newImage(cell, cell, Rgb{0, 120, 0});
            blend(img, tileStone(cell, e->kind == Kind::BlackOff));
            return img;
        }
        case Kind::Green: return newImage(cell + 1, cell, Rgb{0, 157, 0});
        case Kind::Bamboo: return bambooTile(cell);
        case Kind::Title: return titlePlate(cell);
        case Kind::Hint: return hintPanel(cell, false);
        case Kind::HintWaiting: return hintPanel(cell, true);
        case Kind::Version: return versionPicture(cell);
    }
    return {};
}

QImage paintIcon(int size) {
    if (size < kMinIconSize || size > kMaxIconSize) return {};
    return iconPicture(size);
}

}  // namespace tolvan::art
