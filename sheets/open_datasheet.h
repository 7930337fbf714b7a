#pragma once
// Opening a datasheet of a datasheets file in a new datasheet window.
#include <QString>

// Creates a datasheet window of the band system (1 octave, 2 third-octave),
// binds it to the datasheet `name` of `file` with every spectrum shown,
// shows the frame of the datasheet's kind (1 source, 2 construction data),
// places it in the main window's client area and shows it. isWorksheet is
// not read. Returns true on failure: the error has been shown and no window
// is left.
bool OpenDS2(const QString& file, const QString& name, int bandKind, int firstBand,
             int datasheetType, bool isWorksheet);
