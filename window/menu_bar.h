// The menu bar of the main window, and the Menu port over its check marks.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

#include "platform/port.h"

class QAction;
class QMenu;
class QMenuBar;

namespace tolvan {

// Shows the tip of the bar's item under the pointer: a menu bar shows none of its own.
class MenuBarTips : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

class MenuBarPort : public Menu {
public:
    // Fills the bar with every menu and item, COMの強さ with Tolvan's levels (by their
    // names, weakest first) and the engines given. A triggered item calls onCommand with
    // its upper-case name.
    explicit MenuBarPort(QMenuBar* bar, const std::vector<EngineOffer>& engines = {},
                         const std::vector<std::string>& levels = {});

    std::function<void(const std::string& item)> onCommand;

    bool checked(const std::string& item) override;
    void setChecked(const std::string& item, bool on) override;

    // The item's action, or null for a name the bar does not have.
    QAction* action(const std::string& item) const;

    // COMの強さ offers these engines from now on, unticked.
    void setEngines(const std::vector<EngineOffer>& engines);

private:
    // Calls onCommand with `name` when `a` is triggered.
    void connectCommand(QAction* a, const QString& name);

    QHash<QString, QAction*> actions_;
    MenuBarTips tips_;
    QMenu* engines_ = nullptr;
    // The separator above その他のエンジン...: the engines go before it.
    QAction* enginesEnd_ = nullptr;
    int engineCount_ = 0;
};

}  // namespace tolvan
