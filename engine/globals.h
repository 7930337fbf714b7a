#pragma once
// Global state of the calculation engine that the sheet windows share.

namespace db {
class SheetForm;
}

// The active sheet window (worksheet or datasheet); set by the windows when
// they are activated. The recalculation reads its Data1 and Data2.
extern db::SheetForm* gActiveSheet;
// While set, RecalcSheet returns at once.
extern bool gNoRecalc;
// True while code binds, moves in bulk or recalculates records; the windows'
// record-move handlers do nothing then.
extern bool gBusy;
