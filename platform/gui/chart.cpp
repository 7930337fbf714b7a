#include "platform/gui/chart.h"

#include "platform/gui/clipboard.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::gui {

namespace {

constexpr double kNull = std::numeric_limits<double>::quiet_NaN();

// Decimals that show every major step of a scale exactly (up to 6).
int decimalsFor(const Chart::Scale& s) {
    const double step = (s.maximum - s.minimum) / s.majorDivision;
    for (int d = 0; d < 6; ++d) {
        const double f = std::pow(10.0, d);
        auto whole = [&](double v) { return std::abs(v * f - std::round(v * f)) < 1e-6 * f; };
        if (whole(step) && whole(s.minimum)) return d;
    }
    return 6;
}

// The smallest of unit times 1, 2, 5, 10, 20, 50 ... that is at least `need`.
int roundStride(double need, int unit) {
    if (!(need > unit)) return unit;
    for (double decade = 1; unit * decade < 1e9; decade *= 10)
        for (int f : {1, 2, 5})
            if (unit * f * decade >= need) return static_cast<int>(unit * f * decade);
    return 1000000000;
}

QString axisNumber(double v, int decimals) {
    if (std::abs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0; // no "-0"
    return QString::number(v, 'f', decimals);
}

Qt::PenStyle qtPen(PenStyle s) {
    switch (s) {
    case PenStyle::None:
        return Qt::NoPen;
    case PenStyle::Solid:
        return Qt::SolidLine;
    case PenStyle::Dash:
        return Qt::DashLine;
    case PenStyle::Dot:
        return Qt::DotLine;
    case PenStyle::DashDot:
        return Qt::DashDotLine;
    }
    return Qt::SolidLine;
}

double distanceToSegment(const QPointF& q, const QPointF& a, const QPointF& b) {
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    double t = len2 > 0 ? QPointF::dotProduct(q - a, ab) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF d = q - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

} // namespace

void paintMarker(QPainter& p, Marker m, const QPointF& c, double size, const QColor& color,
                 double penWidth) {
    if (m == Marker::None) return;
    const double r = size / 2;
    QPen pen(color, penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    const bool filled = m >= Marker::FilledCircle;
    p.setBrush(filled ? QBrush(color) : QBrush(Qt::white));
    auto polygon = [&](std::initializer_list<QPointF> pts) {
        QPolygonF poly;
        for (const QPointF& d : pts)
            poly << c + d;
        p.drawPolygon(poly);
    };
    switch (m) {
    case Marker::Dash:
        p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
        break;
    case Marker::Plus:
        p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
        p.drawLine(c - QPointF(0, r), c + QPointF(0, r));
        break;
    case Marker::Cross:
        p.drawLine(c - QPointF(r, r), c + QPointF(r, r));
        p.drawLine(c - QPointF(r, -r), c + QPointF(r, -r));
        break;
    case Marker::Star:
        p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
        p.drawLine(c - QPointF(0, r), c + QPointF(0, r));
        p.drawLine(c - QPointF(r * 0.7, r * 0.7), c + QPointF(r * 0.7, r * 0.7));
        p.drawLine(c - QPointF(r * 0.7, -r * 0.7), c + QPointF(r * 0.7, -r * 0.7));
        break;
    case Marker::Circle:
    case Marker::FilledCircle:
        p.drawEllipse(c, r, r);
        break;
    case Marker::Square:
    case Marker::FilledSquare:
        p.drawRect(QRectF(c.x() - r, c.y() - r, size, size));
        break;
    case Marker::Diamond:
    case Marker::FilledDiamond:
        polygon({{0, -r}, {r, 0}, {0, r}, {-r, 0}});
        break;
    case Marker::UpTriangle:
    case Marker::FilledUpTriangle:
        polygon({{0, -r}, {r, r * 0.8}, {-r, r * 0.8}});
        break;
    case Marker::DownTriangle:
    case Marker::FilledDownTriangle:
        polygon({{0, r}, {r, -r * 0.8}, {-r, -r * 0.8}});
        break;
    case Marker::None:
        break;
    }
}

// Everything measured for one drawing: the same for painting, pointAt and
// hitTest, so the tests check what is really drawn.
struct Chart::Layout {
    double s = 1; // device pixels per pixel at 96 dpi
    QRectF area, plot;
    QFont font, titleFont;
    double textHeight = 0;
    Scale scale[2];
    bool showAxis[2] = {true, false};
    int decimals[2] = {0, 0};
    int labelStride[2] = {1, 1}; // every how many major lines a value label is drawn
    int gridStride[2] = {1, 1};
    QRectF titleRect, categoryTitleRect, axisTitleRect[2];
    std::vector<QRectF> labels[2];     // per row; empty when not drawn
    std::vector<QRectF> legendEntries; // per series
    double markerCap = 0;              // markers no wider than their rows

    // Calls f(i, value, labelled) for each major line drawn on axis a.
    template <class F> void forEachTick(int a, F f) const {
        const Scale& sc = scale[a];
        const double step = (sc.maximum - sc.minimum) / sc.majorDivision;
        for (long long i = 0; i <= sc.majorDivision; i += gridStride[a])
            f(i, sc.minimum + i * step, i % labelStride[a] == 0);
    }

    double markerSize(const ChartSeries& se) const {
        return std::min(se.markerSize * s, markerCap);
    }

    double xOf(int row, int rows) const {
        return plot.left() + (row - 0.5) * plot.width() / std::max(rows, 1);
    }
    double yOf(double v, int axis) const {
        const Scale& sc = scale[axis];
        return plot.bottom() - (v - sc.minimum) / (sc.maximum - sc.minimum) * plot.height();
    }
};

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

Chart::AxisMarks Chart::axisMarks(AxisId id) const {
    const Layout L = layout(QRectF(rect()), dpi());
    const int a = id == AxisId::Y1 ? 0 : 1;
    AxisMarks marks;
    if (!L.showAxis[a]) return marks;
    L.forEachTick(a, [&](long long, double v, bool labelled) {
        marks.ticks.push_back(v);
        if (labelled) marks.labels.push_back(v);
    });
    return marks;
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

Chart::Scale Chart::drawnScale(AxisId id) const {
    const ValueAxis& a = axis(id);
    if (!std::isfinite(a.maximum) || !std::isfinite(a.minimum) || !(a.maximum > a.minimum) ||
        a.majorDivision <= 0)
        return {0, 10, 5, 1};
    return {a.minimum, a.maximum, a.majorDivision, std::max(1, a.minorDivision)};
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

Chart::Layout Chart::layout(const QRectF& area, double dpi) const {
    Layout L;
    L.s = dpi / 96.0;
    const double s = L.s;
    L.area = area;
    L.font = font();
    L.titleFont = font();
    L.titleFont.setBold(true);
    L.titleFont.setPointSizeF(L.font.pointSizeF() > 0 ? L.font.pointSizeF() * 1.15 : 10);
    // Fonts in points: measured at the device's dpi they take its size.
    QImage probe(1, 1, QImage::Format_ARGB32);
    probe.setDotsPerMeterX(qRound(dpi / 0.0254));
    probe.setDotsPerMeterY(qRound(dpi / 0.0254));
    const QFontMetricsF fm(L.font, &probe);
    const QFontMetricsF tfm(L.titleFont, &probe);
    L.textHeight = fm.height();
    const double gap = 4 * s;

    QRectF r = area.adjusted(8 * s, 6 * s, -8 * s, -6 * s);
    if (!title_.isEmpty()) {
        const double h = tfm.height() * titleLines().size();
        L.titleRect = QRectF(r.left(), r.top(), r.width(), h);
        r.setTop(r.top() + h + gap);
    }

    // Legend under the plot: entries side by side, centred, wrapping.
    if (legend_ && seriesCount() > 0 && legendPosition_ == LegendPosition::Bottom) {
        std::vector<double> widths;
        for (const ChartSeries& se : series_)
            widths.push_back(std::min(r.width(), 24 * s + gap + fm.horizontalAdvance(se.name)));
        const double spacing = 4 * gap;
        std::vector<std::vector<size_t>> lines(1);
        double used = 0;
        for (size_t i = 0; i < widths.size(); ++i) {
            const double need = (lines.back().empty() ? 0 : spacing) + widths[i];
            if (!lines.back().empty() && used + need > r.width()) {
                lines.emplace_back();
                used = 0;
            }
            used += lines.back().empty() ? widths[i] : need;
            lines.back().push_back(i);
        }
        const double lineHeight = fm.height() + 2 * s;
        double y = r.bottom() - lines.size() * lineHeight + 2 * s;
        L.legendEntries.resize(series_.size());
        for (const auto& line : lines) {
            double total = 0;
            for (size_t k = 0; k < line.size(); ++k)
                total += widths[line[k]] + (k ? spacing : 0);
            double x = r.left() + (r.width() - total) / 2;
            for (size_t i : line) {
                L.legendEntries[i] = QRectF(x, y, widths[i], fm.height());
                x += widths[i] + spacing;
            }
            y += lineHeight;
        }
        r.setBottom(r.bottom() - lines.size() * lineHeight - gap);
    }

    // Legend on the right, one entry per series.
    if (legend_ && seriesCount() > 0 && legendPosition_ == LegendPosition::Right) {
        double w = 0;
        for (const ChartSeries& se : series_)
            w = std::max(w, fm.horizontalAdvance(se.name));
        const double entryW = 24 * s + gap + w;
        const double x = r.right() - entryW;
        double y = r.top() + gap;
        for (size_t i = 0; i < series_.size(); ++i) {
            L.legendEntries.emplace_back(x, y, entryW, fm.height());
            y += fm.height() + 2 * s;
        }
        r.setRight(x - 2 * gap);
    }

    // Value axes: the first on the left, the second on the right when a
    // series uses it.
    const bool usesSecond = std::any_of(series_.begin(), series_.end(),
                                        [](const ChartSeries& se) { return se.secondAxis; });
    for (int a = 0; a < 2; ++a) {
        const AxisId id = a == 0 ? AxisId::Y1 : AxisId::Y2;
        L.scale[a] = drawnScale(id);
        L.showAxis[a] = !axis(id).hidden && (a == 0 || usesSecond);
        L.decimals[a] = decimalsFor(L.scale[a]);
        if (!L.showAxis[a]) continue;
        const Scale& sc = L.scale[a];
        double w = 0;
        for (double v : {sc.minimum, sc.maximum, sc.minimum + (sc.maximum - sc.minimum) / 2})
            w = std::max(w, fm.horizontalAdvance(axisNumber(v, L.decimals[a])));
        const double need = w + 6 * s;
        const bool hasTitle = !axis(id).title.isEmpty();
        if (a == 0) {
            if (hasTitle) {
                L.axisTitleRect[0] = QRectF(r.left(), r.top(), fm.height(), r.height());
                r.setLeft(r.left() + fm.height() + gap);
            }
            r.setLeft(r.left() + need);
        } else {
            if (hasTitle) {
                L.axisTitleRect[1] =
                    QRectF(r.right() - fm.height(), r.top(), fm.height(), r.height());
                r.setRight(r.right() - fm.height() - gap);
            }
            r.setRight(r.right() - need);
        }
    }
    // Room for the half of a value label that stands above the top line.
    r.setTop(r.top() + fm.height() / 2);
    if (r.width() < 10 * s) r.setWidth(10 * s);

    // Row labels: upright and centred under their rows. Where they cannot
    // all stand side by side, every n-th is left out at a regular stride;
    // the labels of lone rows all stand, the others making room for them.
    const double slot = r.width() / std::max(rows_, 1);
    L.markerCap = std::max(3 * s, slot * 0.75);
    const int joinedRows = loneFrom_ > 0 ? std::min(rows_, loneFrom_ - 1) : rows_;
    double below = 0;
    for (int lv = 0; lv < levels_; ++lv) {
        auto& out = L.labels[lv];
        std::vector<int> shown; // rows of the non-blank labels
        for (int row = 1; row <= rows_; ++row)
            if (!labels_[lv][static_cast<size_t>(row - 1)].trimmed().isEmpty())
                shown.push_back(row);
        auto boxOf = [&](int row) {
            const double w = fm.horizontalAdvance(labels_[lv][static_cast<size_t>(row - 1)]);
            return QRectF(r.left() + (row - 0.5) * slot - w / 2, 0, w, fm.height());
        };
        const size_t joined = static_cast<size_t>(
            std::count_if(shown.begin(), shown.end(), [&](int row) { return row <= joinedRows; }));
        // The lone rows' labels first, every one: they name what a value is.
        // Crowded ones move right, and the group left to stay in the chart.
        std::vector<QRectF> lone;
        double last = -std::numeric_limits<double>::infinity();
        for (size_t k = joined; k < shown.size(); ++k) {
            QRectF b = boxOf(shown[k]);
            if (b.left() < last + 3 * s) b.moveLeft(last + 3 * s);
            lone.push_back(b);
            last = b.right();
        }
        const double over = lone.empty() ? 0 : lone.back().right() - (area.right() - 2 * s);
        if (over > 0)
            for (QRectF& b : lone)
                b.translate(-over, 0);
        const double limit =
            lone.empty() ? std::numeric_limits<double>::infinity() : lone.front().left() - 3 * s;
        for (size_t stride = 1;; ++stride) {
            out.assign(static_cast<size_t>(rows_), QRectF());
            last = -std::numeric_limits<double>::infinity();
            bool fits = true;
            std::vector<int> placed;
            for (size_t k = 0; k < joined; k += stride) {
                const QRectF b = boxOf(shown[k]);
                if (b.left() < last + 3 * s) fits = false;
                out[static_cast<size_t>(shown[k] - 1)] = b;
                placed.push_back(shown[k]);
                last = b.right();
            }
            if (!fits && stride < joined) continue;
            if (!fits) out.assign(static_cast<size_t>(rows_), QRectF());
            // The last ones of the stride make room for the lone labels.
            while (!placed.empty() && out[static_cast<size_t>(placed.back() - 1)].right() > limit) {
                out[static_cast<size_t>(placed.back() - 1)] = QRectF();
                placed.pop_back();
            }
            break;
        }
        for (size_t k = joined; k < shown.size(); ++k)
            out[static_cast<size_t>(shown[k] - 1)] = lone[k - joined];
        // Vertical places are set once the plot's bottom is known.
        for (QRectF& q : out)
            if (!q.isNull()) q.moveTop(below);
        below += fm.height() + 2 * s;
    }
    double bottomRoom = gap + below;
    if (!categoryTitle_.isEmpty()) bottomRoom += fm.height() + gap;
    r.setBottom(r.bottom() - bottomRoom);
    if (r.height() < 10 * s) r.setHeight(10 * s);
    L.plot = r;
    for (int lv = 0; lv < levels_; ++lv)
        for (QRectF& q : L.labels[lv])
            if (!q.isNull()) q.translate(0, r.bottom() + gap);
    if (!categoryTitle_.isEmpty())
        L.categoryTitleRect =
            QRectF(r.left(), r.bottom() + gap + below + gap, r.width(), fm.height());

    // Ticks, grid lines and value labels never crowd: every n-th major
    // line is drawn, n a round number, and the labels stand on drawn ticks.
    for (int a = 0; a < 2; ++a) {
        const double spacing = r.height() / L.scale[a].majorDivision;
        L.gridStride[a] = roundStride(5 * s / spacing, 1);
        L.labelStride[a] = roundStride(1.6 * fm.height() / spacing, L.gridStride[a]);
    }
    return L;
}

void Chart::render(QPainter& p, const QRectF& area) const {
    const double deviceDpi = p.device() ? p.device()->logicalDpiY() : 96;
    const Layout L = layout(area, deviceDpi > 0 ? deviceDpi : 96);
    const double s = L.s;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(area, Qt::white);
    const QColor text(30, 30, 30);

    if (!title_.isEmpty()) {
        p.setFont(L.titleFont);
        p.setPen(text);
        p.drawText(L.titleRect, Qt::AlignCenter, titleLines().join('\n'));
    }
    p.setFont(L.font);

    // One grid: dotted or dashed lines need more contrast than solid ones.
    const QPen gridPen(gridPen_ == PenStyle::Solid ? QColor(218, 222, 228) : QColor(140, 140, 140),
                       1 * s, gridPen_ == PenStyle::None ? Qt::SolidLine : qtPen(gridPen_));
    const int gridAxis = L.showAxis[0] ? 0 : 1;
    if (categoryGrid_ && rows_ > 0) {
        for (int k = divisionsPerTick_; k < rows_; k += divisionsPerTick_) {
            const double x = L.plot.left() + k * L.plot.width() / rows_;
            p.setPen(gridPen);
            p.drawLine(QPointF(x, L.plot.top()), QPointF(x, L.plot.bottom()));
            p.setPen(QPen(QColor(120, 120, 120), 1 * s));
            p.drawLine(QPointF(x, L.plot.bottom()), QPointF(x, L.plot.bottom() + 4 * s));
        }
    }

    // Value axes: grid lines, ticks and their numbers.
    for (int a = 0; a < 2; ++a) {
        if (!L.showAxis[a]) continue;
        const Scale& sc = L.scale[a];
        const bool left = a == 0;
        const double x = left ? L.plot.left() : L.plot.right();
        const double tick = 4 * s;
        const double step = (sc.maximum - sc.minimum) / sc.majorDivision;
        L.forEachTick(a, [&](long long i, double v, bool labelled) {
            const double y = L.yOf(v, a);
            if (grid_ && a == gridAxis && i > 0 && i < sc.majorDivision) {
                p.setPen(gridPen);
                p.drawLine(QPointF(L.plot.left(), y), QPointF(L.plot.right(), y));
            }
            p.setPen(QPen(QColor(120, 120, 120), 1 * s));
            p.drawLine(QPointF(x, y), QPointF(left ? x - tick : x + tick, y));
            // Minor ticks between this major line and the next.
            if (sc.minorDivision > 1 && i < sc.majorDivision && L.gridStride[a] == 1)
                for (int m = 1; m < sc.minorDivision; ++m) {
                    const double ym = L.yOf(v + m * step / sc.minorDivision, a);
                    p.drawLine(QPointF(x, ym), QPointF(left ? x - tick / 2 : x + tick / 2, ym));
                }
            if (!labelled) return;
            p.setPen(text);
            const QString t = axisNumber(v, L.decimals[a]);
            const QRectF box = left ? QRectF(L.area.left(), y - L.textHeight / 2,
                                             x - tick - 2 * s - L.area.left(), L.textHeight)
                                    : QRectF(x + tick + 2 * s, y - L.textHeight / 2,
                                             L.area.right() - x - tick - 2 * s, L.textHeight);
            p.drawText(box, (left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, t);
        });
        const QString& axisTitle = axis(a == 0 ? AxisId::Y1 : AxisId::Y2).title;
        if (!axisTitle.isEmpty()) {
            const QRectF tr = L.axisTitleRect[a];
            p.save();
            p.translate(tr.center());
            p.rotate(left ? -90 : 90);
            p.drawText(QRectF(-tr.height() / 2, -tr.width() / 2, tr.height(), tr.width()),
                       Qt::AlignCenter, axisTitle);
            p.restore();
        }
    }

    // The plot's frame.
    p.setPen(QPen(QColor(120, 120, 120), 1 * s));
    p.setBrush(Qt::NoBrush);
    p.drawRect(L.plot);

    // Row labels, with a small tick over each.
    p.setPen(text);
    for (int lv = 0; lv < levels_; ++lv)
        for (int row = 1; row <= rows_; ++row) {
            const QRectF& q = L.labels[lv][static_cast<size_t>(row - 1)];
            if (q.isNull()) continue;
            const QString& t = labels_[lv][static_cast<size_t>(row - 1)];
            if (lv == 0) {
                p.setPen(QPen(QColor(120, 120, 120), 1 * s));
                const double x = L.xOf(row, rows_);
                p.drawLine(QPointF(x, L.plot.bottom()), QPointF(x, L.plot.bottom() + 3 * s));
                p.setPen(text);
            }
            p.drawText(q, Qt::AlignCenter, t);
        }
    p.setFont(L.font);
    if (!categoryTitle_.isEmpty()) p.drawText(L.categoryTitleRect, Qt::AlignCenter, categoryTitle_);

    // Series: lines broken at null points, then markers; clipped to the plot.
    p.save();
    p.setClipRect(L.plot.adjusted(-1 * s, -1 * s, 1 * s, 1 * s));
    for (int n = 1; n <= seriesCount(); ++n) {
        const ChartSeries& se = series_[static_cast<size_t>(n - 1)];
        const int a = se.secondAxis ? 1 : 0;
        const auto& vals = values_[static_cast<size_t>(n - 1)];
        if (se.penStyle != PenStyle::None) {
            QPen pen(se.color, std::max(0.5, se.width) * s, qtPen(se.penStyle), Qt::RoundCap,
                     Qt::RoundJoin);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            QPolygonF run;
            // A value between two gaps still shows: as a dot of the line.
            auto flush = [&] {
                if (run.size() > 1)
                    p.drawPolyline(run);
                else if (run.size() == 1)
                    p.drawPoint(run.front());
                run.clear();
            };
            for (int row = 1; row <= rows_ && !lone(row); ++row) {
                const double v = vals[static_cast<size_t>(row - 1)];
                if (std::isnan(v)) {
                    flush();
                    continue;
                }
                run << QPointF(L.xOf(row, rows_), L.yOf(v, a));
            }
            flush();
        }
        for (int row = 1; row <= rows_; ++row) {
            const double v = vals[static_cast<size_t>(row - 1)];
            if (std::isnan(v)) continue;
            // A lone value is a point, marked even on a line without markers.
            const Marker m =
                lone(row) && se.marker == Marker::None ? Marker::FilledCircle : se.marker;
            paintMarker(p, m, QPointF(L.xOf(row, rows_), L.yOf(v, a)), L.markerSize(se), se.color,
                        se.markerPenWidth * s);
        }
    }
    p.restore();

    // Legend: a piece of each series' line with its marker, and its name.
    for (size_t i = 0; i < L.legendEntries.size(); ++i) {
        const ChartSeries& se = series_[i];
        const QRectF e = L.legendEntries[i];
        const double y = e.center().y();
        if (se.penStyle != PenStyle::None) {
            p.setPen(QPen(se.color, std::max(0.5, se.width) * s, qtPen(se.penStyle)));
            p.drawLine(QPointF(e.left(), y), QPointF(e.left() + 20 * s, y));
        }
        paintMarker(p, se.marker, QPointF(e.left() + 10 * s, y), se.markerSize * s, se.color,
                    se.markerPenWidth * s);
        p.setPen(text);
        p.drawText(e.adjusted(24 * s + 4 * s, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, se.name);
    }
    if (frame_) {
        const double w = 1 * s;
        p.setPen(QPen(QColor(60, 60, 60), w));
        p.setBrush(Qt::NoBrush);
        p.drawRect(area.adjusted(w / 2, w / 2, -w / 2, -w / 2));
    }
    p.restore();
}

QImage Chart::toImage(const QSize& size, double dpi) const {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);
    QPainter p(&img);
    render(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return img;
}

std::optional<QPointF> Chart::pointAt(int series, int row, const QRectF& area, double dpi) const {
    if (!validSeries(series) || !validRow(row) || isNull(row, series)) return std::nullopt;
    const Layout L = layout(area, dpi);
    const int a = series_[static_cast<size_t>(series - 1)].secondAxis ? 1 : 0;
    return QPointF(L.xOf(row, rows_), L.yOf(value(row, series), a));
}

std::optional<QPointF> Chart::pointAt(int series, int row) const {
    return pointAt(series, row, QRectF(rect()), dpi());
}

QRectF Chart::plotArea() const {
    return layout(QRectF(rect()), dpi()).plot;
}

QRectF Chart::labelRect(int row, int level) const {
    if (!validRow(row) || level < 1 || level > levels_) return QRectF();
    const Layout L = layout(QRectF(rect()), dpi());
    return L.labels[level - 1][static_cast<size_t>(row - 1)];
}

Chart::Hit Chart::hitTest(const QPoint& pos) const {
    const Layout L = layout(QRectF(rect()), dpi());
    const QPointF q(pos);
    for (size_t i = 0; i < L.legendEntries.size(); ++i)
        if (L.legendEntries[i].contains(q)) return {static_cast<int>(i) + 1, 0};
    if (!L.plot.adjusted(-4, -4, 4, 4).contains(q)) return {};
    // The series drawn last lies on top: it is hit first.
    for (int n = seriesCount(); n >= 1; --n) {
        const ChartSeries& se = series_[static_cast<size_t>(n - 1)];
        const int a = se.secondAxis ? 1 : 0;
        const auto& vals = values_[static_cast<size_t>(n - 1)];
        const double markerReach = std::max(L.markerSize(se) / 2, 4.0) + 2;
        const double lineReach = std::max(se.width * L.s / 2, 3.0) + 1;
        int best = 0;
        double bestDist = markerReach;
        QPointF prev;
        bool hasPrev = false; // a line runs from the previous point
        for (int row = 1; row <= rows_; ++row) {
            const double v = vals[static_cast<size_t>(row - 1)];
            if (std::isnan(v)) {
                hasPrev = false;
                continue;
            }
            const QPointF pt(L.xOf(row, rows_), L.yOf(v, a));
            if (lone(row)) hasPrev = false;
            const double d = std::hypot(pt.x() - q.x(), pt.y() - q.y());
            if (d <= bestDist) {
                bestDist = d;
                best = row;
            }
            if (!best && hasPrev && se.penStyle != PenStyle::None &&
                distanceToSegment(q, prev, pt) <= lineReach) {
                // On the line: the nearer end of the segment.
                const double dPrev = std::hypot(prev.x() - q.x(), prev.y() - q.y());
                return {n, dPrev <= d ? row - 1 : row};
            }
            prev = pt;
            hasPrev = true;
        }
        if (best) return {n, best};
    }
    return {};
}

void Chart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    render(p, QRectF(rect()));
}

void Chart::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const Hit hit = hitTest(e->position().toPoint());
        if (hit.series > 0) emit seriesSelected(hit.series);
    }
    QWidget::mousePressEvent(e);
}

} // namespace platform::gui
