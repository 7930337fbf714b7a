#pragma once
// Reading clipboard spectrum text back: the paste array it is split into,
// the description of the data its header gives, and the writing of one data
// row into a record with the conversion between octave and third-octave
// bands. Paste, Paste Insert, the two imports and the two Save As commands
// share these.
#include "platform/db/value.h"

#include <QString>

#include <vector>

namespace db {
class Recordset;
}

inline const char* const kMsgNoPasteData = "No paste data";
inline const char* const kMsgNotRectangular = "Paste data is not a rectangular array";
inline const char* const kMsgWrongFormat = "Paste data is not in the correct format";
inline const char* const kMsgFormulaQuestion =
    "Copied data contains a formula.  Do you want to paste this?";

// Cells of text by row and cell, both counted from 1: row 1 holds the header
// row, row r + 1 the r-th data row; cell c of a data row holds record field
// c - 1 (cell 8 the formula, cell k + 8 band k). Cells no text reached read "".
class PasteArray {
public:
    static constexpr int kMaxRows = 10000;
    static constexpr int kMaxCells = 100;

    int rowCount() const { return static_cast<int>(rows_.size()); }
    // The cell count of the first row, or the largest when rows differ.
    int columnCount() const { return columns_; }
    // Cells in one row.
    int cellCount(int row) const;
    const QString& cell(int row, int c) const;
    // Sets a cell, growing the array to reach it (within the limits).
    void setCell(int row, int c, const QString& text);
    // Appends a row of cells.
    void addRow(std::vector<QString> cells);
    void clear();

private:
    std::vector<std::vector<QString>> rows_;
    int columns_ = 0;
};

// Splits text into the array (cleared first). Rows end at CR, an LF right
// after a CR belonging to it; text holding no CR splits at LF (spreadsheets
// on Linux write so). A final line break adds no row. Returns "" when the
// data are usable, else the message: kMsgNoPasteData, kMsgNotRectangular
// (the array is filled all the same), or, before anything is stored beyond
// them, the message of the limits of rows and cells.
QString decodePasteText(const QString& text, PasteArray& pasteData);
// The same for the clipboard's text.
QString DecodePaste(PasteArray& pasteData);

// What the data are: cells per row (18 or 38), the band kind (1 octave,
// 2 third-octave) and the band-table index of its first band.
struct PasteSource {
    int columns = 0;
    int bandKind = 1;
    int firstBand = 0;
};

// Reads the source description from the header row. False when the data
// cannot be pasted: fewer than 2 rows, a cell count other than 18 or 38, a
// header cell 9 that is no band's centre frequency, or octave data whose
// first band is not an octave centre.
bool readPasteSource(const PasteArray& pasteData, PasteSource& source);

// The sheet a row is written into: band kind and first band.
struct PasteTarget {
    int bandKind = 1;
    int firstBand = 0;
    int bandCount() const { return bandKind == 2 ? 30 : 10; }
};

// A band cell's value: "" and "." give -999, "X" -998, "#ERR" -997, any
// other text its leading number. `overflow` is set for a number too large.
double pasteBandValue(const QString& cell, bool* overflow = nullptr);

// Target band j (1 to the target's band count) of data row `row`, converted
// between the band systems by the spectrum type (cell 3). A band with no
// data is -999; markers are never computed with: among the bands read, -997
// wins, then -999, then -998. Throws db::Error for a number too large.
double convertedBand(const PasteArray& pasteData, int row, int j, const PasteTarget& target,
                     const PasteSource& source);

// Fields 1 to 7 + band count of a record written from data row `row`
// (element i is field i; element 0, the Code, stays Empty: a record keeps
// its number). Fields 1 to 7 take cells 2 to 8 as they are, field 7 an empty
// text unless `withFormula`; the bands are converted. Throws db::Error.
std::vector<db::Value> pastedFields(const PasteArray& pasteData, int row, const PasteTarget& target,
                                    const PasteSource& source, bool withFormula);

// Writes data row `row` into the record `recordSet` stands on (a new record
// after AddNew, or an existing one) and updates it. Fields after the bands
// are left as they are. Throws db::Error, which the caller reports.
void PasteRecord(db::Recordset& recordSet, const PasteArray& pasteData, int row,
                 const PasteTarget& target, const PasteSource& source, bool withFormula);
