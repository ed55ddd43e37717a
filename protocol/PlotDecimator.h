#pragma once

#include <cstdint>
#include <vector>

#include "protocol/PlotRing.h"

// What a chart draws of a field: of the points in a span of time, per pixel
// column the lowest and the highest in the order they came. A line through them
// covers the same pixels as a line through every point, and costs the width of
// the plot, not the number of points kept.
class PlotDecimator {
  public:
    struct Curve {
        std::vector<PlotRing::Point> points;
        // The lowest and highest value inside the span; meaningless when !any.
        int32_t low = 0;
        int32_t high = 0;
        bool any = false;
    };

    // The points of `ring` from `from` to `to` seconds over `columns` pixel
    // columns, with the nearest point on each side outside the span, so that the
    // line runs to the plot's edges.
    static Curve Decimate(const PlotRing& ring, double from, double to, int columns);

    // Keeps, of each run of consecutive points whose values lie within less than
    // `row` of each other (one pixel row in values), its first and last point:
    // the line between them stays within that row, so the plot shows the same
    // curve, and a level or gently noisy field costs a few points, not two a column.
    static void KeepRunEnds(std::vector<PlotRing::Point>& points, double row);
};
