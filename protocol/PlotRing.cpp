#include "protocol/PlotRing.h"

#include <algorithm>

PlotRing::PlotRing(size_t capacity) : m_nCapacity(std::max<size_t>(capacity, 1)) {
    m_points.reserve(m_nCapacity);
}

void PlotRing::Append(double seconds, int32_t value) {
    if (m_nSize > 0) seconds = std::max(seconds, At(m_nSize - 1).seconds);
    Point point{seconds, value};
    if (m_points.size() < m_nCapacity) {
        m_points.push_back(point);
        ++m_nSize;
        return;
    }
    if (m_nSize < m_nCapacity) {
        m_points[(m_nOldest + m_nSize) % m_nCapacity] = point;
        ++m_nSize;
        return;
    }
    m_points[m_nOldest] = point;
    m_nOldest = (m_nOldest + 1) % m_nCapacity;
}

void PlotRing::DropBefore(double seconds) {
    size_t old = FirstAtOrAfter(seconds);
    m_nOldest = (m_nOldest + old) % m_nCapacity;
    m_nSize -= old;
}

const PlotRing::Point& PlotRing::At(size_t index) const {
    return m_points[(m_nOldest + index) % m_nCapacity];
}

size_t PlotRing::FirstAtOrAfter(double seconds) const {
    size_t low = 0;
    size_t high = m_nSize;
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        if (At(middle).seconds < seconds) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}
