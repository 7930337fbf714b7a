#pragma once
// Edit > Paste From: one spectrum brought into the current record of the
// active worksheet from another program's clipboard text, a sound level
// meter's export (one measured column of it, picked by the user) or an
// insulation prediction's transmission-loss table.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

inline const char* const kMsgInvalidFormat = "Invalid data format";
inline const char* const kMsgInvalidFirstBand = "Invalid data format: goto ErrPaste";
inline const char* const kCaptionPickColumn = "Select spectrum to paste";

// A band label of the meter export in hertz: a number, a lower-case "k"
// standing for the point of a value in kilohertz ("1k25" is 1250, "2k" is
// 2000). Such a label is rewritten to its number. An empty or non-numeric
// label gives 0.
double CELDecode(QString& label);

// Shows the list picker with this caption and entries; the position (from 0)
// of the entry chosen, nullopt when the user cancelled or chose none. The
// main window installs it (the picker is one of its dialogs).
using ListPicker =
    std::function<std::optional<int>(const QString& caption, const QStringList& items)>;
void setImportPicker(ListPicker picker);
