#include "editing/paste_data.h"

#include "engine/bands.h"
#include "platform/db/error.h"
#include "platform/db/recordset.h"
#include "platform/gui/clipboard.h"
#include "sheets/level_display.h"
#include "tables/band_table.h"

#include <cmath>

namespace {

constexpr int kFieldCells = 8;

const QString& emptyText() {
    static const QString empty;
    return empty;
}

bool isLevelType(const QString& type) {
    return type == QLatin1String("Sound Level") ||
           type == QLatin1String("Vibration Acceleration") ||
           type == QLatin1String("Vibration Velocity") ||
           type == QLatin1String("Impact Sound Level");
}

// The value of a set of bands that holds a marker: an error wins, then a
// missing band, then a marked one. False when none holds a marker.
bool markerOf(std::initializer_list<double> bands, double& out) {
    bool noValue = false, marked = false;
    for (double b : bands) {
        if (b == kErrorValue) {
            out = kErrorValue;
            return true;
        }
        noValue = noValue || b == kNoValue;
        marked = marked || b == kMarked;
    }
    if (noValue) out = kNoValue;
    if (!noValue && marked) out = kMarked;
    return noValue || marked;
}

double log10OfSum(double sum) {
    return std::log(sum) / std::log(10.0);
}

int floorDiv(int a, int b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

void checkFinite(double v, int row) {
    if (!std::isfinite(v))
        throw db::Error("Overflow in the band conversion of paste data row " + std::to_string(row));
}

} // namespace

int PasteArray::cellCount(int row) const {
    if (row < 1 || row > rowCount()) return 0;
    return static_cast<int>(rows_[static_cast<size_t>(row - 1)].size());
}

const QString& PasteArray::cell(int row, int c) const {
    if (row < 1 || row > rowCount() || c < 1) return emptyText();
    const auto& r = rows_[static_cast<size_t>(row - 1)];
    return c <= static_cast<int>(r.size()) ? r[static_cast<size_t>(c - 1)] : emptyText();
}

void PasteArray::setCell(int row, int c, const QString& text) {
    if (row < 1 || row > kMaxRows || c < 1 || c > kMaxCells)
        throw db::Error("The paste array holds " + std::to_string(kMaxRows) + " rows of " +
                        std::to_string(kMaxCells) + " cells");
    if (row > rowCount()) rows_.resize(static_cast<size_t>(row));
    auto& r = rows_[static_cast<size_t>(row - 1)];
    if (c > static_cast<int>(r.size())) r.resize(static_cast<size_t>(c));
    r[static_cast<size_t>(c - 1)] = text;
    if (c > columns_) columns_ = c;
}

void PasteArray::addRow(std::vector<QString> cells) {
    if (rowCount() >= kMaxRows || static_cast<int>(cells.size()) > kMaxCells)
        throw db::Error("The paste array holds " + std::to_string(kMaxRows) + " rows of " +
                        std::to_string(kMaxCells) + " cells");
    if (rows_.empty() || static_cast<int>(cells.size()) > columns_)
        columns_ = static_cast<int>(cells.size());
    rows_.push_back(std::move(cells));
}

void PasteArray::clear() {
    rows_.clear();
    columns_ = 0;
}

QString decodePasteText(const QString& text, PasteArray& pasteData) {
    pasteData.clear();
    if (text.isEmpty()) return kMsgNoPasteData;
    // Text with no CR comes from a program that ends its lines with LF alone.
    const bool crLines = text.contains(QLatin1Char('\r'));
    const QChar sep = crLines ? QLatin1Char('\r') : QLatin1Char('\n');
    const qsizetype len = text.size();
    QString message;
    int firstCount = -1;
    qsizetype rp = 0;
    qsizetype lineEnd = text.indexOf(sep, rp);
    if (lineEnd < 0) lineEnd = len;
    for (;;) {
        if (pasteData.rowCount() >= PasteArray::kMaxRows)
            return QString("Paste data has more than %1 rows").arg(PasteArray::kMaxRows);
        std::vector<QString> cells;
        qsizetype cs = rp;
        for (;;) {
            qsizetype ce = text.indexOf(QLatin1Char('\t'), cs);
            if (ce < 0 || ce > lineEnd) ce = lineEnd;
            if (static_cast<int>(cells.size()) >= PasteArray::kMaxCells)
                return QString("Paste data has more than %1 cells in a row")
                    .arg(PasteArray::kMaxCells);
            cells.push_back(text.mid(cs, ce - cs));
            cs = ce + 1;
            if (ce == lineEnd) break;
        }
        const int count = static_cast<int>(cells.size());
        pasteData.addRow(std::move(cells));
        if (firstCount < 0)
            firstCount = count;
        else if (count != firstCount)
            message = kMsgNotRectangular;

        // A line break at the very end adds no row.
        if (lineEnd >= len - 1) break;
        if (crLines && lineEnd == len - 2 && text[len - 1] == QLatin1Char('\n')) break;
        rp = lineEnd + 1;
        if (crLines && text[rp] == QLatin1Char('\n')) ++rp;
        lineEnd = text.indexOf(sep, rp);
        if (lineEnd < 0) lineEnd = len;
    }
    return message;
}

QString DecodePaste(PasteArray& pasteData) {
    return decodePasteText(platform::clipboardText(), pasteData);
}

bool readPasteSource(const PasteArray& pasteData, PasteSource& source) {
    if (pasteData.rowCount() < 2) return false;
    const int columns = pasteData.columnCount();
    if (columns != 18 && columns != 38) return false;
    bool overflow = false;
    const double freq = readNumber(pasteData.cell(1, 9), &overflow);
    if (overflow) return false;
    int first = 0;
    for (int i = 1; i <= kBandTableSize; ++i)
        if (gBandFreq[static_cast<size_t>(i)] == freq) first = i;
    if (first == 0) return false;
    // Octave data start at an octave centre (band 2 of every three).
    if (columns == 18 && first % 3 != 2) return false;
    source.columns = columns;
    source.bandKind = columns == 38 ? 2 : 1;
    source.firstBand = first;
    return true;
}

double pasteBandValue(const QString& cell, bool* overflow) {
    if (overflow) *overflow = false;
    const QString t = cell.trimmed();
    if (t.isEmpty() || t == QLatin1String(".")) return kNoValue;
    if (t == QLatin1String("X")) return kMarked;
    if (t == QLatin1String("#ERR")) return kErrorValue;
    return readNumber(t, overflow);
}

double convertedBand(const PasteArray& pasteData, int row, int j, const PasteTarget& target,
                     const PasteSource& source) {
    const int line = row + 1;
    const int sourceBands = source.columns - kFieldCells;
    const auto band = [&](int k) {
        if (k < 1 || k > sourceBands) return kNoValue;
        bool overflow = false;
        const double v = pasteBandValue(pasteData.cell(line, k + kFieldCells), &overflow);
        if (overflow)
            throw db::Error("Paste data row " + std::to_string(row) + ", band " +
                            std::to_string(k) + ": the number is too large");
        return v;
    };
    const QString& type = pasteData.cell(line, 3);
    const int shift = target.firstBand - source.firstBand;

    if (target.bandKind == source.bandKind) {
        if (target.bandKind == 2) return band(j + shift);
        // Octave sheets start at octave centres: their bands line up in steps of 3.
        if (shift % 3 != 0) return kNoValue;
        return band(j + shift / 3);
    }

    if (target.bandKind == 1) {
        // An octave from the three thirds around its centre.
        const int k = 3 * j - 2 + shift;
        if (k < 1 || k > sourceBands) return kNoValue;
        const bool level = isLevelType(type);
        if (!level && type != QLatin1String("Transmission Loss")) return band(k);
        const double a = band(k - 1), b = band(k), c = band(k + 1);
        double out = 0;
        if (markerOf({a, b, c}, out)) return out;
        if (level) {
            out = 10 * log10OfSum(std::pow(10.0, a / 10) + std::pow(10.0, b / 10) +
                                  std::pow(10.0, c / 10));
        } else {
            out = -10 * log10OfSum((std::pow(10.0, -a / 10) + std::pow(10.0, -b / 10) +
                                    std::pow(10.0, -c / 10)) /
                                   3);
        }
        checkFinite(out, row);
        return out;
    }

    // A third from the octave that holds it.
    const int k = floorDiv(j + 3 + shift, 3);
    const double v = band(k);
    if (isMarker(v) || !isLevelType(type)) return v;
    const double out = v - 10 * log10OfSum(3);
    checkFinite(out, row);
    return out;
}

std::vector<db::Value> pastedFields(const PasteArray& pasteData, int row, const PasteTarget& target,
                                    const PasteSource& source, bool withFormula) {
    const int bands = target.bandCount();
    std::vector<db::Value> fields(static_cast<size_t>(kFieldCells + bands));
    const int line = row + 1;
    for (int f = 1; f <= 7; ++f)
        fields[static_cast<size_t>(f)] = db::Value(pasteData.cell(line, f + 1).toStdString());
    if (!withFormula) fields[7] = db::Value("");
    for (int j = 1; j <= bands; ++j)
        fields[static_cast<size_t>(7 + j)] =
            db::Value(convertedBand(pasteData, row, j, target, source));
    return fields;
}

void PasteRecord(db::Recordset& recordSet, const PasteArray& pasteData, int row,
                 const PasteTarget& target, const PasteSource& source, bool withFormula) {
    const std::vector<db::Value> fields = pastedFields(pasteData, row, target, source, withFormula);
    if (recordSet.Fields().Count() < static_cast<int>(fields.size()))
        throw db::Error("The record has fewer fields than the bands of its sheet");
    for (size_t i = 1; i < fields.size(); ++i)
        recordSet.Fields(static_cast<int>(i)) = fields[i];
    recordSet.Update();
}
