#include "toolbox/MonitorChart.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QGridLayout>
#include <QLineSeries>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <functional>

#include "form/Named.h"
#include "protocol/PlotDecimator.h"
#include "protocol/PlotScale.h"

namespace {

constexpr int kChartHeight = 190;
constexpr int kLabelChars = 14;
constexpr int kFieldColumns = 2;
constexpr int kSwatchSize = 12;

QIcon Swatch(const QColor& colour) {
    QPixmap pixmap(kSwatchSize, kSwatchSize);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// A chart view that tells when the operator's mouse has zoomed it.
class ZoomingChartView : public QChartView {
  public:
    ZoomingChartView(QChart* chart, std::function<void()> zoomed, QWidget* parent)
        : QChartView(chart, parent), m_zoomed(std::move(zoomed)) {}

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        bool zooming = event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
        QChartView::mouseReleaseEvent(event);
        if (zooming) m_zoomed();
    }

  private:
    std::function<void()> m_zoomed;
};

}  // namespace

MonitorChart::MonitorChart(const QString& name, const QStringList& labels, QWidget* parent)
    : QWidget(parent),
      m_name(name),
      m_givenLabels(labels),
      m_chart(new QChart),
      m_axisX(new QValueAxis),
      m_axisY(new QValueAxis) {
    setObjectName(QStringLiteral("chart ") + name);
    m_chart->setTitle(name);
    // The fields' rows below name the curves and give their colours.
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_axisX->setTitleText(QString::fromUtf8("초"));
    m_axisX->setLabelFormat(QStringLiteral("%.0f"));
    m_axisY->setLabelFormat(QStringLiteral("%.0f"));
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    m_view = new ZoomingChartView(
        m_chart, [this] { OnZoomed(); }, this);
    m_view->setRubberBand(QChartView::RectangleRubberBand);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumHeight(kChartHeight);
    m_fieldPanel = new QWidget(this);
    m_fieldGrid = new QGridLayout(m_fieldPanel);
    m_fieldGrid->setContentsMargins(0, 0, 0, 0);
    // Whatever room is left stays at the right end.
    m_fieldGrid->setColumnStretch(kFieldColumns * 3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_fieldPanel);
    FollowTime();
}

QStringList MonitorChart::Labels() const {
    QStringList labels;
    for (const QLineEdit* edit : m_labelEdits) labels.append(edit->text());
    return labels;
}

void MonitorChart::AddField() {
    int field = Fields();
    QString label = m_givenLabels.value(field);
    if (label.isEmpty()) label = QStringLiteral("%1 %2").arg(m_name).arg(field + 1);
    m_rings.emplace_back(kKeptPoints);
    auto* series = new QLineSeries(m_chart);
    series->setName(label);
    m_chart->addSeries(series);
    series->attachAxis(m_axisX);
    series->attachAxis(m_axisY);
    m_series.push_back(series);

    // The colour of the curve, and whether it is drawn: fields of very
    // different sizes (a speed beside a DC link) are seen one at a time.
    auto* shown = Named(new QCheckBox(m_fieldPanel), QStringLiteral("shown %1").arg(field + 1));
    shown->setIcon(Swatch(series->color()));
    shown->setChecked(true);
    shown->setToolTip(QString::fromUtf8("곡선 보이기"));
    connect(shown, &QCheckBox::toggled, this,
            [this, series](bool on) { OnCurveShown(series, on); });
    auto* edit =
        Named(new QLineEdit(label, m_fieldPanel), QStringLiteral("label %1").arg(field + 1));
    edit->setAccessibleName(QStringLiteral("%1 %2").arg(m_name).arg(field + 1));
    edit->setFixedWidth(edit->fontMetrics().averageCharWidth() * kLabelChars);
    shown->setAccessibleName(edit->accessibleName());
    connect(edit, &QLineEdit::textChanged, series, &QLineSeries::setName);
    auto* value = Named(new QLabel(m_fieldPanel), QStringLiteral("value %1").arg(field + 1));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FitValueLabel(value);
    int row = field / kFieldColumns;
    int column = field % kFieldColumns * 3;
    m_fieldGrid->addWidget(shown, row, column);
    m_fieldGrid->addWidget(edit, row, column + 1);
    m_fieldGrid->addWidget(value, row, column + 2);
    m_labelEdits.append(edit);
    m_valueLabels.append(value);
}

void MonitorChart::FitValueLabel(QLabel* value) {
    // A fixed size, room for any value: a new value then repaints the label
    // without laying the window out again, at every frame.
    QString shown = value->text();
    value->setText(QStringLiteral("-2147483648"));
    value->setFixedSize(value->sizeHint());
    value->setText(shown);
}

void MonitorChart::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        for (QLabel* value : m_valueLabels) FitValueLabel(value);
    }
}

void MonitorChart::AddRow(double seconds, const std::vector<int32_t>& values) {
    while (Fields() < static_cast<int>(values.size())) AddField();
    for (size_t i = 0; i < values.size(); ++i) {
        m_rings[i].Append(seconds, values[i]);
        m_rings[i].DropBefore(seconds - kKeptSeconds);
    }
    m_lastSeconds = seconds;
    m_bNewPoints = true;
    m_framesSincePoint = 0;
}

void MonitorChart::Redraw() {
    if (!m_bNewPoints || m_view->viewport()->visibleRegion().isEmpty()) return;
    ShowValues();
    if (m_bPaused) return;
    // The curves move by whole columns: a frame that would shift them less
    // than one shows nothing new, and laying them out is most of the cost.
    // When the points stop, the last of them show all the same.
    bool pointsStopped = ++m_framesSincePoint > kFramesToStop;
    if (!pointsStopped && m_lastSeconds - m_drawnUpTo < m_span / Columns()) return;
    m_bNewPoints = false;
    FollowTime();
}

int MonitorChart::Columns() const {
    int columns = static_cast<int>(m_chart->plotArea().width());
    return columns > 0 ? columns : std::max(1, m_view->width());
}

void MonitorChart::ShowValues() {
    for (int field = 0; field < Fields(); ++field) {
        const PlotRing& ring = m_rings[field];
        if (ring.Size() > 0) {
            m_valueLabels[field]->setText(QString::number(ring.At(ring.Size() - 1).value));
        }
    }
}

void MonitorChart::SetSpan(double seconds) {
    m_span = seconds;
    if (!m_bPaused) FollowTime();
}

void MonitorChart::SetPaused(bool paused) {
    m_bPaused = paused;
    if (!paused) FollowTime();
}

void MonitorChart::ResetZoom() {
    m_chart->zoomReset();
    m_bPaused = false;
    FollowTime();
}

void MonitorChart::OnZoomed() {
    m_bPaused = true;
    // The zoomed span in as much detail as the columns can show.
    DrawCurves(m_axisX->min(), m_axisX->max(), false);
    emit Zoomed();
}

void MonitorChart::OnCurveShown(QLineSeries* series, bool shown) {
    series->setVisible(shown);
    if (m_bPaused) {
        DrawCurves(m_axisX->min(), m_axisX->max(), true);
    } else {
        FollowTime();
    }
}

void MonitorChart::FollowTime() {
    m_drawnUpTo = m_lastSeconds;
    DrawCurves(std::max(0.0, m_lastSeconds - m_span), std::max(m_span, m_lastSeconds), true);
}

void MonitorChart::DrawCurves(double from, double to, bool setAxes) {
    int columns = Columns();
    double upTo = std::min(to, m_drawnUpTo);
    std::vector<std::vector<PlotRing::Point>> curves(m_series.size());
    bool any = false;
    int32_t low = 0;
    int32_t high = 0;
    for (int field = 0; field < Fields(); ++field) {
        if (!m_series[field]->isVisible()) continue;
        PlotDecimator::Curve curve = PlotDecimator::Decimate(m_rings[field], from, upTo, columns);
        curves[field] = std::move(curve.points);
        if (!curve.any) continue;
        low = any ? std::min(low, curve.low) : curve.low;
        high = any ? std::max(high, curve.high) : curve.high;
        any = true;
    }
    if (setAxes) {
        // A change of an axis lays out every curve again: emptied first, each is
        // laid out once, with its new points.
        for (QLineSeries* series : m_series) series->clear();
        m_axisX->setRange(from, to);
        PlotScale scale = any ? PlotScale::For(low, high) : PlotScale::For(0, 0);
        m_axisY->setRange(scale.Min(), scale.Max());
        m_axisY->setTickCount(scale.Ticks());
    }
    // Before the chart is first laid out its plot has no height: nothing is thinned.
    double height = m_chart->plotArea().height();
    double row = height > 0 ? (m_axisY->max() - m_axisY->min()) / height : 0;
    for (int field = 0; field < Fields(); ++field) {
        if (!m_series[field]->isVisible()) continue;
        PlotDecimator::KeepRunEnds(curves[field], row);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(curves[field].size()));
        for (const PlotRing::Point& point : curves[field]) {
            points.append({point.seconds, double(point.value)});
        }
        m_series[field]->replace(points);
    }
}
