#pragma once
// A line chart of our own, painted with QPainter onto a widget, an image or
// a printer. Its data is plain: rows (1-based) holding one value per series,
// where a null point (NaN) is left out and breaks the line; one or two label
// levels per row (blank and repeated labels allowed); series with their own
// pen and marker, on the first or the second value axis; two value axes
// scaled explicitly by maximum, minimum and the number of major and minor
// divisions. An axis whose maximum is not above its minimum, or that has no
// major division, is drawn from 0 to 10.
//
// Pens and distances are given in pixels at 96 dpi and scaled by the
// device's dpi / 96; fonts (in points) scale themselves.
//
// Grid lines: the value grid follows the major divisions of the first value
// axis shown; the category grid stands between the rows, every n rows.
#include <QColor>
#include <QImage>

class QFontMetricsF;
class QPainter;
class QPen;
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

namespace platform::gui {

enum class PenStyle { None, Solid, Dash, Dot, DashDot };

// The 14 markers, and None.
enum class Marker {
    None,
    Dash,
    Plus,
    Cross,
    Star,
    Circle,
    Square,
    Diamond,
    UpTriangle,
    DownTriangle,
    FilledCircle,
    FilledSquare,
    FilledDiamond,
    FilledUpTriangle,
    FilledDownTriangle,
};

struct ChartSeries {
    QString name; // legend text
    QColor color = QColor(0, 84, 166);
    PenStyle penStyle = PenStyle::Solid;
    double width = 1.5; // pixels at 96 dpi
    Marker marker = Marker::FilledCircle;
    double markerSize = 6; // pixels at 96 dpi
    double markerPenWidth = 1.2;
    bool secondAxis = false;
};

// Draws one marker centred on `centre`, `size` across, outlined with a pen
// of `penWidth` in `colour` (filled markers filled with it). For pictures of
// markers outside the chart too.
void paintMarker(QPainter& painter, Marker marker, const QPointF& centre, double size,
                 const QColor& colour, double penWidth);

struct ValueAxis {
    double maximum = 10;
    double minimum = 0;
    int majorDivision = 5; // intervals between minimum and maximum
    int minorDivision = 1; // intervals per major one (1: no minor ticks)
    bool hidden = false;
    QString title;
};

enum class AxisId { Y1 = 1, Y2 = 2 };

enum class LegendPosition { Right, Bottom };

class Chart : public QWidget {
    Q_OBJECT
public:
    explicit Chart(QWidget* parent = nullptr);
    ~Chart() override;

    // ---- data (rows and series count from 1) ----
    // Changing the counts keeps the values and labels that still fit.
    void setRowCount(int rows);
    int rowCount() const { return rows_; }
    void setSeriesCount(int count);
    int seriesCount() const { return static_cast<int>(series_.size()); }
    void setPoint(int row, int series, double value, bool isNull = false);
    double value(int row, int series) const; // NaN for a null point
    bool isNull(int row, int series) const;
    // Rows from this one on (0: none) stand alone, as summary values after
    // the bands do: never joined to a neighbour by the line, each drawn as
    // a marker (a filled circle on a line without markers).
    void setLoneRowsFrom(int row);
    int loneRowsFrom() const { return loneFrom_; }
    void setLabelLevelCount(int levels); // 1 or 2
    int labelLevelCount() const { return levels_; }
    void setRowLabel(int row, const QString& label, int level = 1);
    QString rowLabel(int row, int level = 1) const;

    const ChartSeries& series(int n) const;
    void setSeries(int n, const ChartSeries& s);

    // ---- axes, titles, legend ----
    const ValueAxis& axis(AxisId id) const;
    void setAxis(AxisId id, const ValueAxis& axis);
    void setAxisScale(AxisId id, double maximum, double minimum, int majorDivision,
                      int minorDivision);
    // The scale the axis is drawn with (0 to 10 when its own is unusable).
    struct Scale {
        double minimum;
        double maximum;
        int majorDivision;
        int minorDivision;
    };
    Scale drawnScale(AxisId id) const;

    void setTitle(const QString& title); // one or more lines (CR LF, CR or LF)
    const QString& title() const { return title_; }
    void setCategoryTitle(const QString& title); // under the row labels
    const QString& categoryTitle() const { return categoryTitle_; }
    void setLegendVisible(bool visible);
    bool legendVisible() const { return legend_; }
    // Right: one entry a line beside the plot; Bottom: entries side by side
    // under it, in as many lines as they need (a wide plot for many rows).
    void setLegendPosition(LegendPosition position);
    LegendPosition legendPosition() const { return legendPosition_; }
    void setGridVisible(bool visible); // major grid lines of the value axis
    bool gridVisible() const { return grid_; }
    // Lines between the rows, one every `divisionsPerTick` rows, with a tick
    // under the plot where each stands.
    void setCategoryGridVisible(bool visible);
    bool categoryGridVisible() const { return categoryGrid_; }
    void setCategoryDivisionsPerTick(int rows);
    int categoryDivisionsPerTick() const { return divisionsPerTick_; }
    void setGridPenStyle(PenStyle style); // of both grids
    PenStyle gridPenStyle() const { return gridPen_; }
    // A single line round the whole chart.
    void setFrameVisible(bool visible);
    bool frameVisible() const { return frame_; }

    // The chart's data as tab-separated text: a head row of the series'
    // names, then one row per chart row, its label and its values (empty
    // for a null point).
    QString dataText() const;
    // Puts the chart's picture, at its size on the screen, and its data text
    // on the clipboard in one item.
    void EditCopy() const;

    // ---- drawing and what is drawn ----
    // Draws the whole chart into `area` of any painter (widget, image, printer).
    void render(QPainter& painter, const QRectF& area) const;
    QImage toImage(const QSize& size, double dpi = 96) const;

    // Where a point is drawn (nullopt for a null point or no such point):
    // in the widget, or in `area` on a device of `dpi`.
    std::optional<QPointF> pointAt(int series, int row) const;
    std::optional<QPointF> pointAt(int series, int row, const QRectF& area, double dpi) const;
    QRectF plotArea() const;
    // Where a row label is drawn; empty when it is blank or left out because
    // the labels are too close to stand side by side.
    QRectF labelRect(int row, int level = 1) const;
    // The values of a value axis's drawn ticks, and of those labelled.
    struct AxisMarks {
        std::vector<double> ticks, labels;
    };
    AxisMarks axisMarks(AxisId id) const;

    // What lies under a position of the widget: a series (its point, its line
    // or its legend entry; row 0 for the legend) or nothing (series 0).
    struct Hit {
        int series = 0;
        int row = 0;
    };
    Hit hitTest(const QPoint& pos) const;

    QSize sizeHint() const override { return QSize(320, 200); }
    QSize minimumSizeHint() const override { return QSize(120, 80); }

signals:
    void seriesSelected(int series);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    struct Layout;
    Layout layout(const QRectF& area, double dpi) const;
    // Steps of the layout and of the drawing, each in the file of its job.
    void layoutLegend(Layout& L, QRectF& r, const QFontMetricsF& fm) const;
    void layoutValueAxes(Layout& L, QRectF& r, const QFontMetricsF& fm) const;
    double layoutRowLabels(Layout& L, const QRectF& r, const QFontMetricsF& fm) const;
    void paintValueAxes(QPainter& p, const Layout& L, const QPen& gridPen) const;
    void paintRowLabels(QPainter& p, const Layout& L) const;
    void paintSeries(QPainter& p, const Layout& L) const;
    void paintLegend(QPainter& p, const Layout& L) const;
    double dpi() const;
    bool validRow(int row) const { return row >= 1 && row <= rows_; }
    bool validSeries(int n) const { return n >= 1 && n <= seriesCount(); }
    void changed();
    bool lone(int row) const { return loneFrom_ > 0 && row >= loneFrom_; }
    QStringList titleLines() const;

    int rows_ = 0;
    int levels_ = 1;
    int loneFrom_ = 0;
    std::vector<ChartSeries> series_;
    std::vector<std::vector<double>> values_; // [series - 1][row - 1]
    std::vector<QString> labels_[2];          // [level - 1][row - 1]
    ValueAxis axes_[2];
    QString title_;
    QString categoryTitle_;
    bool legend_ = false;
    LegendPosition legendPosition_ = LegendPosition::Right;
    bool grid_ = true;
    bool categoryGrid_ = false;
    int divisionsPerTick_ = 1;
    PenStyle gridPen_ = PenStyle::Solid;
    bool frame_ = false;
};

} // namespace platform::gui
