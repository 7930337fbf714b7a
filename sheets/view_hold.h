#pragma once
// The worksheet windows of a file this program views only, because another
// program writes it: what they show follows that program's changes, and the
// file becomes this program's to write once no other program holds it.
#include <QString>

class SheetWindow;

// When `window` shows a file this program views only and another program
// has changed the sheet in the file since the window read it: rereads the
// window (its spectra, boxes and chart), says so once and returns true. For
// a `command` (Copy, Graph, Print) the message says it was not carried out.
bool rereadViewedWindow(SheetWindow& window, bool command = false);

enum class Takeover {
    None,         // the file is not one this program views only
    Refused,      // another program still writes it (or the hold cannot be taken)
    Taken,        // this program writes it now; its windows were bound anew
    TakenChanged, // taken, but `window` showed the sheet as it was before
                  // another program's change: it now shows the file as it is
};
// Takes `file` for writing when this program views it only and no other
// program writes it now, and binds every worksheet window of the file to it
// again, for writing (which rereads them). `window`, when given, is the one
// a command or an edit was about to act on. Shows nothing; a window that
// cannot be bound again is reported and stays read-only.
Takeover takeViewedFile(const QString& file, SheetWindow* window = nullptr);
// What a command or an edit that met TakenChanged tells the user.
QString takenChangedText(const QString& sheet);
