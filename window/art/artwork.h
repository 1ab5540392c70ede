// The game's pictures, painted at any board cell size. The shipped files in res/ are the
// pictures at a cell of 21 pixels; the window paints its own at other sizes so that they
// are sharp at the real device pixel size instead of being enlarged.
//
// Every picture is computed from fixed formulas and fonts loaded from fixed files, so
// the same name and cell give the same pixels on the same system.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace tolvan::art {

// Names of every picture the game uses, as the files in res/ are named (without ".png").
const QStringList& pictureNames();

// The picture `name` painted for a board cell of `cell` device pixels (21 is the size the
// shipped files have; any cell from 8 to 256 works). A null image for an unknown name or
// a cell outside 8..256. Format_RGB32. Thread-compatible; loads its fonts on first use
// (needs a QGuiApplication).
QImage paint(const QString& name, int cell);

// The size `name` has at `cell`: tiles cell x cell; HAIKEI_MIDORI and HAIKEI_TAKE
// (cell + 1) x cell; RABERU, SINAN_MODE, SINAN_SURU and VERSION their 21-cell size
// times cell / 21, rounded (std::lround) in each direction. An invalid size for an
// unknown name or a cell outside 8..256.
QSize pictureSize(const QString& name, int cell);

// Where a point's lines cross inside a board tile of `cell` pixels: the stone's centre
// is at cell / 2.0 in both directions, and the line is `lineWidth(cell)` pixels thick,
// covering [cell/2 - w/2, cell/2 + w/2).
int lineWidth(int cell);

// The program's icon, `size` x `size` pixels with transparent rounded corners: a black
// and a white stone on two crossings of a piece of the board. Format_ARGB32; a null image
// for a size outside kMinIconSize..kMaxIconSize. Not one of pictureNames(): the window
// does not use it, the installed desktop entry does.
QImage paintIcon(int size);
inline constexpr int kMinIconSize = 16;
inline constexpr int kMaxIconSize = 1024;

// The smallest and largest cell paint() accepts.
inline constexpr int kMinCell = 8;
inline constexpr int kMaxCell = 256;

}  // namespace tolvan::art
