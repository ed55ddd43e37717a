#include "protocol/PlotDecimator.h"

#include <algorithm>
#include <cmath>

namespace {

// The lowest and the highest point of one column, in the order they came.
void AddColumn(std::vector<PlotRing::Point>& out, const PlotRing::Point& low,
               const PlotRing::Point& high) {
    bool lowFirst = low.seconds <= high.seconds;
    out.push_back(lowFirst ? low : high);
    if (low.seconds != high.seconds || low.value != high.value)
        out.push_back(lowFirst ? high : low);
}

}  // namespace

PlotDecimator::Curve PlotDecimator::Decimate(const PlotRing& ring, double from, double to,
                                             int columns) {
    Curve curve;
    size_t begin = ring.FirstAtOrAfter(from);
    size_t end = ring.FirstAtOrAfter(std::nextafter(to, to + 1));
    if (begin > 0) curve.points.push_back(ring.At(begin - 1));
    double width = columns > 0 && to > from ? (to - from) / columns : 0;
    auto columnOf = [&](double seconds) {
        return width > 0 ? std::min<long>(static_cast<long>((seconds - from) / width), columns - 1)
                         : 0;
    };
    for (size_t i = begin; i < end;) {
        long column = columnOf(ring.At(i).seconds);
        PlotRing::Point low = ring.At(i);
        PlotRing::Point high = low;
        for (++i; i < end && columnOf(ring.At(i).seconds) == column; ++i) {
            const PlotRing::Point& point = ring.At(i);
            if (point.value < low.value) low = point;
            if (point.value > high.value) high = point;
        }
        AddColumn(curve.points, low, high);
        curve.low = curve.any ? std::min(curve.low, low.value) : low.value;
        curve.high = curve.any ? std::max(curve.high, high.value) : high.value;
        curve.any = true;
    }
    if (end < ring.Size()) curve.points.push_back(ring.At(end));
    return curve;
}

void PlotDecimator::KeepRunEnds(std::vector<PlotRing::Point>& points, double row) {
    if (!(row > 0) || points.size() < 3) return;
    std::vector<PlotRing::Point> kept;
    size_t first = 0;
    int32_t low = points[0].value;
    int32_t high = low;
    for (size_t i = 1; i < points.size(); ++i) {
        int32_t value = points[i].value;
        if (double(std::max(high, value)) - std::min(low, value) < row) {
            low = std::min(low, value);
            high = std::max(high, value);
            continue;
        }
        kept.push_back(points[first]);
        if (i - 1 > first) kept.push_back(points[i - 1]);
        first = i;
        low = high = value;
    }
    kept.push_back(points[first]);
    if (points.size() - 1 > first) kept.push_back(points.back());
    points.swap(kept);
}
