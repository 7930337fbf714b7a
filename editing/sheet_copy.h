#pragma once
// The selected spectra of a sheet window as clipboard spectrum text.
#include <QString>

class SheetWindow;

// The header row and one row per selected spectrum, in the order of the
// grid's selection (with nothing selected, the current spectrum, which then
// shows as selected). Reads what the window shows, an edit in progress
// included; moves nothing. Throws db::Error.
QString selectedSpectraText(SheetWindow& window);
