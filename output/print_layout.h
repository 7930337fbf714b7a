#pragma once
// The layout of a print window's spectra: the preview text with its bold
// runs (DoPrint's content), and the pages printed from the same records and
// items on a printer, at computed column stops and line tops, with a head
// and foot on every page, the title block on the first and the band header
// on each.
#include "output/output_records.h"

#include <QDate>
#include <QString>

#include <array>
#include <vector>

namespace platform {
class Printer;
}

// The eight print items, by index 1 to 8.
struct PrintItems {
    std::array<bool, 9> on{};
    bool operator()(int index) const { return index >= 1 && index <= 8 && on[size_t(index)]; }
};

// Print item numbers: item i is the print window's chkPrintItem(i).
namespace item {
enum : int {
    Number = 1,
    Description,
    Formula,
    Spectrum,
    Summary1,
    Summary2,
    DataSource,
    BlankLines
};
} // namespace item

// The print text of a band value: ".", "X", "#ERR" for the markers; two
// decimals for absorption and reverberation time, one for anything else.
QString FormatNum(double value, const QString& type);

// The lines one record takes in the printout for the ticked items, the
// data-source lines included; `count` is set to the data-source field count
// first (the fields behind the bands when item 7 is ticked, else 0).
int LinesperRecordP(const PrintItems& items, int nBands, int fieldsBehindBands, int& count);

// The ten column labels of the band header: each column's octave centre.
// A band outside the band table has no label.
std::vector<QString> bandHeaderLabels(int nBands, int firstBand);

// One piece of the preview: text (lines end with a line feed, cells are
// separated by a tab) in bold or regular type.
struct PreviewRun {
    QString text;
    bool bold = false;
};

struct PreviewInput {
    PrintItems items;
    int nBands = 10;
    int firstBand = 14;
    // The spectra to show, in record order.
    std::vector<const OutputRecord*> records;
};

// The whole preview, runs of the same weight joined.
std::vector<PreviewRun> previewRuns(const PreviewInput& input);

struct PageJob {
    PrintItems items;
    int nBands = 10;
    int firstBand = 14;
    QString file; // the head: the file, three blanks, the sheet
    QString sheet;
    QString title; // lines of the first page, under the product word
    QDate printed;
    std::vector<const OutputRecord*> records;
};

// Prints the records page by page; the caller ends the document. Throws
// std::runtime_error when the page is too small to hold a record's lines.
void printPages(platform::Printer& printer, const PageJob& job);

// The page text and the foot, as printed.
QString pageText(int page);
QString footText(const QDate& date);
