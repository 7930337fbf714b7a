#pragma once
// The level display rules of the sheet windows: the text and colour of a
// level box, the number inside a rating's result text, and the data and
// value-axis scaling of the small chart of the current spectrum.
#include "platform/db/value.h"

#include <QColor>
#include <QString>

#include <optional>
#include <string>
#include <vector>

// The platform's text-to-number reading of typed or pasted text: blanks
// anywhere are skipped, the leading number is read ("7 5" reads 75, "12 dB"
// reads 12) and a text without one reads 0. "inf", "nan" and "0x10" are no
// numbers (the last reads 0). A text that is just a number with one decimal
// comma and no point reads as that decimal ("65,2" is 65.2): a spreadsheet
// in a decimal-comma language writes so. `overflow` is set when the number
// is too large for a double.
double readNumber(const QString& text, bool* overflow = nullptr);

// The number of a text that is just a number with one decimal comma and no
// point (blanks skipped); nothing for any other text.
std::optional<double> decimalCommaNumber(const QString& text);

// The number inside a rating's result text ("65.2 dBA" gives 65.2, "NR 45"
// 45, "NC ***" and "#ERR" -999). Words holding a letter are dropped first, so
// "C50-5K -1" gives -1 rather than 50. Null, empty and no digits give -999.
double NumFromText(const db::Value& text);

// Colour of a level box as the platform's BGR number: -998 green (&HFF00),
// -997 red (&HFF), anything else black.
long GetLevelColour(double level);
QColor levelColour(double level);

// Display text of a band level: "." for -999, "X" for -998, "#ERR" for -997,
// two decimals for absorption and reverberation-time spectra, otherwise one.
std::string FormatLevel(double level, const std::string& type);

// A band value as a double: Null and other non-numbers count as -999.
double bandValue(const db::Value& v);

// The value stored for text typed into a level box or a band cell, blanks
// round it aside: "." or "" no value, "X" or "x" the user's mark, "#ERR" an
// error, else the leading number ("45 dB" is 45). A text that does not begin
// with a number is no level, and a number too large for a double is refused.
enum class TypedLevel { Level, NotALevel, TooLarge };
TypedLevel levelFromText(const QString& text, double& value);
// The message for a typed text that levelFromText refused.
QString typedLevelRefusal(TypedLevel what, const QString& text);

// A field's text; "" for Null and Empty.
std::string valueText(const db::Value& v);

// A value axis scaled by the axis-scaling rule.
struct AxisScale {
    double maximum = 0;
    double minimum = 0;
    double step = 10;
    int major = 0;              // (maximum - minimum) / step, rounded to even
    bool majorOverflow = false; // that division does not fit a 16-bit integer
};

// The axis-scaling rule of the small chart and of the graph window, by the
// type of spectrum the axis shows: "Absorption" and "Reverberation Time" in
// steps of 0.5 from 0 to the next multiple of 0.5 above the largest value;
// any other type in steps of 10 from the multiple of 10 at or below half a
// unit under the smallest value to the next multiple of 10 above the largest.
AxisScale scaleValueAxis(const std::string& type, double minimum, double maximum);

// The scale a chart draws: the division taken afresh from the minimum,
// maximum and step; when it does not fit a 16-bit integer, the step is made
// 10, 100, ... times as large and the scale widened to whole steps of it, so
// that the chart's labels, every so many steps, stand at round values.
AxisScale drawableScale(AxisScale scale);

// What the small chart shows of one record.
struct SmallChartData : AxisScale {
    struct Row {
        double value = 0;
        bool null = false;
        std::string label;
    };
    std::vector<Row> rows;
    int minor = 1;
};

// Builds the chart of a record given by its fields in table order (Code,
// Description, Type, Summary 1 Type, Summary 1 Val, Summary 2 Type,
// Summary 2 Val, Formula, L1 ...); `atEnd` for a record set at its end.
SmallChartData smallChartData(const std::vector<db::Value>& fields, bool atEnd, int nBands,
                              int firstBand);
