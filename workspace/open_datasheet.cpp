#include "platform/ui.h"
#include "workspace/open_worksheet.h"

// Datasheet windows come with the datasheets commands; until they are there
// no datasheet opens.
bool OpenDS2(const QString& /*file*/, const QString& name, int /*bandKind*/, int /*firstBand*/,
             int /*datasheetType*/, bool /*isWorksheet*/) {
    platform::MsgBox(QString("The datasheet \"%1\" cannot be opened: this version has no "
                             "datasheet windows.")
                         .arg(name));
    return true;
}
