// tolvan-artgen: paints every picture the game window uses at one board cell size and
// writes them as 24-bit PNG files into the folder named on the command line. Without a
// cell it paints the shipped size, 21, which is what res/ holds.
//
// With --icons it paints the program's icon instead, once for each size named, into
// OUTPUT_FOLDER/<size>x<size>/apps/tolvan.png as an icon theme lays them out.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "window/art/artwork.h"

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

// The icon at each size named in `sizes`, as 32-bit PNG files with transparency.
int writeIcons(const QDir& dir, const QStringList& sizes) {
    bool ok = true;
    for (const QString& text : sizes) {
        bool number = false;
        const int size = text.toInt(&number);
        const QImage icon = number ? tolvan::art::paintIcon(size) : QImage();
        if (icon.isNull()) {
            std::fprintf(stderr, "tolvan-artgen: icon size %s is not a number from %d to %d\n", qPrintable(text),
                         tolvan::art::kMinIconSize, tolvan::art::kMaxIconSize);
            return 2;
        }
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = dir.filePath(folder + QStringLiteral("/tolvan.png"));
        if (!dir.mkpath(folder) || !icon.save(path, "PNG")) {
            std::fprintf(stderr, "tolvan-artgen: cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--icons") == 0) {
        if (argc < 4) {
            std::fprintf(stderr, "usage: tolvan-artgen --icons OUTPUT_FOLDER SIZE...\n");
            return 2;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QStringList sizes;
        for (int i = 3; i < argc; ++i) sizes << QString::fromLocal8Bit(argv[i]);
        return writeIcons(QDir(QString::fromLocal8Bit(argv[2])), sizes);
    }
    const int cell = argc == 3 ? parseCell(argv[2]) : 21;
    if (argc < 2 || argc > 3 || cell == 0) {
        std::fprintf(stderr, "usage: tolvan-artgen OUTPUT_FOLDER [CELL]\n"
                             "       tolvan-artgen --icons OUTPUT_FOLDER SIZE...\n"
                             "  CELL: board cell in pixels, %d to %d (default 21)\n"
                             "  SIZE: icon side in pixels, %d to %d\n",
                     tolvan::art::kMinCell, tolvan::art::kMaxCell, tolvan::art::kMinIconSize,
                     tolvan::art::kMaxIconSize);
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
