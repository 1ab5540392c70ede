#include "window/review_panel.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QTreeWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "game/komi.h"
#include "game/review_view.h"
#include "game/tolvan.h"
#include "review/annotate.h"
#include "rules/board.h"

namespace tolvan {

namespace {

// The graph, on which a click names the move under it.
class LeadView : public QChartView {
public:
    using QChartView::QChartView;
    std::function<void(double x)> onClick;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && onClick && !chart()->series().isEmpty()) {
            const QPointF value = chart()->mapToValue(event->position(), chart()->series().first());
            onClick(value.x());
            return;
        }
        QChartView::mousePressEvent(event);
    }
};

QString pointText(rules::Point at) {
    return at.x == 0 ? QString::fromUtf8("パス") : QString::fromStdString(rules::pointLabel(at));
}

// The moves of `reviewed`, passes counted, up to its stone `stone` (0: none).
int movesToStone(const sgf::Record& reviewed, int stone) {
    int moves = 0;
    for (int stones = 0; stones < stone && moves < static_cast<int>(reviewed.moves.size()); ++moves)
        if (!reviewed.moves[static_cast<std::size_t>(moves)].pass) ++stones;
    return moves;
}

// The graph puts move `number` of `reviewed` (passes counted) at the stones played by
// then, as the board counts moves, a pass at the stone before it; the list numbers a move
// as the stone it is or was played instead of.
int listedNumber(const sgf::Record& reviewed, int number) { return stonesAfter(reviewed, number - 1) + 1; }

}  // namespace

ReviewPanel::ReviewPanel(QWidget* owner, Tolvan& game, std::function<bool()> usable,
                         std::function<std::vector<std::string>(int size)> engine)
    : QWidget(owner, Qt::Tool), game_(game), usable_(std::move(usable)), engine_(std::move(engine)) {
    setObjectName(QStringLiteral("review"));
    setWindowTitle(QString::fromUtf8("検討"));

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("reviewStatus"));
    status_->setWordWrap(true);
    bar_ = new QProgressBar(this);
    bar_->setFormat(QString::fromUtf8("%v／%m手"));
    stopButton_ = new QPushButton(QString::fromUtf8("中止"), this);
    stopButton_->setObjectName(QStringLiteral("reviewStop"));
    connect(stopButton_, &QPushButton::clicked, this, [this] {
        stop();
        status_->setText(QString::fromUtf8("検討を中止しました。"));
    });
    auto* running = new QHBoxLayout;
    running->addWidget(bar_, 1);
    running->addWidget(stopButton_);

    auto* view = new LeadView(this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(240);
    view->onClick = [this](double x) {
        if (result_.moves.empty() || !reviewed_) return;
        const int stones = stonesAfter(*reviewed_, static_cast<int>(result_.moves.size()));
        showMove(movesToStone(*reviewed_, std::clamp(static_cast<int>(std::lround(x)), 0, stones)));
    };
    chart_ = view;

    mistakes_ = new QTreeWidget(this);
    mistakes_->setColumnCount(4);
    mistakes_->setHeaderLabels({QString::fromUtf8("手数"), QString::fromUtf8("着手"), QString::fromUtf8("損"),
                                QString::fromUtf8("良い手")});
    mistakes_->setRootIsDecorated(false);
    mistakes_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    comment_ = new QLabel(this);
    comment_->setObjectName(QStringLiteral("reviewComment"));
    comment_->setWordWrap(true);
    comment_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A listed mistake shows what the record says of it, and the position before it with
    // the better move and the move played marked.
    auto select = [this](QTreeWidgetItem* item) {
        const int number = item ? item->data(0, Qt::UserRole).toInt() : 0;
        if (number < 1 || number > static_cast<int>(result_.moves.size()) || !reviewed_) return;
        comment_->setText(item->data(0, Qt::UserRole + 1).toString());
        if (!usable_()) return;
        const review::MoveReview& m = result_.moves[static_cast<std::size_t>(number - 1)];
        showReviewedPosition(game_, *reviewed_, number - 1, m.best ? m.best->at : rules::Point{}, m.at);
        follow();
    };
    connect(mistakes_, &QTreeWidget::itemClicked, this, select);
    connect(mistakes_, &QTreeWidget::itemActivated, this, select);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addLayout(running);
    layout->addWidget(chart_, 3);
    layout->addWidget(mistakes_, 2);
    layout->addWidget(comment_);
    resize(440, 600);
}

ReviewPanel::~ReviewPanel() { stop(); }

void ReviewPanel::start() {
    if (thread_.joinable()) {
        show();
        raise();
        activateWindow();
        return;
    }
    auto record = recordToReview(game_);
    if (!record) return;
    reviewed_ = std::move(record);
    result_ = {};
    showGraph();
    showMistakes();
    status_->setText(QString::fromUtf8("検討しています…"));
    bar_->setRange(0, stonesAfter(*reviewed_, static_cast<int>(reviewed_->moves.size())));
    bar_->setValue(0);
    bar_->show();
    stopButton_->show();
    if (!isVisible()) {
        // Beside the main window, as high as it is.
        if (QWidget* owner = parentWidget()) {
            move(owner->frameGeometry().topRight() + QPoint(8, 0));
            resize(width(), std::max(height(), owner->height()));
        }
        show();
    }
    raise();

    const int run = ++run_;
    reviewer_ = std::make_unique<review::Reviewer>(
        engine_ ? engine_(reviewed_->size) : std::vector<std::string>{}, [this, run](int done, int total) {
            QMetaObject::invokeMethod(
                this, [this, run, done, total] { if (run == run_) progress(done, total); }, Qt::QueuedConnection);
        });
    thread_ = std::thread([this, run, reviewer = reviewer_.get(), record = *reviewed_, komi = komiOf(game_)] {
        review::Result result = reviewer->run(record, komi);
        QMetaObject::invokeMethod(
            this, [this, run, result = std::move(result)]() mutable { finished(run, std::move(result)); },
            Qt::QueuedConnection);
    });
}

void ReviewPanel::stop() {
    // The run returns within a second of the cancel; what it sends after is left aside.
    if (thread_.joinable()) {
        reviewer_->cancel();
        thread_.join();
    }
    reviewer_.reset();
    ++run_;
    bar_->hide();
    stopButton_->hide();
}

void ReviewPanel::closeEvent(QCloseEvent* event) {
    if (thread_.joinable()) {
        stop();
        status_->setText(QString::fromUtf8("検討を中止しました。"));
    }
    event->accept();
}

void ReviewPanel::progress(int done, int total) {
    bar_->setRange(0, total);
    bar_->setValue(done);
}

void ReviewPanel::finished(int run, review::Result result) {
    if (run != run_) return;
    if (thread_.joinable()) thread_.join();
    reviewer_.reset();
    bar_->hide();
    stopButton_->hide();
    result_ = std::move(result);
    // Into the game's record, for 棋譜を保存 and the kept games, while it is still this game.
    if (!result_.moves.empty() && reviewed_ && stillReviewed(game_, *reviewed_)) {
        sgf::Record annotated = *reviewed_;
        review::annotate(annotated, result_.moves);
        keepReview(game_, std::move(annotated));
    }
    status_->setText(!result_.why.empty() ? QString::fromStdString(result_.why)
                                          : QString::fromUtf8("検討が終わりました。"));
    showGraph();
    showMistakes();
    follow();
}

void ReviewPanel::showGraph() {
    auto* chart = new QChart;
    chart->legend()->hide();
    // The whole game across, the lead up and down to the next ten points.
    const int moves = reviewed_ ? stonesAfter(*reviewed_, static_cast<int>(reviewed_->moves.size())) : 0;
    double most = 10;
    leads_ = new QLineSeries(chart);
    for (const review::MoveReview& m : result_.moves) {
        leads_->append(stonesAfter(*reviewed_, m.number), m.lead);
        most = std::max(most, std::abs(m.lead));
    }
    // Even: the line at 0, across the whole game.
    auto* even = new QLineSeries(chart);
    even->append(0, 0);
    even->append(std::max(moves, 1), 0);
    even->setPen(QPen(Qt::gray, 1, Qt::DashLine));
    shown_ = new QScatterSeries(chart);
    shown_->setMarkerSize(10);
    shown_->setColor(Qt::red);
    chart->addSeries(leads_);
    chart->addSeries(even);
    chart->addSeries(shown_);

    auto* x = new QValueAxis(chart);
    x->setRange(0, std::max(moves, 1));
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(0);
    x->setTickInterval(moves <= 30 ? 5 : moves <= 150 ? 10 : 50);
    x->setLabelFormat(QStringLiteral("%d"));
    x->setTitleText(QString::fromUtf8("手数"));
    auto* y = new QValueAxis(chart);
    const double top = std::ceil(most / 10) * 10;
    y->setRange(-top, top);
    y->setTickCount(5);
    y->setLabelFormat(QStringLiteral("%d"));
    y->setTitleText(QString::fromUtf8("黒のリード（目）"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    QChart* old = chart_->chart();
    chart_->setChart(chart);
    delete old;
}

void ReviewPanel::showMistakes() {
    mistakes_->clear();
    comment_->clear();
    mistakes_->setVisible(result_.mistakes);
    comment_->setVisible(result_.mistakes);
    if (!result_.mistakes || !reviewed_) return;
    for (int colour : {rules::black, rules::white}) {
        auto* side = new QTreeWidgetItem(mistakes_);
        side->setText(0, QString::fromUtf8(colour == rules::black ? "黒の悪手" : "白の悪手"));
        side->setFirstColumnSpanned(true);
        side->setFlags(Qt::ItemIsEnabled);
        for (const review::Mistake& m : review::biggestMistakes(result_.moves, colour, reviewed_->size)) {
            auto* item = new QTreeWidgetItem(side);
            item->setData(0, Qt::UserRole, m.move.number);
            // The sentence the record gives the move.
            item->setData(0, Qt::UserRole + 1, QString::fromStdString(review::mistakeComment(m)));
            item->setText(0, QString::number(listedNumber(*reviewed_, m.move.number)));
            item->setText(1, pointText(m.move.at));
            item->setText(2, QString::fromStdString(review::pointsText(m.lost)) + QString::fromUtf8("目"));
            item->setText(3, pointText(m.move.best ? m.move.best->at : rules::Point{}));
        }
    }
    mistakes_->expandAll();
}

void ReviewPanel::showMove(int move) {
    if (!reviewed_ || !usable_()) return;
    showReviewedPosition(game_, *reviewed_, move);
    follow();
}

void ReviewPanel::follow() {
    if (!reviewed_) return;
    if (!stillReviewed(game_, *reviewed_)) {
        // Another game on the board: its review has no place here.
        stop();
        reviewed_.reset();
        result_ = {};
        hide();
        return;
    }
    if (!shown_) return;
    const int move = moveShown(game_, *reviewed_);
    QList<QPointF> mark;
    if (move >= 1 && move <= static_cast<int>(result_.moves.size()))
        mark.append(QPointF(stonesAfter(*reviewed_, move), result_.moves[static_cast<std::size_t>(move - 1)].lead));
    shown_->replace(mark);
}

}  // namespace tolvan
