#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "protocol/PlotRing.h"

class QChart;
class QGridLayout;
class QChartView;
class QLineSeries;
class QValueAxis;

// The chart of one read command of the monitor: a curve per field over the
// last minutes, and below it each field's colour (a check box that shows or
// hides its curve), label (the operator may rename it) and current value in
// decimal. Replies are kept as they come; the chart is drawn at most once a
// frame, and only what its pixel columns can show.
class MonitorChart : public QWidget {
    Q_OBJECT
  public:
    // Points older than this are dropped, whatever the span shown.
    static constexpr double kKeptSeconds = 600;
    // The most points a field keeps: the kept time at the shortest interval,
    // with room for the replies to read commands the operator sends besides.
    static constexpr size_t kKeptPoints = 8192;

    // `labels`: names the operator gave the fields before (may be empty);
    // unnamed fields are called "<name> 1", "<name> 2", ...
    MonitorChart(const QString& name, const QStringList& labels, QWidget* parent = nullptr);

    const QString& Name() const { return m_name; }
    // One reply's values at `seconds` since the start; curves come as fields do.
    void AddRow(double seconds, const std::vector<int32_t>& values);
    // Shows what came since the last frame; a chart scrolled out of view waits
    // until it is in view again.
    void Redraw();
    // The time shown: the last `seconds`.
    void SetSpan(double seconds);
    // While paused the view stays as it is (for looking and zooming); the
    // curves keep taking points.
    void SetPaused(bool paused);
    void ResetZoom();

    int Fields() const { return static_cast<int>(m_series.size()); }
    const PlotRing& Points(int field) const { return m_rings[field]; }
    QLineSeries* Series(int field) const { return m_series[field]; }
    QString Label(int field) const { return m_labelEdits[field]->text(); }
    QString CurrentValue(int field) const { return m_valueLabels[field]->text(); }
    QStringList Labels() const;

  signals:
    // The operator dragged a zoom rectangle or zoomed out.
    void Zoomed();

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void AddField();
    static void FitValueLabel(QLabel* value);
    void OnZoomed();
    void OnCurveShown(QLineSeries* series, bool shown);
    void FollowTime();
    // The curves of the points from `from` to `to` (while paused, none after
    // the pause); with `setAxes` the time axis shows that span and the value
    // axis follows the curves shown.
    void DrawCurves(double from, double to, bool setAxes);
    void ShowValues();
    // The plot's width in pixel columns.
    int Columns() const;

    QString m_name;
    QStringList m_givenLabels;
    QChart* m_chart;
    QChartView* m_view;
    QValueAxis* m_axisX;
    QValueAxis* m_axisY;
    QWidget* m_fieldPanel;
    QGridLayout* m_fieldGrid;
    std::vector<PlotRing> m_rings;
    std::vector<QLineSeries*> m_series;
    QList<QLineEdit*> m_labelEdits;
    QList<QLabel*> m_valueLabels;
    double m_span = 120;
    double m_lastSeconds = 0;
    // The newest time drawn: a pause holds the curves there.
    double m_drawnUpTo = 0;
    bool m_bNewPoints = false;
    // Frames without a new point after which the points count as stopped.
    static constexpr int kFramesToStop = 2;
    int m_framesSincePoint = 0;
    bool m_bPaused = false;
};
