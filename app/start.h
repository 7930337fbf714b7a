#pragma once
// The start procedure: splash window, reference tables, the 3-second
// minimum, the connection prefix from the settings store, the main window.

// Returns 0 when the main window is shown; otherwise the failure has been
// reported in a message box and the program should end with that code.
int Main();
