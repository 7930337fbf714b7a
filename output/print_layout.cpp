#include "output/print_layout.h"

#include "engine/bands.h"
#include "engine/number_format.h"
#include "platform/gui/printer.h"
#include "tables/band_table.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <stdexcept>

QString FormatNum(double value, const QString& type) {
    if (value == kNoValue) return ".";
    if (value == kMarked) return "X";
    if (value == kErrorValue) return "#ERR";
    if (!std::isfinite(value)) return "#ERR";
    const int decimals = type == "Absorption" || type == "Reverberation Time" ? 2 : 1;
    return QString::fromStdString(formatFixed(value, decimals, true));
}

int LinesperRecordP(const PrintItems& items, int nBands, int fieldsBehindBands, int& count) {
    int n = 0;
    if (items(item::Number) || items(item::Description)) ++n;
    if (items(item::Formula)) ++n;
    if (items(item::Spectrum)) n += nBands == 30 ? 3 : 1;
    if (items(item::Summary1) || items(item::Summary2)) ++n;
    if (items(item::BlankLines)) ++n;
    count = items(item::DataSource) ? std::max(0, fieldsBehindBands) : 0;
    return n + count;
}

namespace {

QString bandLabel(int band) {
    if (band < 1 || band > kBandTableSize || band >= static_cast<int>(gBandLabel.size()))
        return QString();
    return QString::fromStdString(gBandLabel[static_cast<size_t>(band)]);
}

// Text for one printed line: line breaks inside a field become blanks.
QString oneLine(QString text) {
    text.replace("\r\n", " ");
    text.replace('\n', ' ');
    text.replace('\r', ' ');
    return text;
}

// The band values of row r (0 to 2) of a record: ten columns.
std::vector<QString> bandRow(const OutputRecord& r, int nBands, int row) {
    std::vector<QString> cells;
    for (int k = 1; k <= 10; ++k) {
        const int band = nBands == 30 ? row + 1 + 3 * (k - 1) : k;
        const double v = band >= 1 && band <= static_cast<int>(r.bands.size())
                             ? r.bands[size_t(band - 1)]
                             : kNoValue;
        cells.push_back(FormatNum(v, r.type));
    }
    return cells;
}

QString numberLine(const PrintItems& items, const OutputRecord& r, bool printed) {
    const bool number = items(item::Number), description = items(item::Description);
    // The preview shows a number alone bare; the printout keeps its ": ".
    if (number && (description || printed))
        return r.code + ": " + (description ? r.description : "");
    return number ? r.code : r.description;
}

QString summaryText(const PrintItems& items, const OutputRecord& r, const QString& between) {
    const bool one = items(item::Summary1), two = items(item::Summary2);
    if (one && two) return r.sum1Val + between + r.sum2Val;
    return one ? r.sum1Val : r.sum2Val;
}

class Preview {
public:
    void add(const QString& text, bool bold) {
        if (text.isEmpty()) return;
        if (!runs.empty() && runs.back().bold == bold)
            runs.back().text += text;
        else
            runs.push_back({text, bold});
    }
    std::vector<PreviewRun> runs;
};

} // namespace

std::vector<QString> bandHeaderLabels(int nBands, int firstBand) {
    std::vector<QString> labels;
    for (int k = 1; k <= 10; ++k)
        labels.push_back(
            bandLabel(nBands == 30 ? firstBand + 1 + 3 * (k - 1) : firstBand + 3 * (k - 1)));
    return labels;
}

std::vector<PreviewRun> previewRuns(const PreviewInput& in) {
    Preview out;
    const PrintItems& items = in.items;
    // FormatSpectra: the band header once, above all records.
    if (items(item::Spectrum)) {
        QStringList labels;
        for (const QString& l : bandHeaderLabels(in.nBands, in.firstBand))
            labels << l;
        out.add(labels.join('\t') + '\n', true);
        if (items(item::BlankLines)) out.add("\n", true);
    }
    // FormatThisRec for each ticked record.
    for (const OutputRecord* rp : in.records) {
        const OutputRecord& r = *rp;
        if (items(item::Number) || items(item::Description))
            out.add(numberLine(items, r, false) + '\n', true);
        if (items(item::DataSource) && !r.extra.empty()) {
            for (const auto& [name, value] : r.extra)
                out.add(name + ": " + value + '\n', false);
            out.add("\n", false);
        }
        if (items(item::Formula) && !r.formula.isEmpty())
            out.add("Formula: " + r.formula + '\n', false);
        if (items(item::Spectrum)) {
            const int rows = in.nBands == 30 ? 3 : 1;
            for (int row = 0; row < rows; ++row) {
                QStringList cells;
                for (const QString& c : bandRow(r, in.nBands, row))
                    cells << c;
                out.add(cells.join('\t') + '\n', false);
            }
        }
        if (items(item::Summary1) || items(item::Summary2))
            out.add(summaryText(items, r, "\t") + '\n', false);
        if (items(item::BlankLines)) out.add("\n", false);
    }
    return out.runs;
}

QString pageText(int page) {
    return "Page " + QString::number(page);
}

QString footText(const QDate& date) {
    // English month names wherever it is printed, so print-outs agree.
    return "Printed " + QLocale(QLocale::English).toString(date, "dd MMM yyyy");
}

namespace {

class PagePrinter {
    using PrintFont = platform::PrintFont;

public:
    PagePrinter(platform::Printer& pr, const PageJob& job) : pr_(pr), job_(job) {
        pr_.setFontName("Arial");
        font(9, true, false);
        const double s = pr_.TextWidth("  XXX.X XXX  XXX.X XXX");
        const double W = pr_.ScaleWidth(), H = pr_.ScaleHeight();
        x_[0] = 0.1 * W;
        x_[11] = 0.95 * W;
        for (int k = 1; k <= 10; ++k)
            x_[k] = x_[0] + k * (x_[11] - s - x_[0]) / 10;
        head_ = job.file + "   " + job.sheet;
        foot_ = footText(job.printed);
        font(8, false, true);
        const double hh = pr_.TextHeight(head_);
        b_ = 1.5 * hh;
        f_ = H - 2.5 * hh;
        font(10, true, false);
        lh_ = pr_.TextHeight("X");
        n_ = lh_ > 0 ? static_cast<int>(std::floor((f_ - 5.5 * b_) / lh_)) : 0;
        int count = 0;
        const int fields = job.records.empty() ? 0 : static_cast<int>(job.records[0]->extra.size());
        r_ = LinesperRecordP(job.items, job.nBands, fields, count);
        // A page must hold its band header and a record's band block.
        const int least = (job.items(item::Spectrum) ? 2 : 0) + 3;
        if (n_ < least) throw std::runtime_error("The paper is too small for the print-out.");
    }

    void run() {
        for (const OutputRecord* r : job_.records) {
            if (l_ == 1) pageStart();
            record(*r);
            // The next record starts a new page unless it surely fits.
            if (l_ + r_ > n_) {
                l_ = 1;
                ++p_;
                pr_.NewPage();
            }
        }
    }

private:
    double y(int i) const { return 2 * b_ + i * lh_; }
    void font(double size, bool bold, bool italic) {
        pr_.setFontSize(size);
        pr_.setFontBold(bold);
        pr_.setFontItalic(italic);
    }
    void at(double x, double top, const QString& text) {
        pr_.setCurrentX(x);
        pr_.setCurrentY(top);
        pr_.Print(text);
    }
    void rightAt(double x, double top, const QString& text) {
        at(x - pr_.TextWidth(text), top, text);
    }

    // Head, page number and foot; the title block on the first page; the
    // band header.
    void pageStart() {
        font(8, false, true);
        at(x_[0], b_, head_);
        rightAt(x_[11], b_, pageText(p_));
        at(x_[0], f_, foot_);
        font(10, true, false);
        if (p_ == 1 && !titleDone_) {
            titleDone_ = true;
            font(10, true, true);
            at(x_[0], y(l_), "Bandwright");
            l_ += 2;
            font(10, true, false);
            QStringList pieces = job_.title.split('\n');
            // The rest after a final line break is no line.
            if (!pieces.isEmpty() && pieces.back().isEmpty()) pieces.removeLast();
            for (QString piece : pieces) {
                piece.remove('\r');
                room(1);
                font(10, true, false);
                at(x_[0], y(l_), piece);
                ++l_;
            }
            ++l_;
        }
        if (job_.items(item::Spectrum)) {
            font(10, true, false);
            const std::vector<QString> labels = bandHeaderLabels(job_.nBands, job_.firstBand);
            for (int k = 1; k <= 10; ++k)
                rightAt(x_[k], y(l_), labels[size_t(k - 1)]);
            pr_.Line(x_[0], y(l_ + 1), x_[10], y(l_ + 1));
            l_ += 2;
        }
        bodyTop_ = l_;
    }

    // A record longer than the lines left goes on on a new page, with its
    // head, foot and band header: never over the foot.
    void room(int lines) {
        if (l_ + lines - 1 <= n_ || l_ <= bodyTop_) return;
        const PrintFont keep = pr_.font();
        pr_.NewPage();
        ++p_;
        l_ = 1;
        pageStart();
        font(keep.size, keep.bold, keep.italic);
    }

    void record(const OutputRecord& r) {
        const PrintItems& items = job_.items;
        font(10, true, false);
        const bool numberLine = items(item::Number) || items(item::Description);
        double w = 0;
        if (numberLine) {
            const QString text = oneLine(::numberLine(items, r, true));
            room(1);
            at(x_[0], y(l_), text);
            w = pr_.TextWidth(text);
            ++l_;
        }
        if (items(item::Formula) && !r.formula.isEmpty()) {
            font(10, false, true);
            const QString t = "Formula: " + oneLine(r.formula);
            const double blanks = pr_.TextWidth("   ");
            if (numberLine && w + blanks + pr_.TextWidth(t) < x_[11] - x_[0]) {
                --l_;
                at(x_[0] + w + blanks, y(l_), t);
            } else {
                room(1);
                at(x_[0], y(l_), t);
            }
            ++l_;
        }
        if (items(item::DataSource) && !r.extra.empty()) {
            font(9, false, false);
            for (const auto& [name, value] : r.extra) {
                QString line = name + ": " + value;
                line.replace("\r\n", "\n");
                line.replace('\r', '\n');
                for (const QString& piece : line.split('\n')) {
                    room(1);
                    at(x_[0], y(l_), piece);
                    ++l_;
                }
            }
            ++l_;
        }
        int firstRow = 0;
        if (items(item::Spectrum)) {
            font(9, false, false);
            const int rows = job_.nBands == 30 ? 3 : 1;
            room(rows);
            firstRow = l_;
            for (int row = 0; row < rows; ++row) {
                const std::vector<QString> cells = bandRow(r, job_.nBands, row);
                for (int k = 1; k <= 10; ++k)
                    rightAt(x_[k], y(l_), cells[size_t(k - 1)]);
                ++l_;
            }
        }
        if (items(item::Summary1) || items(item::Summary2)) {
            font(9, true, false);
            const QString text = oneLine(summaryText(items, r, "  "));
            if (items(item::Spectrum)) {
                rightAt(x_[11], y(firstRow), text);
            } else {
                room(1);
                at(x_[0], y(l_), text);
                ++l_;
            }
        }
        if (items(item::BlankLines)) ++l_;
    }

    platform::Printer& pr_;
    const PageJob& job_;
    double x_[12] = {};
    double b_ = 0, f_ = 0, lh_ = 0;
    int n_ = 0, r_ = 0;
    int p_ = 1, l_ = 1;
    int bodyTop_ = 1;
    bool titleDone_ = false;
    QString head_, foot_;
};

} // namespace

void printPages(platform::Printer& printer, const PageJob& job) {
    PagePrinter(printer, job).run();
}
