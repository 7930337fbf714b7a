#pragma once
// Global state of the main window and workspace.

// Kind of the active window: 1 worksheet, 2 datasheet, 3 graph, 4 print
// window; 0 while the splash or About window is up.
extern int gActiveKind;
