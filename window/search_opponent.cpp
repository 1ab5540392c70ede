#include "window/search_opponent.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <random>
#include <thread>

#include "estimate/estimate.h"

namespace tolvan {

namespace {

// The level a hint is thought over at: the strongest level's search, on a tree the size
// a second of it needs.
const search::Level& hintLevel() {
    static const search::Level level = [] {
        search::Level l = search::levels().back();
        l.nodes = 1u << 19;
        return l;
    }();
    return level;
}

EngineMove moveOf(const search::Player::Decision& d) {
    switch (d.kind) {
        case search::Player::Decision::stone: return {EngineMove::stone, d.at.x, d.at.y, {}};
        case search::Player::Decision::pass: return {EngineMove::pass, 0, 0, {}};
        case search::Player::Decision::resign: break;
    }
    return {EngineMove::resign, 0, 0, {}};
}

}  // namespace

SearchOpponent::SearchOpponent() { settings.seed = std::random_device{}(); }

SearchOpponent::~SearchOpponent() { cancel(); }

std::string SearchOpponent::nameOf(const search::Level& level) {
    return std::string("Tolvan（") + level.name + "）";
}

void SearchOpponent::use(const search::Level* level) {
    cancel();
    if (level != level_) player_.reset();
    level_ = level;
}

EngineMove SearchOpponent::genmove(const rules::History& position, int colour, double komi,
                                   const std::function<void(int seconds)>& thinking) {
    if (!level_) return {EngineMove::failed, 0, 0, "レベルが選ばれていません。"};
    if (waiting_) return {EngineMove::failed, 0, 0, "まだ前の手を考えています。"};
    if (!player_) player_ = std::make_unique<search::Player>(*level_, settings);
    return think(*player_, position, colour, komi, limitSeconds, thinking);
}

EngineMove SearchOpponent::suggest(const rules::History& position, int colour, double komi,
                                   const std::function<void(int seconds)>& thinking) {
    if (waiting_) return {};
    // A player of its own, made afresh: it remembers no earlier hint's win rates, so it
    // never resigns for the person.
    search::Player hint(hintLevel(), settings);
    hinting_ = true;
    const EngineMove m = think(hint, position, colour, komi, hintSeconds, thinking);
    hinting_ = false;
    return m;
}

std::vector<rules::Point> SearchOpponent::deadStones(const rules::History& position, double komi) {
    return estimate::estimatePosition(position.end(), komi).dead;
}

void SearchOpponent::playNow() {
    if (thinking()) playNow_ = true;
}

void SearchOpponent::cancel() {
    if (!waiting_) return;
    cancelled_ = true;
    if (searching_) searching_->stop();
    if (loop_) loop_->exit(1);
}

EngineMove SearchOpponent::think(search::Player& player, const rules::History& position, int colour,
                                 double komi, double seconds,
                                 const std::function<void(int seconds)>& thinking) {
    waiting_ = true;
    playNow_ = false;
    cancelled_ = false;
    searching_ = &player;

    // The search asks about five times a second whether to go on: not once cancelled,
    // nor once asked to play with enough behind its choice. (A stop() made before the
    // search has begun would be forgotten as it begins.)
    const int playouts = player.level().playouts;
    const int enough = std::max(1, playouts > 0 ? std::min(playNowVisits, playouts) : playNowVisits);
    auto goOn = [this, enough](const search::Result& r) {
        if (cancelled_) return false;
        return !(playNow_ && r.visits >= enough);
    };

    QEventLoop loop;
    QObject context;
    bool finished = false;
    search::Player::Decision decision;
    std::thread worker([&] {
        decision = player.genmove(position, colour, komi, seconds, goOn);
        // Told on the window's thread, inside the wait below; dropped should the wait
        // be over by then (the context is gone).
        QMetaObject::invokeMethod(
            &context,
            [&] {
                finished = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });

    int waited = 0;
    QTimer tick;
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        ++waited;
        if (thinking) thinking(waited);
    });
    tick.start();
    loop_ = &loop;
    loop.exec();
    loop_ = nullptr;
    tick.stop();
    // Only cancel() and the application's quit end the loop otherwise: either way the
    // move is not wanted any more.
    if (!finished) {
        cancelled_ = true;
        player.stop();
    }
    worker.join();
    searching_ = nullptr;
    waiting_ = false;
    last_ = decision.result;
    if (cancelled_) return {EngineMove::cancelled, 0, 0, {}};
    return moveOf(decision);
}

}  // namespace tolvan
