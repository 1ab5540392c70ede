// What the tests of the real window share: the offscreen application, where board
// points and stones are on the canvas at the window's own size, and a count of paints.
#pragma once

#include <QApplication>
#include <QColor>
#include <QEvent>
#include <QObject>
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

// Paint events of a widget, counted.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace tolvan
