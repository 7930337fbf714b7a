#pragma once
// The main window's menu bar: every item a named action, so the menu-state
// table and the commands find them by name.
class QMainWindow;
class QMdiArea;

void buildMenuBar(QMainWindow& main, QMdiArea& mdi);
