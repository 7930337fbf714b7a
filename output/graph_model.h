#pragma once
// The graph of a graph window as a plain description: what DoGraph puts on
// the chart, built from the window's records, line settings and options
// without touching a widget, and then drawn on the chart in one go.
#include "output/output_records.h"

#include <QColor>
#include <QString>

#include <array>
#include <vector>

namespace platform::gui {
class Chart;
}

// Line settings of one spectrum, as the window's editors set them.
struct LineSettings {
    bool plotted = false;
    bool secondAxis = false;
    int marker = 15;    // the chart's marker styles 0 to 13; 15 no marker
    int widthIndex = 2; // 1 to 5: the pen is 10 times as wide, in twips
    int penStyle = 1;   // 0 none, 1 solid, 2 dashed, 3 dotted, 4 dash-dot
    int red = 0, green = 0, blue = 0;
    QString legend;
};

constexpr int kNoMarker = 15;

struct GraphInput {
    int nBands = 10;                 // 10 or 30
    std::vector<QString> axisLabels; // band j at [j - 1]
    const std::vector<OutputRecord>* records = nullptr;
    const std::vector<LineSettings>* settings = nullptr; // parallel to records
    bool summary = false, xGrid = false, yGrid = false, legend = false;
    QString title, yTitle, yTitle2;
};

struct GraphAxis {
    double maximum = 10;
    double minimum = 0;
    int majorDivision = 1;
    int minorDivision = 1;
    bool hidden = false;
    QString title;
};

struct GraphSeries {
    QColor colour;
    int penStyle = 1;
    int penWidth = 20;       // twips
    int marker = kNoMarker;  // 0 to 13, or kNoMarker
    int markerSize = 100;    // twips
    int markerPenWidth = 20; // twips
    bool secondAxis = false;
    QString label;
};

struct GraphDescription {
    int rows = 0;
    // values[s][r - 1] of series s + 1 at row r; nulls mark missing points.
    std::vector<std::vector<double>> values;
    std::vector<std::vector<bool>> nulls;
    int loneRowsFrom = 0; // the summary rows: points, not part of the line
    int labelLevels = 1;
    std::array<std::vector<QString>, 2> labels; // [level - 1][row - 1]
    int divisionsPerTick = 1;                   // category axis
    bool xGrid = false, yGrid = false;
    std::array<GraphAxis, 2> axes; // first and second value axis
    QString title;
    QString categoryTitle = QStringLiteral("Frequency, Hz");
    bool legend = false;
    bool frame = true;
    std::vector<GraphSeries> series;
};

// The graph of the plotted spectra.
GraphDescription describeGraph(const GraphInput& input);

// Puts the description on the chart, replacing all it showed.
void drawGraph(const GraphDescription& graph, platform::gui::Chart& chart);

// The category labels of a sheet: an octave sheet's band labels without
// their unit ("31.5", "1K"); a third-octave sheet's only under the octave
// centres, the others empty. A band outside the band table is unlabelled.
std::vector<QString> graphAxisLabels(int nBands, int firstBand);

// The colour list of the Colour box, by index.
struct NamedColour {
    const char* name;
    int red, green, blue;
};
inline constexpr NamedColour kGraphColours[] = {
    {"Black", 0, 0, 0},  {"Red", 255, 0, 0},       {"Green", 0, 255, 0},  {"Yellow", 255, 255, 0},
    {"Blue", 0, 0, 255}, {"Magenta", 255, 0, 255}, {"Cyan", 0, 255, 255},
};
