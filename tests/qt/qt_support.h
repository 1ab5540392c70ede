// What the tests of the real window share: the offscreen application, and where board
// points and stones are on the canvas at the window's own size.
#pragma once

#include <QApplication>
#include <QColor>
#include <QPoint>

#include "window/canvas_widget.h"
#include "game/state.h"

namespace tolvan {

// The application every window test needs, made once; offscreen unless the test's
// environment names a platform.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "tolvan_qt_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}

// The top-left pixel of board cell (i, j), counted on the canvas at 100 %.
inline QPoint cellPixel(int i, int j) {
    return {twipsToPixels(board_left + i * cell_width), twipsToPixels(board_top + j * cell_height)};
}

// A black stone's colour.
inline bool isDark(QColor c) { return c.red() < 80 && c.green() < 80 && c.blue() < 80; }

}  // namespace tolvan
