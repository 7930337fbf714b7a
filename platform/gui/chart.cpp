// The chart's data, its settings and its copy to the clipboard.
#include "platform/gui/chart.h"

#include "platform/gui/clipboard.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::gui {

namespace {

constexpr double kNull = std::numeric_limits<double>::quiet_NaN();

} // namespace

Chart::Chart(QWidget* parent) : QWidget(parent) {
    setSeriesCount(1);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

Chart::~Chart() = default;

void Chart::changed() {
    update();
}

void Chart::setRowCount(int rows) {
    rows_ = std::max(0, rows);
    for (auto& v : values_)
        v.resize(static_cast<size_t>(rows_), kNull);
    for (auto& l : labels_)
        l.resize(static_cast<size_t>(rows_));
    changed();
}

void Chart::setSeriesCount(int count) {
    count = std::max(0, count);
    static const QColor palette[] = {QColor(0, 84, 166),  QColor(200, 60, 40),
                                     QColor(30, 140, 60), QColor(150, 80, 170),
                                     QColor(220, 140, 0), QColor(0, 150, 160)};
    while (seriesCount() < count) {
        ChartSeries s;
        s.color = palette[series_.size() % std::size(palette)];
        s.name = QString("Series %1").arg(series_.size() + 1);
        series_.push_back(s);
    }
    series_.resize(static_cast<size_t>(count));
    values_.resize(static_cast<size_t>(count));
    for (auto& v : values_)
        v.resize(static_cast<size_t>(rows_), kNull);
    changed();
}

void Chart::setPoint(int row, int series, double value, bool isNull) {
    if (!validRow(row) || !validSeries(series)) return;
    values_[static_cast<size_t>(series - 1)][static_cast<size_t>(row - 1)] =
        isNull || !std::isfinite(value) ? kNull : value;
    changed();
}

double Chart::value(int row, int series) const {
    if (!validRow(row) || !validSeries(series)) return kNull;
    return values_[static_cast<size_t>(series - 1)][static_cast<size_t>(row - 1)];
}

bool Chart::isNull(int row, int series) const {
    return std::isnan(value(row, series));
}

void Chart::setLoneRowsFrom(int row) {
    loneFrom_ = std::max(0, row);
    changed();
}

QStringList Chart::titleLines() const {
    QString t = title_;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace('\r', '\n');
    return t.split('\n');
}

void Chart::setLabelLevelCount(int levels) {
    levels_ = std::clamp(levels, 1, 2);
    changed();
}

void Chart::setRowLabel(int row, const QString& label, int level) {
    if (!validRow(row) || level < 1 || level > 2) return;
    labels_[level - 1][static_cast<size_t>(row - 1)] = label;
    changed();
}

QString Chart::rowLabel(int row, int level) const {
    if (!validRow(row) || level < 1 || level > 2) return QString();
    return labels_[level - 1][static_cast<size_t>(row - 1)];
}

const ChartSeries& Chart::series(int n) const {
    static const ChartSeries none;
    return validSeries(n) ? series_[static_cast<size_t>(n - 1)] : none;
}

void Chart::setSeries(int n, const ChartSeries& s) {
    if (!validSeries(n)) return;
    series_[static_cast<size_t>(n - 1)] = s;
    changed();
}

const ValueAxis& Chart::axis(AxisId id) const {
    return axes_[id == AxisId::Y2 ? 1 : 0];
}

void Chart::setAxis(AxisId id, const ValueAxis& a) {
    axes_[id == AxisId::Y2 ? 1 : 0] = a;
    changed();
}

void Chart::setAxisScale(AxisId id, double maximum, double minimum, int majorDivision,
                         int minorDivision) {
    ValueAxis& a = axes_[id == AxisId::Y2 ? 1 : 0];
    a.maximum = maximum;
    a.minimum = minimum;
    a.majorDivision = majorDivision;
    a.minorDivision = minorDivision;
    changed();
}

void Chart::setTitle(const QString& t) {
    title_ = t;
    changed();
}

void Chart::setCategoryTitle(const QString& t) {
    categoryTitle_ = t;
    changed();
}

void Chart::setLegendVisible(bool v) {
    legend_ = v;
    changed();
}

void Chart::setLegendPosition(LegendPosition position) {
    legendPosition_ = position;
    changed();
}

void Chart::setGridVisible(bool v) {
    grid_ = v;
    changed();
}

void Chart::setCategoryGridVisible(bool v) {
    categoryGrid_ = v;
    changed();
}

void Chart::setCategoryDivisionsPerTick(int rows) {
    divisionsPerTick_ = std::max(1, rows);
    changed();
}

void Chart::setGridPenStyle(PenStyle style) {
    gridPen_ = style;
    changed();
}

void Chart::setFrameVisible(bool v) {
    frame_ = v;
    changed();
}

QString Chart::dataText() const {
    auto number = [](double v) { return QString::number(v, 'g', 15); };
    QStringList lines;
    QStringList head{QString()};
    for (const ChartSeries& se : series_)
        head << se.name;
    lines << head.join('\t');
    for (int row = 1; row <= rows_; ++row) {
        QString label = rowLabel(row, 1);
        if (label.trimmed().isEmpty() && levels_ > 1) label = rowLabel(row, 2);
        QStringList cells{label};
        for (int n = 1; n <= seriesCount(); ++n)
            cells << (isNull(row, n) ? QString() : number(value(row, n)));
        lines << cells.join('\t');
    }
    return lines.join("\r\n");
}

void Chart::EditCopy() const {
    const QSize size = width() > 0 && height() > 0 ? this->size() : sizeHint();
    setClipboard(toImage(size), dataText());
}

double Chart::dpi() const {
    return logicalDpiY() > 0 ? logicalDpiY() : 96;
}

} // namespace platform::gui
