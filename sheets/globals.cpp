#include "sheets/globals.h"

int gActiveKind = 0;
QString gFilePath;
bool gDatasheetOK = false;
QString gBackupCaption;
QString gBackupFile;
int gNextLev = 0;
bool gSelExtending = false;
long gSelAnchor = 0;
long gSelEnd = 0;
