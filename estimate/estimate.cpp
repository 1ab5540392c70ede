// A first estimate: the count with no stone dead. Its owners are sure only where one
// side's stones alone surround an empty area.
#include "estimate/estimate.h"

namespace tolvan::estimate {

Estimate estimatePosition(const rules::Board& position, double komi) {
    const int n = position.size();
    Estimate e(n);
    const rules::Count c = rules::count(position, {});
    e.owner = c.owner;
    e.black_territory = c.black_territory;
    e.white_territory = c.white_territory;
    e.black_prisoners = c.black_prisoners;
    e.white_prisoners = c.white_prisoners;
    e.komi = komi;
    e.settled = true;
    for (int y = 1; y <= n; ++y)
        for (int x = 1; x <= n; ++x) {
            const int o = c.owner.at(x, y);
            e.ownership[(y - 1) * n + (x - 1)] = o == rules::black ? 1.0 : o == rules::white ? -1.0 : 0.0;
            if (o == rules::empty) e.settled = false;
        }
    return e;
}

}  // namespace tolvan::estimate
