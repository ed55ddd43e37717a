#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The points of one monitored field, oldest first, in a ring of bounded size:
// once full, each new point takes the place of the oldest, so the memory a
// field holds stays the same however long the monitor runs.
class PlotRing {
  public:
    struct Point {
        double seconds;
        int32_t value;
    };

    explicit PlotRing(size_t capacity);

    // Points come in time order; a point older than the newest is taken as
    // coming at the newest's time, so that the ring stays sorted.
    void Append(double seconds, int32_t value);
    // Forgets the points older than `seconds`.
    void DropBefore(double seconds);

    size_t Size() const { return m_nSize; }
    size_t Capacity() const { return m_points.capacity(); }
    // The `index`th point, 0 the oldest.
    const Point& At(size_t index) const;
    // The index of the first point at or after `seconds` (Size() if none).
    size_t FirstAtOrAfter(double seconds) const;

  private:
    std::vector<Point> m_points;
    size_t m_nCapacity;
    size_t m_nOldest = 0;
    size_t m_nSize = 0;
};
