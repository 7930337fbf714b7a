#include "sheets/level_display.h"

#include "engine/bands.h"
#include "engine/number_format.h"
#include "tables/band_table.h"

#include <cmath>
#include <cstdlib>

namespace {

// The leading number of a text without blanks, as strtod would read a plain
// decimal: sign, digits, point, digits, exponent (E or D) with digits.
double leadingNumber(const std::string& s, bool* overflow) {
    size_t i = 0;
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) num += s[i++];
    bool digits = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        num += s[i++];
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        num += s[i++];
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            num += s[i++];
            digits = true;
        }
    }
    if (!digits) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        std::string exp = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
        bool expDigits = false;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
            exp += s[j++];
            expDigits = true;
        }
        if (expDigits) num += exp;
    }
    const double v = std::strtod(num.c_str(), nullptr);
    if (!std::isfinite(v)) {
        if (overflow) *overflow = true;
        return 0;
    }
    return v;
}

// Whether a text without blanks is just a number written with one decimal
// comma and no point ("65,2", "-3,5", ",5", "6,5E3"); `s` then takes the
// point in the comma's place.
bool decimalComma(std::string& s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const auto digits = [&] {
        const size_t from = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        return i - from;
    };
    const size_t whole = digits();
    if (i >= s.size() || s[i] != ',') return false;
    const size_t comma = i++;
    if (whole + digits() == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    if (i != s.size()) return false;
    s[comma] = '.';
    return true;
}

// The text without its blanks, up to its first foreign letter (no number
// goes on past one); `whole` tells whether it had none.
std::string withoutBlanks(const QString& text, bool* whole = nullptr) {
    std::string s;
    if (whole) *whole = true;
    for (const QChar c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        if (c.unicode() > 127) {
            if (whole) *whole = false;
            break;
        }
        s += static_cast<char>(c.unicode());
    }
    return s;
}

} // namespace

double readNumber(const QString& text, bool* overflow) {
    if (overflow) *overflow = false;
    std::string s = withoutBlanks(text);
    decimalComma(s);
    return leadingNumber(s, overflow);
}

std::optional<double> decimalCommaNumber(const QString& text) {
    bool whole = false;
    std::string s = withoutBlanks(text, &whole);
    if (!whole || !decimalComma(s)) return std::nullopt;
    bool overflow = false;
    const double v = leadingNumber(s, &overflow);
    if (overflow) return std::nullopt;
    return v;
}

double NumFromText(const db::Value& value) {
    if (value.isNull() || value.isEmpty()) return kNoValue;
    const QString text = QString::fromStdString(value.toText());
    std::string kept;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
        bool letter = false;
        for (const QChar c : word)
            letter = letter || c.isLetter();
        if (letter) continue;
        for (const QChar c : word) {
            const ushort u = c.unicode();
            if ((u >= '0' && u <= '9') || u == '.' || u == '-') kept += static_cast<char>(u);
        }
    }
    if (kept.empty()) return kNoValue;
    bool overflow = false;
    const double v = leadingNumber(kept, &overflow);
    return overflow ? kNoValue : v;
}

long GetLevelColour(double level) {
    if (level == kMarked) return 0xFF00;
    if (level == kErrorValue) return 0xFF;
    return 0;
}

QColor levelColour(double level) {
    const long bgr = GetLevelColour(level);
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

std::string FormatLevel(double level, const std::string& type) {
    if (level == kNoValue) return ".";
    if (level == kMarked) return "X";
    if (level == kErrorValue) return "#ERR";
    if (!std::isfinite(level)) return "#ERR";
    if (type == "Absorption" || type == "Reverberation Time") return formatFixed(level, 2, true);
    return formatFixed(level, 1, true);
}

TypedLevel levelFromText(const QString& typed, double& value) {
    const QString t = typed.trimmed();
    if (t == "." || t.isEmpty()) {
        value = kNoValue;
    } else if (t == "X" || t == "x") {
        value = kMarked;
    } else if (t == "#ERR") {
        value = kErrorValue;
    } else {
        // A slip of the keys must not pass for a plausible level of 0 dB.
        std::string s = withoutBlanks(t);
        decimalComma(s);
        size_t i = s.starts_with('+') || s.starts_with('-') ? 1 : 0;
        if (i < s.size() && s[i] == '.') ++i;
        if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i])))
            return TypedLevel::NotALevel;
        bool overflow = false;
        value = leadingNumber(s, &overflow);
        if (overflow) return TypedLevel::TooLarge;
    }
    return TypedLevel::Level;
}

QString typedLevelRefusal(TypedLevel what, const QString& typed) {
    const QString shown = "\"" + typed.trimmed() + "\"";
    if (what == TypedLevel::TooLarge) return shown + " is too large a number for a level.";
    return shown + " is not a level, and nothing was stored. A level takes a number, \".\" or "
                   "nothing for no value, \"X\" to mark a band, or \"#ERR\".";
}

std::string valueText(const db::Value& v) {
    return v.isNull() || v.isEmpty() ? std::string() : v.toText();
}

double bandValue(const db::Value& v) {
    if (!v.isNumber()) {
        double d = 0;
        if (v.isText() && db::parseNumber(v.text(), d)) return d;
        return kNoValue;
    }
    return v.toDouble();
}

AxisScale scaleValueAxis(const std::string& type, double minimum, double maximum) {
    AxisScale a;
    if (type == "Absorption" || type == "Reverberation Time") {
        a.step = 0.5;
        a.minimum = 0;
        a.maximum = 0.5 * std::floor(maximum / 0.5) + 0.5;
    } else {
        a.step = 10;
        a.maximum = 10 * std::floor(maximum / 10) + 10;
        a.minimum = 10 * std::floor((minimum - 0.5) / 10);
    }
    const double division = std::nearbyint((a.maximum - a.minimum) / a.step); // halves to even
    a.majorOverflow = !(division >= -32768 && division <= 32767);
    a.major = a.majorOverflow ? 0 : static_cast<int>(division);
    return a;
}

AxisScale drawableScale(AxisScale a) {
    double division = std::nearbyint((a.maximum - a.minimum) / a.step);
    while (division > 32767 && std::isfinite(a.step)) {
        a.step *= 10;
        a.minimum = a.step * std::floor(a.minimum / a.step);
        division = std::ceil((a.maximum - a.minimum) / a.step);
        a.maximum = a.minimum + division * a.step;
    }
    a.majorOverflow = !(division >= -32768 && division <= 32767);
    a.major = a.majorOverflow ? 0 : static_cast<int>(division);
    return a;
}

SmallChartData smallChartData(const std::vector<db::Value>& fields, bool atEnd, int nBands,
                              int firstBand) {
    SmallChartData c;
    const auto field = [&](size_t i) { return i < fields.size() ? fields[i] : db::Value::null(); };
    const auto text = [&](size_t i) {
        const db::Value v = field(i);
        return v.isNull() || v.isEmpty() ? std::string() : v.toText();
    };

    double minimum = 999, maximum = -9999;
    std::vector<double> levels(static_cast<size_t>(nBands), 0.0);
    bool sum1 = false, sum2 = false;
    std::string type1, type2;
    double val1 = kNoValue, val2 = kNoValue;
    std::string type;
    if (atEnd) {
        minimum = maximum = 0;
    } else {
        for (int j = 1; j <= nBands; ++j) {
            const double v = bandValue(field(static_cast<size_t>(7 + j)));
            levels[static_cast<size_t>(j - 1)] = v;
            if (isMarker(v)) continue;
            if (v < minimum) minimum = v;
            if (v > maximum) maximum = v;
        }
        type = text(2);
        type1 = text(3);
        type2 = text(5);
        sum1 = !type1.empty();
        sum2 = !type2.empty();
        val1 = NumFromText(field(4));
        val2 = NumFromText(field(6));
        for (const double v : {val1, val2}) {
            if (v == kNoValue) continue;
            if (v < minimum) minimum = v;
            if (v > maximum) maximum = v;
        }
    }
    if (minimum == 999) minimum = 0;

    // At the end of the record set: 0 to 0, in steps of 10.
    static_cast<AxisScale&>(c) = atEnd ? AxisScale{} : scaleValueAxis(type, minimum, maximum);

    for (int j = 1; j <= nBands; ++j) {
        SmallChartData::Row r;
        r.value = levels[static_cast<size_t>(j - 1)];
        r.null = atEnd ? false : isMarker(r.value);
        if (nBands < 30) {
            const int band = firstBand + 3 * (j - 1);
            r.label = band >= 1 && band <= 48 ? gBandLabel[static_cast<size_t>(band)] : " ";
        } else if ((j + 1) % 3 == 0) {
            const int band = firstBand + j - 1;
            r.label = band >= 1 && band <= 48 ? gBandLabel[static_cast<size_t>(band)] : " ";
        } else {
            r.label = " ";
        }
        c.rows.push_back(r);
    }
    const auto summaryRow = [&](const std::string& label, double v) {
        c.rows.push_back({v, v == kNoValue, label});
    };
    if (sum1 && sum2) {
        summaryRow(type1, val1);
        if (nBands >= 30) c.rows.push_back({kNoValue, true, ""});
        summaryRow(type2, val2);
    } else if (sum1) {
        summaryRow(type1, val1);
    } else if (sum2) {
        summaryRow(type2, val2);
    }
    return c;
}
