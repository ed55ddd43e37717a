#include "protocol/PlotScale.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The smallest step of 1, 2 or 5 times a power of ten that is at least `rough`.
double RoundStep(double rough) {
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough) return factor * power;
    }
    return 10 * power;
}

}  // namespace

PlotScale PlotScale::For(double low, double high) {
    if (high < low) std::swap(low, high);
    // Room around the values: a curve is not drawn on the plot's edge.
    double margin = std::max((high - low) * 0.05, 1.0);
    low -= margin;
    high += margin;
    double step = RoundStep(std::max(1.0, (high - low) / kMaxSteps));
    // Too many steps once the ends are rounded out: the next step up.
    for (;; step = RoundStep(step * 1.01)) {
        double min = std::floor(low / step) * step;
        double max = std::ceil(high / step) * step;
        if (max == min) max = min + step;
        if ((max - min) / step <= kMaxSteps + 1e-9) return PlotScale(min, max, step);
    }
}

int PlotScale::Ticks() const { return static_cast<int>(std::lround((m_max - m_min) / m_step)) + 1; }
