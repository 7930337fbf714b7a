#pragma once
// The clipboard spectrum text: TAB between cells, CR LF between rows, a
// header row (the record fields' names, then the band frequencies) and one
// row per spectrum. Copy and Cut write it; Paste reads it back, and so do
// spreadsheet programs.
#include "platform/db/value.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// A number as the text carries it: up to 15 significant digits, a point
// whatever the locale, no zero before the point below 1 (".5", "-.25"),
// exponent form only below 1E-4 or from 1E+15 on ("1E+16", "1.5E-07").
std::string clipboardNumber(double v);

// A text field as a cell: TAB, CR and LF become blanks so the text stays in
// its cell and pastes back into the same one.
QString clipboardText(const QString& text);

// Cells per row: 18 for an octave sheet, 38 for a third-octave one.
int spectrumCellCount(int bandKind);

// The header row's cells. `fieldNames` are the names of the record's fields
// 0 to 7 as the table holds them; a datasheet leaves cell 8 empty.
QStringList spectrumHeader(const std::vector<std::string>& fieldNames, int bandKind, int firstBand,
                           bool worksheet);

// The cells of one record given by its fields in table order (Code ...
// Formula, L1 ...): the code and the bands in number form, every text as it
// stands (see clipboardText); a datasheet's cell 8 stays empty and its
// fields after the bands are left out.
QStringList spectrumCells(const std::vector<db::Value>& fields, int bandKind, bool worksheet);

// Rows joined: TAB between cells, CR LF between rows, none at the end.
QString joinSpectrumRows(const std::vector<QStringList>& rows);
