#pragma once
// The multi-record selection that every sheet grid shares: Shift+Up and
// Shift+Down extend a selection of whole records from a selected record, and
// any other move of the cursor ends it.
class SheetWindow;

// Before the grid acts on a key.
void selectionKeyDown(SheetWindow& window, int keyCode, int shift);
// After the grid's current cell moved: rebuilds the selection from the
// anchor to the moving end while extending, else clears it.
void selectionRowColChange(SheetWindow& window);
