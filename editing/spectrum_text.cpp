#include "editing/spectrum_text.h"

#include "tables/band_table.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kSignificant = 15;
constexpr int kFieldCells = 8;

QString cellOf(const db::Value& v, bool number) {
    if (v.isNull() || v.isEmpty()) return QString();
    if (number && v.isNumber()) return QString::fromStdString(clipboardNumber(v.toDouble()));
    return clipboardText(QString::fromStdString(v.toText()));
}

} // namespace

std::string clipboardNumber(double v) {
    if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v < 0 ? "-Inf" : "Inf");
    if (v == 0) return "0";
    // "d.dddddddddddddde+XX": the value rounded to 15 significant digits.
    char buf[40];
    const auto end = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(v),
                                   std::chars_format::scientific, kSignificant - 1)
                         .ptr;
    *end = '\0';
    std::string digits;
    digits += buf[0];
    digits.append(buf + 2, kSignificant - 1);
    const int exponent = std::atoi(buf + kSignificant + 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = v < 0 ? "-" : "";
    if (exponent <= -5 || exponent >= kSignificant) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        const int e = std::abs(exponent);
        out += exponent < 0 ? "E-" : "E+";
        if (e < 10) out += '0';
        out += std::to_string(e);
        return out;
    }
    if (exponent < 0) {
        out += "." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
        return out;
    }
    const size_t intLen = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= intLen) {
        out += digits + std::string(intLen - digits.size(), '0');
    } else {
        out += digits.substr(0, intLen) + "." + digits.substr(intLen);
    }
    return out;
}

QString clipboardText(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

int spectrumCellCount(int bandKind) {
    return (bandKind - 1) * 20 + 18;
}

QStringList spectrumHeader(const std::vector<std::string>& fieldNames, int bandKind, int firstBand,
                           bool worksheet) {
    QStringList cells;
    for (int i = 0; i < kFieldCells; ++i) {
        const bool named = i < static_cast<int>(fieldNames.size()) && (worksheet || i < 7);
        cells << (named ? clipboardText(QString::fromStdString(fieldNames[static_cast<size_t>(i)]))
                        : QString());
    }
    const int bands = spectrumCellCount(bandKind) - kFieldCells;
    for (int j = 1; j <= bands; ++j) {
        const int t = bandTableIndex(firstBand, j, bands);
        cells << (t > 0 ? QString::fromStdString(clipboardNumber(gBandFreq[static_cast<size_t>(t)]))
                        : QString());
    }
    return cells;
}

QStringList spectrumCells(const std::vector<db::Value>& fields, int bandKind, bool worksheet) {
    QStringList cells;
    const int count = spectrumCellCount(bandKind);
    for (int c = 0; c < count; ++c) {
        if (c == 7 && !worksheet) {
            cells << QString();
            continue;
        }
        const db::Value v =
            c < static_cast<int>(fields.size()) ? fields[static_cast<size_t>(c)] : db::Value();
        cells << cellOf(v, c == 0 || c >= kFieldCells);
    }
    return cells;
}

QString joinSpectrumRows(const std::vector<QStringList>& rows) {
    QStringList lines;
    lines.reserve(static_cast<int>(rows.size()));
    for (const QStringList& row : rows)
        lines << row.join('\t');
    return lines.join("\r\n");
}
