#pragma once
// Global state of the main window and workspace. The active-window kind is
// shared with the sheet windows and lives with them.
#include "sheets/globals.h"
