// The picture painters: at the shipped cell of 21 they give exactly the files in res/,
// and at every other cell the board pieces keep the geometry the window lays them out
// by: lines lineWidth(cell) thick around cell / 2, stones centred there.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "window/art/artwork.h"

namespace tolvan::art {
namespace {

const int kCells[] = {21, 28, 35, 42, 63, 32};

struct Piece {
    const char* suffix;
    bool left, right, up, down;
};
const Piece kPieces[] = {
    {"UEHIDARI", false, true, false, true},  {"UENAKA", true, true, false, true},
    {"UEMIGI", true, false, false, true},    {"HIDARINAKA", false, true, true, true},
    {"NAKA", true, true, true, true},        {"MIGINAKA", true, false, true, true},
    {"SITAHIDARI", false, true, true, false}, {"SITANAKA", true, true, true, false},
    {"SITAMIGI", true, false, true, false},
};

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i < to; ++i) v.push_back(i);
    return v;
}

// The positions of the black pixels along column x (or along row y when across).
std::vector<int> blacks(const QImage& img, int at, bool across) {
    std::vector<int> v;
    for (int i = 0; i < (across ? img.width() : img.height()); ++i)
        if ((img.pixel(across ? i : at, across ? at : i) & 0xffffff) == 0) v.push_back(i);
    return v;
}

TEST(ArtworkTest, ShippedCellGivesTheFilesInRes) {
    const QDir res(QStringLiteral(TOLVAN_RES_DIR));
    QStringList files = res.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    files.replaceInStrings(QStringLiteral(".png"), QString());
    EXPECT_EQ(files, pictureNames());
    for (const QString& name : pictureNames()) {
        const QImage shipped(res.filePath(name + QStringLiteral(".png")));
        ASSERT_FALSE(shipped.isNull()) << qPrintable(name);
        const QImage painted = paint(name, 21);
        EXPECT_EQ(painted.format(), QImage::Format_RGB32) << qPrintable(name);
        EXPECT_TRUE(painted.convertToFormat(QImage::Format_RGB888) == shipped.convertToFormat(QImage::Format_RGB888))
            << qPrintable(name) << " differs from the shipped file";
    }
}

TEST(ArtworkTest, LineWidthSitsOnWholePixelsAroundTheCentre) {
    const std::pair<int, int> known[] = {{21, 1}, {28, 2}, {35, 1}, {42, 2}, {63, 3},
                                         {32, 2}, {84, 4}, {126, 6}, {8, 2}};
    for (const auto& [cell, width] : known) EXPECT_EQ(lineWidth(cell), width) << cell;
}

// Every board piece: lines exactly lineWidth thick wherever they are not under a stone,
// reaching the edges that have neighbours and stopping at the crossing elsewhere.
TEST(ArtworkTest, BoardPiecesKeepTheirLinesAtEveryCell) {
    for (int cell : kCells) {
        SCOPED_TRACE(cell);
        const int w = lineWidth(cell), lo = (cell - w) / 2, hi = lo + w;
        const std::vector<int> line = range(lo, hi), none;
        for (const Piece& p : kPieces) {
            QStringList names = {QStringLiteral("KARA"), QStringLiteral("KURO"), QStringLiteral("SIRO")};
            for (QString& n : names) n += QString::fromLatin1(p.suffix);
            if (names[0] == QStringLiteral("KARANAKA")) names << QStringLiteral("KARANAKATEN");
            for (const QString& name : names) {
                SCOPED_TRACE(qPrintable(name));
                const QImage img = paint(name, cell);
                ASSERT_EQ(img.size(), QSize(cell, cell));
                // Columns and rows this far from the edges are clear of the stone and
                // of the star point.
                const bool empty = name.startsWith(QStringLiteral("KARA"));
                const int reach = name == names[0] ? lo : cell / 21;
                for (int i = 0; i < reach; ++i) {
                    EXPECT_EQ(blacks(img, i, false), p.left ? line : none) << "column " << i;
                    EXPECT_EQ(blacks(img, cell - 1 - i, false), p.right ? line : none) << "column " << cell - 1 - i;
                    EXPECT_EQ(blacks(img, i, true), p.up ? line : none) << "row " << i;
                    EXPECT_EQ(blacks(img, cell - 1 - i, true), p.down ? line : none) << "row " << cell - 1 - i;
                }
                if (!empty) continue;
                for (int i = lo; i < hi; ++i) {
                    EXPECT_EQ(blacks(img, i, true), range(p.left ? 0 : lo, p.right ? cell : hi)) << "row " << i;
                    EXPECT_EQ(blacks(img, i, false), range(p.up ? 0 : lo, p.down ? cell : hi)) << "column " << i;
                }
            }
        }
    }
}

// The stone's outline on the plain green square: its pixels mirror about cell / 2 in
// both directions (a sample may fall either way at the rim), and it covers the area of
// a disc 19 / 21 of the cell across.
TEST(ArtworkTest, StonesAreCentredAndScaled) {
    for (int cell : kCells) {
        for (const char* name : {"KUROSOTO", "SIROSOTO"}) {
            SCOPED_TRACE(testing::Message() << name << " at " << cell);
            const QImage img = paint(QString::fromLatin1(name), cell);
            auto stone = [&](int x, int y) { return img.pixel(x, y) != qRgb(0, 120, 0); };
            int area = 0, unmatchedAcross = 0, unmatchedDown = 0;
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < cell; ++x) {
                    area += stone(x, y);
                    unmatchedAcross += stone(x, y) != stone(cell - 1 - x, y);
                    unmatchedDown += stone(x, y) != stone(x, cell - 1 - y);
                }
            EXPECT_LE(unmatchedAcross, 2);
            EXPECT_LE(unmatchedDown, 2);
            const double radius = 9.5 * cell / 21;
            EXPECT_NEAR(area, 3.14159 * radius * radius, 2 * 3.14159 * radius);
        }
    }
}

// At 42 the stone is painted at its own size: most pixels along its rim differ from
// the 21 stone doubled pixel for pixel.
TEST(ArtworkTest, LargerCellsAreNotEnlargements) {
    const QImage doubled = paint(QStringLiteral("KURONAKA"), 21).scaled(42, 42, Qt::IgnoreAspectRatio,
                                                                        Qt::FastTransformation);
    const QImage real = paint(QStringLiteral("KURONAKA"), 42);
    int rim = 0, different = 0;
    for (int y = 0; y < 42; ++y)
        for (int x = 0; x < 42; ++x) {
            if (std::abs(std::hypot(x + 0.5 - 21.0, y + 0.5 - 21.0) - 19.0) > 0.75) continue;
            ++rim;
            const QRgb a = doubled.pixel(x, y), b = real.pixel(x, y);
            const int diff = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                       std::abs(qBlue(a) - qBlue(b))});
            different += diff > 16;
        }
    EXPECT_GT(different, rim / 3) << different << " of " << rim << " rim pixels differ";
}

TEST(ArtworkTest, PictureSizeAgreesWithThePainting) {
    for (int cell : {8, 21, 32, 126}) {
        for (const QString& name : pictureNames()) {
            const QImage img = paint(name, cell);
            EXPECT_EQ(img.size(), pictureSize(name, cell)) << qPrintable(name) << " at " << cell;
            if (name != QStringLiteral("HAIKEI_TAKE")) continue;
            // The bamboo's last column repeats its first, for tiles laid one column over.
            for (int y = 0; y < cell; ++y) EXPECT_EQ(img.pixel(cell, y), img.pixel(0, y)) << cell << " row " << y;
        }
    }
    EXPECT_EQ(pictureSize(QStringLiteral("HAIKEI_MIDORI"), 42), QSize(43, 42));
    EXPECT_EQ(pictureSize(QStringLiteral("VERSION"), 42), QSize(674, 212));
    EXPECT_EQ(pictureSize(QStringLiteral("RABERU"), 32), QSize(183, 76));
    for (const QString& name : {QStringLiteral("NOPE"), QStringLiteral("kuronaka"), QString()}) {
        EXPECT_TRUE(paint(name, 21).isNull()) << qPrintable(name);
        EXPECT_FALSE(pictureSize(name, 21).isValid()) << qPrintable(name);
    }
    EXPECT_TRUE(paint(QStringLiteral("KURONAKA"), 7).isNull());
    EXPECT_TRUE(paint(QStringLiteral("KURONAKA"), 257).isNull());
}

// The icon: square, its corners transparent and its inside opaque, a dark stone on the
// upper left crossing and a light one on the lower right, at every installed size; not
// one of the window's pictures.
TEST(ArtworkIconTest, TwoStonesOnABoardWithRoundCorners) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        SCOPED_TRACE(size);
        const QImage icon = paintIcon(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel());
        for (QPoint corner : {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)})
            EXPECT_LT(qAlpha(icon.pixel(corner)), size < 24 ? 64 : 1) << corner.x() << "," << corner.y();
        for (int i = size / 8; i < size - size / 8; ++i) {
            EXPECT_EQ(qAlpha(icon.pixel(i, size / 2)), 255) << "across at " << i;
            EXPECT_EQ(qAlpha(icon.pixel(size / 2, i)), 255) << "down at " << i;
        }
        const auto at = [&](double x, double y) { return icon.pixel(int(x * size), int(y * size)); };
        // Beside the lines, inside each stone: grey, dark and light.
        for (QRgb stone : {at(0.36, 0.36), at(0.64, 0.64)})
            EXPECT_LT(std::abs(qRed(stone) - qBlue(stone)), 20) << std::hex << stone;
        EXPECT_LT(qGray(at(0.36, 0.36)), 80);
        EXPECT_GT(qGray(at(0.64, 0.64)), 170);
        // The board around them: light yellow wood.
        for (QRgb wood : {at(0.5, 0.4), at(0.2, 0.8), at(0.8, 0.2)}) {
            EXPECT_GT(qRed(wood) - qBlue(wood), 60) << std::hex << wood;
            EXPECT_GT(qGray(wood), 120) << std::hex << wood;
        }
        EXPECT_TRUE(icon == paintIcon(size)) << "not the same picture twice";
    }
    EXPECT_TRUE(paintIcon(kMinIconSize - 1).isNull());
    EXPECT_TRUE(paintIcon(kMaxIconSize + 1).isNull());
    EXPECT_FALSE(pictureNames().contains(QStringLiteral("ICON")));
}

}  // namespace
}  // namespace tolvan::art

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
