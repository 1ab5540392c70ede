// 検討: a window beside the main window that reviews the game on the board in the
// background, with its progress and a button to stop it; then a graph of black's lead
// move by move, on which the position shown is marked and a click shows a move's
// position, and each side's biggest mistakes with the better moves. Moves are counted
// as the board counts them: the stones, passes left out.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "records/sgf.h"
#include "review/run.h"

class QChartView;
class QLabel;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QScatterSeries;
class QTreeWidget;

namespace tolvan {

class Tolvan;

class ReviewPanel : public QWidget {
    Q_OBJECT
public:
    // `usable` says whether the board may be changed now (not while the computer or an
    // engine is thinking, nor after the end); `engine` gives the command line of the
    // engine that reviews a board of so many lines (none: leads only).
    ReviewPanel(QWidget* owner, Tolvan& game, std::function<bool()> usable,
                std::function<std::vector<std::string>(int size)> engine = review::gnuGoCommand);
    ~ReviewPanel() override;

    // 検討: reviews the game on the board; while a review runs, the window is only
    // brought forward.
    void start();
    // After anything the game did: a review of a game that is no longer on the board ends
    // and the window closes; the graph's mark follows the position shown.
    void follow();
    // The run under way ends, its engine with it; nothing is kept of it.
    void stop();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void progress(int done, int total);
    void finished(int run, review::Result result);
    void showGraph();
    void showMistakes();
    void showMove(int move);

    Tolvan& game_;
    std::function<bool()> usable_;
    std::function<std::vector<std::string>(int size)> engine_;
    std::unique_ptr<review::Reviewer> reviewer_;
    std::thread thread_;
    // Counts the runs, so that what a stopped run still sends is left aside.
    int run_ = 0;
    std::optional<sgf::Record> reviewed_;
    review::Result result_;

    QLabel* status_;
    QProgressBar* bar_;
    QPushButton* stopButton_;
    QChartView* chart_;
    QLineSeries* leads_ = nullptr;
    QScatterSeries* shown_ = nullptr;
    QTreeWidget* mistakes_;
    // What the record says of the mistake selected in the list.
    QLabel* comment_;
};

}  // namespace tolvan
