#include "window/menu_bar.h"

#include <QAction>
#include <QHelpEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QToolTip>

namespace tolvan {

namespace {

struct Item {
    const char* name;
    const char* caption;
    bool checkable = false;
    bool checked = false;
};

}  // namespace

// A menu bar shows no tips of its own items: the tip of the item under the pointer,
// when it has one beside its caption.
bool MenuBarTips::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip) return false;
    auto* bar = qobject_cast<QMenuBar*>(watched);
    auto* help = static_cast<QHelpEvent*>(event);
    QAction* a = bar ? bar->actionAt(help->pos()) : nullptr;
    if (!a || a->menu() || a->toolTip() == a->text()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(help->globalPos(), a->toolTip(), bar, bar->actionGeometry(a));
    return true;
}

void MenuBarPort::connectCommand(QAction* a, const QString& name) {
    QObject::connect(a, &QAction::triggered, a, [this, a, name](bool) {
        // The game owns the check marks: undo the toggle Qt made on the click, so the
        // command sees the state from before it and sets the mark itself.
        if (a->isCheckable()) {
            QSignalBlocker block(a);
            a->setChecked(!a->isChecked());
        }
        if (onCommand) onCommand(name.toStdString());
    });
}

MenuBarPort::MenuBarPort(QMenuBar* bar, const std::vector<EngineOffer>& engines,
                         const std::vector<std::string>& levels) {
    auto command = [this](QAction* a, const QString& name) { connectCommand(a, name); };
    auto addItem = [&](auto* parent, const Item& item) {
        QString name = QString::fromLatin1(item.name);
        QAction* a = new QAction(QString::fromUtf8(item.caption), parent);
        a->setObjectName(name);
        a->setCheckable(item.checkable);
        a->setChecked(item.checked);
        parent->addAction(a);
        actions_.insert(name, a);
        command(a, name);
        return a;
    };
    auto addMenu = [&](auto* parent, const char* name, const char* caption) {
        QMenu* m = new QMenu(QString::fromUtf8(caption), parent);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        parent->addMenu(m);
        actions_.insert(QString::fromLatin1(name), m->menuAction());
        return m;
    };

    QMenu* taikyoku = addMenu(bar, "TAIKYOKU", "対局");
    addItem(taikyoku, {"TAIMAN", "対MAN"});
    QMenu* taicom = addMenu(taikyoku, "TAICOM", "対COM");
    addItem(taicom, {"SENTE", "先手"});
    addItem(taicom, {"GOTE", "後手"});
    // The board: 19, 13 or 9 lines each way.
    QMenu* goban = addMenu(taikyoku, "GOBAN", "碁盤");
    addItem(goban, {"GOBAN_19", "19路", true, true});
    addItem(goban, {"GOBAN_13", "13路", true});
    addItem(goban, {"GOBAN_9", "9路", true});
    taikyoku->addSeparator();
    addItem(taikyoku, {"KIFU_HOZON", "棋譜を保存..."})->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addItem(taikyoku, {"KIFU_HIRAKU", "棋譜を開く..."})->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));

    QMenu* kyokumen = addMenu(bar, "KYOKUMEN", "局面");
    addItem(kyokumen, {"SAISYO", "最初"});
    addItem(kyokumen, {"GYAKUTEN", "逆転"});
    addItem(kyokumen, {"MATTA", "待った"})->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    addItem(kyokumen, {"HINTO", "ヒント"})->setShortcut(QKeySequence(Qt::Key_H));
    addItem(kyokumen, {"KENTOU", "検討"});
    addItem(kyokumen, {"KEISEI", "形勢判断"})->setShortcut(QKeySequence(Qt::Key_K));

    // The bar shows no shortcuts beside its own items, and their captions are the game's
    // own: their keys are told by the tip shown when the pointer rests on them.
    auto withKey = [](QAction* a, Qt::Key key, const char* tip) {
        a->setShortcut(QKeySequence(key));
        a->setToolTip(QString::fromUtf8(tip));
    };
    withKey(addItem(bar, {"MODORU", "戻"}), Qt::Key_Left, "一手戻ります（←キー）");
    withKey(addItem(bar, {"SUSUMU", "進"}), Qt::Key_Right, "一手進みます（→キー）");
    addItem(bar, {"LEBEL_UP", "△"});
    addItem(bar, {"LEBEL_DOWN", "▽"});
    withKey(addItem(bar, {"PASU", "パス"}), Qt::Key_P, "パスします（Pキー）");
    bar->installEventFilter(&tips_);

    QMenu* syuuryo = addMenu(bar, "SYUURYO_MENU", "終了");
    addItem(syuuryo, {"HANTEI", "勝敗判定"});
    addItem(syuuryo, {"TOURYOU", "投了"});
    addItem(syuuryo, {"SYUURYO", "終了"});

    QMenu* option = addMenu(bar, "OPTION", "ｵﾌﾟｼｮﾝ");
    QMenu* haikei = addMenu(option, "HAIKEI", "背景");
    addItem(haikei, {"MIDORI", "緑", true});
    addItem(haikei, {"TAKE", "竹", true});
    addItem(option, {"BANGOU", "手順番号表示", true, true});
    addItem(option, {"SINAN", "置石指南", true});
    addItem(option, {"BGM", "BGM", true});
    // How a game that ends by two passes is judged.
    QMenu* syuukyoku = addMenu(option, "SYUUKYOKU", "終局の判定");
    addItem(syuukyoku, {"SYUUKYOKU_UMERU", "石を埋めて判定", true, true});
    addItem(syuukyoku, {"SYUUKYOKU_KAZOERU", "死に石を指定して数える", true});
    // The komi white is given.
    QMenu* komi = addMenu(option, "KOMI", "コミ");
    addItem(komi, {"KOMI_NASI", "なし", true, true});
    addItem(komi, {"KOMI_6MOKUHAN", "6目半", true});
    addItem(komi, {"KOMI_7MOKUHAN", "7目半", true});
    // The computer's strength: the built-in player, Tolvan's own levels, the engines
    // found installed, and any other engine by its command line.
    QMenu* tuyosa = addMenu(option, "COM_TUYOSA", "COMの強さ");
    addItem(tuyosa, {"COM_HYOUJUN", "標準", true, true});
    // The levels stand apart, between separators; a menu shows two separators that
    // meet (no engine found) as one.
    if (!levels.empty()) {
        tuyosa->addSeparator();
        for (std::size_t i = 0; i < levels.size(); ++i) {
            const std::string name = "COM_TOLVAN_" + std::to_string(i + 1);
            addItem(tuyosa, {name.c_str(), levels[i].c_str(), true});
        }
        tuyosa->addSeparator();
    }
    engines_ = tuyosa;
    enginesEnd_ = tuyosa->addSeparator();
    setEngines(engines);
    addItem(tuyosa, {"COM_SONOTA", "その他のエンジン...", true});
    // The window's size: board cells of 21, 28, 35, 42 and 63 pixels.
    QMenu* ookisa = addMenu(option, "BAN_OOKISA", "表示の大きさ");
    for (const char* percent : {"100", "133", "167", "200", "300"}) {
        const std::string name = std::string("BAN_") + percent, caption = std::string(percent) + "%";
        addItem(ookisa, {name.c_str(), caption.c_str(), true, name == "BAN_100"});
    }

    QMenu* sonota = addMenu(bar, "SONOTA", "その他");
    addItem(sonota, {"KAISETU", "解説"});
    addItem(sonota, {"VER", "バージョン情報"});
}

void MenuBarPort::setEngines(const std::vector<EngineOffer>& engines) {
    for (int i = 1; i <= engineCount_; ++i)
        delete actions_.take(QStringLiteral("COM_ENGINE_%1").arg(i));
    engineCount_ = static_cast<int>(engines.size());
    for (int i = 1; i <= engineCount_; ++i) {
        const QString name = QStringLiteral("COM_ENGINE_%1").arg(i);
        QAction* a = new QAction(QString::fromStdString(engines[static_cast<std::size_t>(i - 1)].label), engines_);
        a->setObjectName(name);
        a->setCheckable(true);
        engines_->insertAction(enginesEnd_, a);
        actions_.insert(name, a);
        connectCommand(a, name);
    }
}

QAction* MenuBarPort::action(const std::string& item) const {
    return actions_.value(QString::fromStdString(item), nullptr);
}

bool MenuBarPort::checked(const std::string& item) {
    QAction* a = action(item);
    return a && a->isChecked();
}

void MenuBarPort::setChecked(const std::string& item, bool on) {
    if (QAction* a = action(item)) {
        QSignalBlocker block(a);
        a->setChecked(on);
    }
}

}  // namespace tolvan
