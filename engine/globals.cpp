#include "engine/globals.h"

db::SheetForm* gActiveSheet = nullptr;
bool gNoRecalc = false;
bool gBusy = false;
