#include "workspace/globals.h"

int gShowFiles = 4;
QString gDefaultView = QStringLiteral("Formula");
QString gDefaultDir;
QString gHelpFile;
QString gTemplatePath;
bool gTemplateOK = false;
QString gDatasheetPath;
