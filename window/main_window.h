// The main window: the menu bar over the canvas, the Qt side of the platform port, and
// the game, whose handlers every window event is passed to.
#pragma once

#include <QDeadlineTimer>
#include <QMainWindow>

#include <memory>

#include "window/dialogs.h"
#include "window/engine_port.h"
#include "window/menu_bar.h"
#include "window/system_ports.h"
#include "platform/deferred_sound.h"
#include "platform/port.h"

namespace tolvan {

class CanvasWidget;
class ReviewPanel;
class Tolvan;

class MainWindow : public QMainWindow, public Window {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the game's start-up and shows the window; the sound library is loaded once
    // the window has been painted. Returns false when the game ended during start-up
    // (there is then no event loop to run).
    bool start();

    // 棋譜を開く for a file named on the command line or dropped on the window: the same
    // checks, messages and question. Nothing during the computer's turn or after the end.
    void openRecord(const QString& path);

    // True once the game has ended the program; no event reaches the game after.
    bool ended() const;

    Tolvan& game() { return *game_; }
    CanvasWidget& canvas() { return *canvas_; }
    DialogsPort& dialogs() { return dialogs_; }
    MenuBarPort& menu() { return *menu_; }
    EnginePort& engines() { return engines_; }
    ClockPort& clock() { return clock_; }

    std::int32_t handle() override;
    void endProgram() override;
    // At the end of the computer's turn, what the person did meanwhile is delivered and
    // discarded; only then does the window take input again.
    void computerTurn(bool running) override;
    // 表示の大きさ: whether the window at `percent` per cent fits on the screen's
    // available area, frame included; and the window taking that size.
    bool sizeFits(int percent) override;
    void setSize(int percent) override;
    void setLines(int lines) override;
    int sizePercent() const { return sizePercent_; }

    // For pictures taken without a screen: every size counts as fitting.
    void ignoreScreenSize() { ignoreScreen_ = true; }

    // The game's key code for a Qt key: Escape is 27, and the other common keys take
    // the codes of the original keyboard layout (Enter 13, arrows 37..40, F1 112 ...).
    static int keyCode(int qtKey);

protected:
    // Sees input, and Escape in particular, before any part of the window does.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // While the window settles, where the window system puts it is fitted to the screen.
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // A game record (one .sgf file) dragged from a file manager.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Fits the window, frame included, on its screen's available area; place puts the
    // frame at the area's top-left corner.
    void fitToScreen(bool place);
    // After the window is shown or takes another size, a window manager may place or
    // size it later and anywhere (lower on the screen, or as it was before): for a
    // short while each move or size it makes is followed by a fit, and the fit is
    // checked again once the window has been framed.
    void settle();
    // The canvas, the fonts and the window at `percent` per cent for the screen's
    // device pixel ratio as it is now.
    void applySize(int percent);
    // The window moved to a screen of another device pixel ratio: drawn again for it.
    void screenChanged();
    // Loads the sound library and does what the game has asked of its stand-in so far;
    // warns of what the library refused. Once only, and not after the end.
    void loadSound();

    CanvasWidget* canvas_;
    std::unique_ptr<MenuBarPort> menu_;
    DialogsPort dialogs_;
    ClockPort clock_;
    BrowserPort browser_;
    EnginePort engines_;
    SoundLibrary sound_;
    // Stands in for the sound library from the start until it is loaded.
    std::unique_ptr<DeferredSound> soundStandIn_;
    QString soundLibrary_;
    bool painted_ = false;
    std::unique_ptr<Platform> platform_;
    std::unique_ptr<Tolvan> game_;
    // 検討's window, shown once a review is asked for.
    ReviewPanel* review_;
    bool programEnded_ = false;
    bool computerTurn_ = false;
    // Escape pressed while the computer's turn could not be given up at once.
    bool escapePending_ = false;
    int sizePercent_ = 100;
    bool ignoreScreen_ = false;
    QDeadlineTimer settling_{0};
    bool fitting_ = false;
};

}  // namespace tolvan
