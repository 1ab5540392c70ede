// tolvan-artgen: paints every picture the game window uses at one board cell size and
// writes them as 24-bit PNG files into the folder named on the command line. Without a
// cell it paints the shipped size, 21, which is what res/ holds.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "art/artwork.h"

namespace {

bool save(const QImage& img, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    const QImage rgb = img.convertToFormat(QImage::Format_RGB888);
    if (!rgb.save(path, "PNG")) {
        std::fprintf(stderr, "tolvan-artgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The cell from the command line: a whole number paint() accepts, else 0.
int parseCell(const char* text) {
    const std::string s(text);
    if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos || s.size() > 3) return 0;
    const int cell = std::atoi(text);
    return cell >= tolvan::art::kMinCell && cell <= tolvan::art::kMaxCell ? cell : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int cell = argc == 3 ? parseCell(argv[2]) : 21;
    if (argc < 2 || argc > 3 || cell == 0) {
        std::fprintf(stderr, "usage: tolvan-artgen OUTPUT_FOLDER [CELL]\n"
                             "  CELL: board cell in pixels, %d to %d (default 21)\n",
                     tolvan::art::kMinCell, tolvan::art::kMaxCell);
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
    bool ok = true;
    for (const QString& name : tolvan::art::pictureNames()) ok &= save(tolvan::art::paint(name, cell), dir, name);
    return ok ? 0 : 1;
}
