#include "window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

#include "game/board_size.h"
#include "game/estimate_view.h"
#include "game/kifu.h"
#include "game/opponent.h"
#include "window/canvas_widget.h"
#include "window/picture_cache.h"
#include "window/review_panel.h"
#include "game/tolvan.h"
#include "game/sound/refusals.h"

namespace tolvan {

namespace {

// The desktop's style with the room it measures in pixels around texts (margins,
// paddings, indicators, the space beside a menu item's or a button's text) grown as the
// texts grow, so that menus, message boxes and buttons hold their texts at every size.
class ScaledStyle : public QProxyStyle {
public:
    ScaledStyle(const QString& base, double factor) : QProxyStyle(QStyleFactory::create(base)), factor_(factor) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const int base = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
        case PM_ButtonMargin:
        case PM_MenuHMargin:
        case PM_MenuVMargin:
        case PM_MenuBarHMargin:
        case PM_MenuBarVMargin:
        case PM_MenuBarItemSpacing:
        case PM_LayoutLeftMargin:
        case PM_LayoutTopMargin:
        case PM_LayoutRightMargin:
        case PM_LayoutBottomMargin:
        case PM_LayoutHorizontalSpacing:
        case PM_LayoutVerticalSpacing:
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
        case PM_SmallIconSize:
        case PM_ButtonIconSize:
        case PM_MessageBoxIconSize:
            return static_cast<int>(std::lround(base * factor_));
        default:
            return base;
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override {
        QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
        if (type == CT_MenuItem || type == CT_MenuBarItem || type == CT_PushButton) {
            const int room = std::max(0, size.width() - contents.width());
            size.rwidth() += static_cast<int>(std::lround(room * (factor_ - 1)));
        }
        return size;
    }

private:
    double factor_;
};

// The texts of the window's own widgets (menus, message boxes, the version window's
// buttons) at `percent` per cent of the desktop's font size, with the room around them.
void scaleApplicationFont(int percent) {
    static const QFont desktop = QApplication::font();
    static const QString desktopStyle = QApplication::style()->name();
    if (percent != 100)
        QApplication::setStyle(new ScaledStyle(desktopStyle, percent / 100.0));
    else if (dynamic_cast<ScaledStyle*>(QApplication::style()))
        QApplication::setStyle(QStyleFactory::create(desktopStyle));
    QFont font = desktop;
    if (percent != 100) {
        if (desktop.pointSizeF() > 0)
            font.setPointSizeF(desktop.pointSizeF() * percent / 100.0);
        else
            font.setPixelSize(static_cast<int>(std::lround(desktop.pixelSize() * percent / 100.0)));
    }
    if (font != QApplication::font()) QApplication::setFont(font);
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), dialogs_(this) {
    setWindowTitle(QStringLiteral("Tolvan"));
    setAcceptDrops(true);

    // The bar stays inside the window on every desktop, so the canvas keeps its place.
    menuBar()->setNativeMenuBar(false);
    menu_ = std::make_unique<MenuBarPort>(menuBar(), engines_.installed(), engines_.levels());
    // The backing image is the size of the whole window; the canvas below the menu bar
    // shows as much of it as fits.
    canvas_ = new CanvasWidget(this);
    canvas_->setObjectName(QStringLiteral("canvas"));
    setCentralWidget(canvas_);
    applySize(100);
    // Sizes that would not fit the screen are offered greyed out.
    if (QAction* sizes = menu_->action("BAN_OOKISA"); sizes && sizes->menu())
        connect(sizes->menu(), &QMenu::aboutToShow, this, [this] {
            for (int p : board_sizes)
                if (QAction* a = menu_->action(boardSizeItem(p))) a->setEnabled(p == 100 || sizeFits(p));
        });

    platform_.reset(
        new Platform{*canvas_, *menu_, dialogs_, clock_, sound_, browser_, *this, engines_});
    game_ = std::make_unique<Tolvan>(*platform_);
    // Beside the program when it runs from a folder that holds its data; an installed
    // game keeps it in the user's configuration folder.
    game_->settings_file = clock_.places.settingsFile();
    game_->kept.folder = clock_.places.keptGamesFolder();

    // The review's window may change the board while nothing else is under way; it follows
    // whatever the game did.
    review_ = new ReviewPanel(this, *game_, [this] { return !ended() && !computerTurn_ && !engines_.suggesting(); });
    canvas_->onMousePress = [this](QPointF twips) {
        if (ended() || computerTurn_) return;
        game_->MouseDown(twips.x(), twips.y());
        if (!ended()) review_->follow();
    };
    menu_->onCommand = [this](const std::string& item) {
        if (ended()) return;
        // While an engine thinks, the commands that leave the game alone stay usable.
        const bool harmless = item == "KAISETU" || item == "VER" || item == "BGM";
        if ((computerTurn_ || engines_.suggesting()) && !(harmless && engines_.waiting())) return;
        game_->MenuClick(item);
        if (ended()) return;
        // 検討 runs in the window, once the game has put its marks away as for any command.
        if (item == "KENTOU") review_->start();
        review_->follow();
    };
    clock_.beforeWait = [this] {
        if (canvas_->isVisible()) canvas_->repaint();
    };
    // Escape, and any input during the computer's turn, is taken before it reaches the
    // part of the window it was meant for.
    QCoreApplication::instance()->installEventFilter(this);
}

MainWindow::~MainWindow() { review_->stop(); }

bool MainWindow::start() {
    // Loading the sound library takes longer than all the rest of the start-up: until the
    // window has been painted the game talks to a stand-in. Without a library the game
    // gets the empty table and warns at once, as always.
    soundLibrary_ = soundLibraryPath();
    if (!soundLibrary_.isEmpty()) {
        soundStandIn_ = std::make_unique<DeferredSound>();
        sound_ = DeferredSound::table();
    }
    game_->Form_Load();
    if (ended()) return false;
    fitToScreen(true);
    show();
    settle();
    // Should the window not be painted soon (it may start hidden), the sounds come anyway.
    if (soundStandIn_) QTimer::singleShot(1000, this, [this] { loadSound(); });
    if (QWindow* w = windowHandle()) connect(w, &QWindow::screenChanged, this, [this] { screenChanged(); });
    return true;
}

void MainWindow::loadSound() {
    if (!soundStandIn_ || soundStandIn_->arrived() || ended()) return;
    SoundLibrary library;
    loadSoundLibrary(library, soundLibrary_);
    const DeferredSound::Refused refused = soundStandIn_->arrive(library);
    warnRefusedSounds(*game_, refused.device, refused.sounds);
}

// The whole window, frame and title bar included, goes on the screen's available area.
// A window that would not fit is made smaller: the menu bar keeps its height, and the
// canvas shows the picture scaled down (the game still draws it, and takes presses, at
// full size). At first the frame goes to the area's top-left corner; later it is moved
// only as far as it must.
void MainWindow::fitToScreen(bool place) {
    QScreen* screen = this->screen();
    if (!screen || fitting_) return;
    // Moving and sizing the window may report back at once.
    fitting_ = true;
    const QRect area = screen->availableGeometry();
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    const QSize full = canvas_->logicalSize();
    const int bar = menuBar()->sizeHint().height();

    double scale = 1.0;
    scale = std::min(scale, double(area.width() - frameExtra.width()) / full.width());
    scale = std::min(scale, double(area.height() - frameExtra.height() - bar) / (full.height() - bar));
    scale = std::max(scale, 0.25);
    const QSize size(static_cast<int>(std::floor(full.width() * scale)),
                     bar + static_cast<int>(std::floor((full.height() - bar) * scale)));
    canvas_->setViewScale(scale);
    if (size != this->size()) setFixedSize(size);

    const QSize frameSize = size + frameExtra;
    QPoint at = place ? area.topLeft() : frameGeometry().topLeft();
    at.setX(std::max(area.left(), std::min(at.x(), area.left() + area.width() - frameSize.width())));
    at.setY(std::max(area.top(), std::min(at.y(), area.top() + area.height() - frameSize.height())));
    if (place || at != frameGeometry().topLeft()) move(at);
    fitting_ = false;
}

void MainWindow::settle() {
    settling_.setRemainingTime(2000);
    // The frame is known once the window manager has framed the window, which may take
    // a moment.
    for (int ms : {0, 500}) QTimer::singleShot(ms, this, [this] { fitToScreen(false); });
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (isVisible() && !settling_.hasExpired()) fitToScreen(false);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (isVisible() && !settling_.hasExpired()) fitToScreen(false);
}

void MainWindow::applySize(int percent) {
    sizePercent_ = percent;
    const double dpr = devicePixelRatioF();
    canvas_->setCell(cellPixels(percent, dpr), dpr);
    canvas_->setViewScale(1.0);
    scaleApplicationFont(percent);
    dialogs_.sizePercent = percent;
    setFixedSize(canvas_->logicalSize());
    if (isVisible()) {
        fitToScreen(false);
        settle();
    }
}

void MainWindow::setSize(int percent) { applySize(percent); }

void MainWindow::setLines(int lines) {
    canvas_->setLines(lines);
    applySize(sizePercent_);
}

bool MainWindow::sizeFits(int percent) {
    if (ignoreScreen_ || percent == 100) return true;
    QScreen* screen = this->screen();
    if (!screen) return false;
    const QRect area = screen->availableGeometry();
    // The frame as the window manager drew it; before the window is shown, a usual one.
    const QSize frameExtra = isVisible() ? frameGeometry().size() - geometry().size() : QSize(8, 32);
    const double dpr = devicePixelRatioF();
    const QSize window = CanvasWidget::logicalSizeAt(cellPixels(percent, dpr), dpr, canvas_->lines()) + frameExtra;
    return window.width() <= area.width() && window.height() <= area.height();
}

void MainWindow::screenChanged() {
    if (devicePixelRatioF() == canvas_->devicePixelRatioShown() || ended() || computerTurn_) return;
    applySize(sizePercent_);
    game_->画面_再描画();
}

void MainWindow::openRecord(const QString& path) {
    if (ended() || computerTurn_ || engines_.suggesting()) return;
    // A record dropped on the window is a command like the menu's: the estimate's marks
    // go first.
    dismissEstimate(*game_);
    openKifuFile(*game_, path.toStdString());
    if (!ended()) review_->follow();
}

namespace {

// The one local .sgf file that a drag carries, or nothing.
QString droppedRecord(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
    const QUrl url = data->urls().first();
    if (!url.isLocalFile() || !url.toLocalFile().endsWith(QStringLiteral(".sgf"), Qt::CaseInsensitive)) return {};
    return url.toLocalFile();
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!ended() && !computerTurn_ && !droppedRecord(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

// The drop is answered at once; the record is opened (and any question asked) after it,
// so that the file manager is not kept waiting.
void MainWindow::dropEvent(QDropEvent* event) {
    const QString file = droppedRecord(event->mimeData());
    if (file.isEmpty() || ended() || computerTurn_) return;
    event->acceptProposedAction();
    QTimer::singleShot(0, this, [this, file] { openRecord(file); });
}

bool MainWindow::ended() const { return programEnded_ || game_->ended; }

std::int32_t MainWindow::handle() {
    auto id = static_cast<std::int32_t>(winId());
    return id != 0 ? id : 1;
}

// The computer's turn runs inside a press or command and sleeps without handling events,
// so what the person pressed, chose or typed meanwhile is still queued when it ends. It
// is delivered here, while the turn still counts as running, and so goes nowhere.
void MainWindow::computerTurn(bool running) {
    if (running) {
        computerTurn_ = true;
        return;
    }
    QCoreApplication::processEvents();
    computerTurn_ = false;
    // An Escape pressed during the turn ends the program now that the turn is over.
    if (escapePending_ && !ended()) game_->KeyDown(keyCode(Qt::Key_Escape));
    escapePending_ = false;
}

void MainWindow::endProgram() {
    if (programEnded_) return;
    programEnded_ = true;
    close();
    QCoreApplication::quit();
}

int MainWindow::keyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Escape: return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Space: return 32;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Delete: return 46;
    default: break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return 112 + (qtKey - Qt::Key_F1);
    // Letters and digits already carry their upper-case ASCII codes.
    return qtKey;
}

// During the computer's turn presses on the board and keys go nowhere (but for a level's
// turn, where a press or Escape has it play now); the menus still open (their commands
// are sorted out in onCommand). Escape ends the program whichever part of the window has
// the keyboard: after a menu was closed with Escape the menu bar keeps the keyboard and
// would swallow the next one. While a menu or a modal window is open, Escape belongs to
// it.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    // What the start-up can leave for later is done right after the window's first
    // picture is on the screen: the sounds are prepared, the pictures painted are kept.
    if (event->type() == QEvent::Paint && widget == canvas_ && !painted_) {
        painted_ = true;
        QTimer::singleShot(0, this, [this] {
            loadSound();
            if (PictureCache* pictures = pictureCache()) pictures->writeKept();
            // The engines found installed are offered once they have answered.
            engines_.onInstalled = [this] {
                menu_->setEngines(engines_.installed());
                if (!ended()) tickOpponentChoice(*game_);
            };
            engines_.findInstalled();
        });
    }
    // While an engine is asked for a hint, a press on the board or Escape cancels the
    // question, and any other press on the board or key goes nowhere.
    if (engines_.suggesting() && !QApplication::activePopupWidget() && !QApplication::activeModalWidget()) {
        const bool onBoard = widget == canvas_ || canvas_->isAncestorOf(widget);
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) engines_.cancel();
            return true;
        case QEvent::MouseButtonPress:
            if (onBoard) engines_.cancel();
            return onBoard;
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return onBoard;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            return true;
        default:
            return false;
        }
    }
    // While one of Tolvan's levels has the turn, a press on the board or Escape asks it to
    // play its best move so far. Pressed a moment before it starts or after it has
    // answered, they were meant for the same, and go nowhere: Escape does not end the
    // program during a level's turn.
    if (computerTurn_ && engines_.levelInUse() && !QApplication::activePopupWidget() &&
        !QApplication::activeModalWidget()) {
        const bool onBoard = widget == canvas_ || canvas_->isAncestorOf(widget);
        if ((event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) ||
            (event->type() == QEvent::MouseButtonPress && onBoard)) {
            engines_.playNow();
            return true;
        }
    }
    if (computerTurn_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !QApplication::activePopupWidget() &&
        !QApplication::activeModalWidget()) {
        if (engines_.waiting()) {
            // An engine may think for up to a minute: Escape ends the program now, and
            // the engine with it.
            engines_.cancel();
            if (!ended()) game_->KeyDown(keyCode(Qt::Key_Escape));
        } else {
            // The turn is being finished (the engine's answer has just arrived, or the
            // built-in player's stone is being shown): the program ends right after it.
            escapePending_ = true;
        }
        return true;
    }
    if (computerTurn_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return widget == canvas_ || canvas_->isAncestorOf(widget);
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            return true;
        default:
            return false;
        }
    }
    if (event->type() != QEvent::KeyPress) return false;
    if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return false;
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) return false;
    if (!ended()) game_->KeyDown(keyCode(Qt::Key_Escape));
    return true;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Escape has been through the filter: one that arrives here belongs to an open menu.
    if (ended() || event->key() == Qt::Key_Escape) return;
    game_->KeyDown(keyCode(event->key()));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box, pressed during the computer's turn, is discarded like a press.
    if (computerTurn_ && !ended() && !engines_.waiting()) {
        event->ignore();
        return;
    }
    // A review under way ends with the window.
    review_->stop();
    // Closed while an engine thinks: the engine goes with the window.
    if (computerTurn_ || engines_.suggesting()) engines_.cancel();
    // A close from endProgram, or after the end: let it through.
    if (!ended()) {
        game_->Form_Unload();
        // Closing the only window ends the program whatever the handler did.
        programEnded_ = true;
        QCoreApplication::quit();
    }
    event->accept();
}

}  // namespace tolvan
