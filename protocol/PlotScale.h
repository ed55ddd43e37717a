#pragma once

// A value axis that shows a range whole, with a little room around it, and
// round ticks: steps of 1, 2 or 5 times a power of ten, the ends on ticks.
class PlotScale {
  public:
    // At most this many steps between the ends.
    static constexpr int kMaxSteps = 6;

    // The scale for values from `low` to `high`; the values are whole numbers,
    // so no step is below 1.
    static PlotScale For(double low, double high);

    double Min() const { return m_min; }
    double Max() const { return m_max; }
    double Step() const { return m_step; }
    int Ticks() const;

  private:
    PlotScale(double min, double max, double step) : m_min(min), m_max(max), m_step(step) {}

    double m_min;
    double m_max;
    double m_step;
};
