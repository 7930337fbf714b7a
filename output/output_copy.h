#pragma once
// Edit > Copy of the output windows: a graph window copies its chart (the
// picture and its data as tab-separated text, one clipboard item); a print
// window copies its preview, or the selected part of it, as rich text and
// plain text in one item. The Edit menu's Copy calls copyOutputWindow first:
//
//     if (copyOutputWindow(activeChild)) return;
#include <QWidget>

class frmGraph;
class frmPrint;

void copyGraph(frmGraph& window);
void copyPrint(frmPrint& window);

// Copies from a graph or print window and returns true; returns false for
// any other window (which the caller copies from itself).
bool copyOutputWindow(QWidget* window);
