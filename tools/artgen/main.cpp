// tolvan-artgen: paints every picture the game window uses and writes them as 24-bit PNG
// files into the folder named on the command line.
//
// Everything is computed from fixed formulas and fonts loaded from fixed files, so a
// rerun on the same system gives byte-identical files. Board pieces are drawn pixel by
// pixel (with supersampling for the round shapes); QPainter is used only for the
// lettered pictures.

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string_view>

namespace {

constexpr int kTile = 21;  // board pieces are square, lines cross at pixel (10,10)
constexpr int kMid = 10;
constexpr double kPi = std::numbers::pi;

// ---------------------------------------------------------------- colour helpers

struct Rgb {
  double r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb mix(Rgb a, Rgb b, double t) { return a * (1.0 - t) + b * t; }

int channel(double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); }
QRgb toQRgb(Rgb c) { return qRgb(channel(c.r), channel(c.g), channel(c.b)); }
Rgb fromQRgb(QRgb p) { return {double(qRed(p)), double(qGreen(p)), double(qBlue(p))}; }

QImage newImage(int w, int h, Rgb fill = {}) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(toQRgb(fill));
  return img;
}

// Repeatable pseudo-random numbers from integer coordinates.
uint32_t hash3(int x, int y, int seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}
double rand01(int x, int y, int seed) { return (hash3(x, y, seed) & 0xffffffu) / double(0xffffffu); }

// Smooth 1-D value noise in [0,1].
double noise1(double t, int seed) {
  const double fl = std::floor(t);
  const int i = int(fl);
  double f = t - fl;
  f = f * f * (3.0 - 2.0 * f);
  return rand01(i, 0, seed) * (1.0 - f) + rand01(i + 1, 0, seed) * f;
}

// Smooth 2-D value noise in [0,1].
double noise2(double x, double y, int seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int ix = int(fx), iy = int(fy);
  double u = x - fx, v = y - fy;
  u = u * u * (3.0 - 2.0 * u);
  v = v * v * (3.0 - 2.0 * v);
  const double a = rand01(ix, iy, seed), b = rand01(ix + 1, iy, seed);
  const double c = rand01(ix, iy + 1, seed), d = rand01(ix + 1, iy + 1, seed);
  return (a * (1 - u) + b * u) * (1 - v) + (c * (1 - u) + d * u) * v;
}

// ---------------------------------------------------------------- board surface

// Light kaya-like wood. The grain runs vertically and repeats every tile width, so the
// same piece placed side by side joins without a seam; the tiny speckle keeps it from
// looking flat. Every value stays inside a narrow band around the base colour.
Rgb boardSurface(int x, int y) {
  const double u = 2.0 * kPi * x / kTile;
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

QImage boardPiece(const Place& p) {
  QImage img = newImage(kTile, kTile);
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) img.setPixel(x, y, toQRgb(boardSurface(x, y)));
  const QRgb black = qRgb(0, 0, 0);
  for (int x = p.left ? 0 : kMid; x <= (p.right ? kTile - 1 : kMid); ++x) img.setPixel(x, kMid, black);
  for (int y = p.up ? 0 : kMid; y <= (p.down ? kTile - 1 : kMid); ++y) img.setPixel(kMid, y, black);
  return img;
}

// ---------------------------------------------------------------- round shapes

constexpr int kSub = 8;  // supersampling grid per pixel edge

// Paints a disc of centre (cx,cy) and radius r (continuous coordinates, pixel (i,j)
// covers [i,i+1)x[j,j+1)) with a colour computed per sample from the offset to the
// centre divided by r. Edges are antialiased against what is already in the image.
template <class Shade>
void paintDisc(QImage& img, double cx, double cy, double r, Shade shade) {
  const int x0 = std::max(0, int(std::floor(cx - r))), x1 = std::min(img.width() - 1, int(std::ceil(cx + r)));
  const int y0 = std::max(0, int(std::floor(cy - r))), y1 = std::min(img.height() - 1, int(std::ceil(cy + r)));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
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
      const double cover = double(hits) / (kSub * kSub);
      img.setPixel(x, y, toQRgb(mix(fromQRgb(img.pixel(x, y)), sum * (1.0 / hits), cover)));
    }
  }
}

// Lighting of a stone lit from the upper left: returns diffuse and specular terms for a
// point of the unit disc.
struct Light {
  double diffuse, specular, radius;
};

Light lightAt(double dx, double dy, double shininess) {
  const double rr = dx * dx + dy * dy;
  const double nz = std::sqrt(std::max(0.0, 1.0 - rr));
  // Light direction and the half vector towards a viewer straight above.
  const double lx = -0.45, ly = -0.55, lz = 0.70;
  const double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
  const double hx = lx / ll, hy = ly / ll, hz = lz / ll + 1.0;
  const double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
  const double diffuse = std::max(0.0, (dx * lx + dy * ly + nz * lz) / ll);
  const double glint = std::pow(std::max(0.0, (dx * hx + dy * hy + nz * hz) / hl), shininess);
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

void paintStone(QImage& img, double cx, double cy, double r, bool black) {
  if (black)
    paintDisc(img, cx, cy, r, blackStoneShade);
  else
    paintDisc(img, cx, cy, r, whiteStoneShade);
}

// Stone on a tile: 19 px across, centred on pixel (10,10).
constexpr double kStoneCentre = kMid + 0.5;
constexpr double kStoneRadius = 9.5;

// ---------------------------------------------------------------- bamboo

// A vertical bamboo culm filling the tile width, with a dark gap in column 0 and a node
// low in the tile. Column 21 repeats column 0 and every row depends only on y mod 21,
// so the pictures join when laid out on a 21-pixel grid with one column of overlap.
QImage bambooTile() {
  constexpr int w = 22, h = 21;
  const Rgb gap{8, 46, 10};
  const Rgb dark{28, 92, 24}, mid{72, 148, 40}, light{150, 200, 92};
  constexpr int node = 15;  // row of the node ridge
  QImage img = newImage(w, h);
  for (int y = 0; y < h; ++y) {
    for (int xx = 0; xx < w; ++xx) {
      const int x = xx % kTile;
      if (x == 0) {
        // Shadow between culms; a little lighter where the node ring bulges out.
        const double bulge = (y == node || y == node + 1) ? 14.0 : 0.0;
        img.setPixel(xx, y, toQRgb(gap + Rgb{bulge * 0.4, bulge, bulge * 0.3}));
        continue;
      }
      // Across the culm: n runs from -1 at the left edge to 1 at the right edge.
      const double n = (x - 0.5) / (kTile - 1.0) * 2.0 - 1.0;
      const double round = std::sqrt(std::max(0.0, 1.0 - n * n));
      double b = 0.25 + 0.75 * round * (1.0 - 0.30 * n);
      const double sheen = std::exp(-std::pow((n + 0.38) / 0.13, 2.0));
      // Fine lengthwise fibres.
      b += 0.07 * (rand01(x, 0, 21) - 0.5);
      // The segment darkens slightly just above a node and is light just below it.
      const int dy = (y - node + h) % h;  // 0 on the ridge, growing downwards
      const double along = double(dy) / h;
      b *= 0.90 + 0.14 * along;
      Rgb c = b < 0.6 ? mix(dark, mid, b / 0.6) : mix(mid, light, (b - 0.6) / 0.4);
      c = mix(c, Rgb{200, 230, 150}, 0.55 * sheen * round);
      // Node: a pale ridge over a dark groove.
      if (dy == 0) c = mix(c, Rgb{196, 222, 130}, 0.55);
      if (dy == 1) c = mix(c, Rgb{20, 60, 16}, 0.65);
      if (dy == 2) c = mix(c, Rgb{20, 60, 16}, 0.20);
      // Soft shadow at the culm edges.
      const double edge = std::max(0.0, std::abs(n) - 0.82) / 0.18;
      c = mix(c, dark * 0.7, 0.6 * edge);
      img.setPixel(xx, y, toQRgb(c));
    }
  }
  return img;
}

// ---------------------------------------------------------------- lettered pictures

struct Fonts {
  QString latin;     // bold serif for the name
  QString mincho;    // Japanese text and small Latin lines
};

QString loadFamily(const char* file, const char* fallback) {
  const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(file));
  if (id >= 0) {
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (!families.isEmpty()) return families.front();
  }
  std::fprintf(stderr, "tolvan-artgen: %s not found, using family %s\n", file, fallback);
  return QString::fromUtf8(fallback);
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

// Dark polished wood with wavy horizontal grain.
void fillDarkWood(QImage& img, int seed) {
  const Rgb deep{58, 30, 14}, warm{112, 62, 28};
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      const double wave = y + 3.0 * noise1(x * 0.035, seed) + 1.2 * noise2(x * 0.12, y * 0.3, seed + 1);
      const double ring = 0.5 + 0.5 * std::sin(wave * 0.9 + 2.0 * noise1(x * 0.02, seed + 2));
      const double t = 0.35 + 0.45 * ring * ring + 0.2 * noise2(x * 0.5, y * 0.08, seed + 3);
      img.setPixel(x, y, toQRgb(mix(deep, warm, std::clamp(t, 0.0, 1.0))));
    }
  }
}

// Raised frame: light on the upper and left edges, shadow on the lower and right ones.
void bevel(QImage& img, int width, double strength) {
  const int w = img.width(), h = img.height();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int d = std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y));
      if (d >= width) continue;
      const double k = strength * (1.0 - double(d) / width);
      const bool lit = x == d || y == d;
      Rgb c = fromQRgb(img.pixel(x, y));
      c = lit ? mix(c, Rgb{255, 245, 220}, k) : mix(c, Rgb{0, 0, 0}, k);
      img.setPixel(x, y, toQRgb(c));
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

void setupPainter(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
}

QImage titlePlate(const Fonts& fonts) {
  QImage img = newImage(120, 50);
  fillDarkWood(img, 31);
  bevel(img, 3, 0.45);
  QPainter p(&img);
  setupPainter(p);
  // Thin gold inlay.
  p.setPen(QPen(QColor(196, 152, 70), 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(4.5, 4.5, 111, 41));
  const QPainterPath name = textPath(QStringLiteral("Tolvan"), makeFont(fonts.latin, 25, true), 60, 22);
  drawOutlined(p, name, goldGradient(12, 32), QColor(30, 12, 4), 2.4);
  const QPainterPath go = textPath(QString::fromUtf8("囲 碁"), makeFont(fonts.mincho, 11), 60, 38.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(236, 220, 176));
  p.drawPath(go);
  // Small ornaments either side of the Japanese line.
  p.setPen(QPen(QColor(196, 152, 70), 1.0));
  p.drawLine(QPointF(30, 38.5), QPointF(45, 38.5));
  p.drawLine(QPointF(75, 38.5), QPointF(90, 38.5));
  return img;
}

QImage hintPanel(const Fonts& fonts, bool waiting) {
  constexpr int w = 109, h = 31;
  QImage img = newImage(w, h);
  QPainter p(&img);
  setupPainter(p);
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
  bevel(img, 2, 0.5);
  p.begin(&img);
  setupPainter(p);
  p.setPen(QPen(waiting ? QColor(120, 24, 8) : QColor(90, 78, 56), 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(3.5, 3.5, w - 7, h - 7));
  const QFont font = makeFont(fonts.mincho, 17);
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
  return img;
}

QImage versionPicture(const Fonts& fonts) {
  constexpr int w = 337, h = 106;
  QImage img = newImage(w, h);
  // Warm paper with a faint fibre texture.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double t = noise2(x * 0.7, y * 0.05, 41) * 0.6 + rand01(x, y, 42) * 0.4;
      const double shade = 1.0 - 0.05 * double(y) / h;
      img.setPixel(x, y, toQRgb(mix(Rgb{246, 238, 214}, Rgb{232, 220, 190}, t) * shade));
    }
  // A corner of a board with a few stones on the left. Everything sits above y = 72,
  // where the version window's two buttons stand.
  constexpr int bx = 12, by = 9, bs = 56, step = 11;
  for (int y = 0; y < bs; ++y)
    for (int x = 0; x < bs; ++x) img.setPixel(bx + x, by + y, toQRgb(boardSurface(x, y)));
  for (int i = 0; i < 5; ++i) {
    const int pos = 8 + i * step;
    for (int t = 8; t < bs; ++t) {
      img.setPixel(bx + pos, by + t, qRgb(0, 0, 0));
      img.setPixel(bx + t, by + pos, qRgb(0, 0, 0));
    }
  }
  auto at = [&](int col) { return bx + 8 + col * step + 0.5; };
  auto atY = [&](int row) { return by + 8 + row * step + 0.5; };
  paintDisc(img, at(3), atY(3), 1.6, [](double, double) { return Rgb{0, 0, 0}; });
  const double r = step / 2.0 - 0.6;
  paintStone(img, at(2), atY(2), r, true);
  paintStone(img, at(3), atY(2), r, false);
  paintStone(img, at(2), atY(3), r, false);
  paintStone(img, at(1), atY(3), r, true);
  paintStone(img, at(3), atY(4), r, true);
  paintStone(img, at(4), atY(1), r, false);
  QPainter p(&img);
  setupPainter(p);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(92, 60, 30), 1.0));
  p.drawRect(QRectF(bx - 0.5, by - 0.5, bs + 1, bs + 1));
  // Frame around the whole picture.
  p.setPen(QPen(QColor(104, 64, 30), 2.0));
  p.drawRect(QRectF(1, 1, w - 2, h - 2));
  p.setPen(QPen(QColor(176, 136, 76), 1.0));
  p.drawRect(QRectF(4.5, 4.5, w - 9, h - 9));

  const double left = 84;
  const QPainterPath name = textPathAt(QStringLiteral("Tolvan"), makeFont(fonts.latin, 28, true), left, 33);
  drawOutlined(p, name, goldGradient(12, 33), QColor(52, 26, 8), 2.0);
  auto ink = [&](const QPainterPath& path, const QColor& colour, double weight) {
    p.setPen(QPen(colour, weight));
    p.setBrush(colour);
    p.drawPath(path);
  };
  ink(textPathAt(QString::fromUtf8("囲碁 19路盤"), makeFont(fonts.mincho, 14), left + 2, 54), QColor(70, 40, 18), 0.5);
  ink(textPathAt(QStringLiteral("Version 1.0"), makeFont(fonts.mincho, 13), left + 130, 54), QColor(56, 44, 32), 0.4);
  ink(textPathAt(QString::fromUtf8("© 2026 Tolvan developers"), makeFont(fonts.mincho, 10), left + 2, 67),
      QColor(96, 80, 60), 0.3);
  p.setPen(QPen(QColor(176, 136, 76), 1.0));
  p.drawLine(QPointF(left + 2, 39.5), QPointF(w - 16, 39.5));
  return img;
}

// ---------------------------------------------------------------- output

bool save(const QImage& img, const QDir& dir, const QString& name) {
  const QString path = dir.filePath(name + QStringLiteral(".png"));
  const QImage rgb = img.convertToFormat(QImage::Format_RGB888);
  if (!rgb.save(path, "PNG")) {
    std::fprintf(stderr, "tolvan-artgen: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tolvan-artgen OUTPUT_FOLDER\n");
    return 2;
  }
  // Only off-screen painting happens here; never talk to a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!dir.exists() && !QDir().mkpath(dir.path())) {
    std::fprintf(stderr, "tolvan-artgen: cannot create %s\n", argv[1]);
    return 1;
  }

  Fonts fonts;
  fonts.mincho = loadFamily("/usr/share/fonts/opentype/ipafont-mincho/ipamp.ttf", "IPAPMincho");
  fonts.latin = loadFamily("/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf", "DejaVu Serif");

  bool ok = true;
  for (const Place& place : kPlaces) {
    const QString suffix = QString::fromLatin1(place.suffix);
    const QImage empty = boardPiece(place);
    ok &= save(empty, dir, QStringLiteral("KARA") + suffix);
    for (bool black : {true, false}) {
      QImage stone = empty;
      paintStone(stone, kStoneCentre, kStoneCentre, kStoneRadius, black);
      ok &= save(stone, dir, (black ? QStringLiteral("KURO") : QStringLiteral("SIRO")) + suffix);
    }
    if (std::string_view(place.suffix) == "NAKA") {
      QImage star = empty;
      paintDisc(star, kStoneCentre, kStoneCentre, 1.9, [](double, double) { return Rgb{0, 0, 0}; });
      ok &= save(star, dir, QStringLiteral("KARANAKATEN"));
    }
  }
  for (bool black : {true, false}) {
    QImage off = newImage(kTile, kTile, Rgb{0, 120, 0});
    paintStone(off, kStoneCentre, kStoneCentre, kStoneRadius, black);
    ok &= save(off, dir, black ? QStringLiteral("KUROSOTO") : QStringLiteral("SIROSOTO"));
  }
  ok &= save(newImage(22, 21, Rgb{0, 157, 0}), dir, QStringLiteral("HAIKEI_MIDORI"));
  ok &= save(bambooTile(), dir, QStringLiteral("HAIKEI_TAKE"));
  ok &= save(titlePlate(fonts), dir, QStringLiteral("RABERU"));
  ok &= save(hintPanel(fonts, false), dir, QStringLiteral("SINAN_MODE"));
  ok &= save(hintPanel(fonts, true), dir, QStringLiteral("SINAN_SURU"));
  ok &= save(versionPicture(fonts), dir, QStringLiteral("VERSION"));
  return ok ? 0 : 1;
}
