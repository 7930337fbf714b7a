#include "workspace/new_datasheet.h"

#include "platform/db/database.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/datasheet_layout.h"
#include "tables/globals.h"
#include "workspace/frm_new_datasheet.h"
#include "workspace/globals.h"
#include "workspace/sheet_names.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>

QString proposedDatasheetName(const std::vector<std::string>& tables) {
    return proposedSheetName(QStringLiteral("Datasheet "), tables);
}

bool NewDS(QString& name, int& bandSystem, int& firstBand, int& datasheetType,
           const QString& presetType, const DatasheetFiller& fill) {
    std::shared_ptr<db::Database> database;
    try {
        database = db::Database::open(gDatasheetPath.toStdString());
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
    const std::vector<std::string> tables = database->tableNames();

    frmNewDatasheet dialog;
    dialog.txtName->setText(proposedDatasheetName(tables));
    dialog.scrRange->setValue(5);
    for (int i = 1; i <= gSpectrumTypeCount; ++i)
        dialog.lstDatType->addItem(
            QString::fromStdString(gSpectrumTypes[static_cast<size_t>(i)][1]));
    const QString preset = presetType.isEmpty() ? QString("Sound Level") : presetType;
    const auto found = dialog.lstDatType->findItems(preset, Qt::MatchExactly);
    if (!found.isEmpty()) dialog.lstDatType->setCurrentItem(found.front());
    dialog.lstDatType->setEnabled(presetType.isEmpty());
    dialog.place(2000, 2000);
    platform::ShowModal(dialog);
    if (dialog.optCancel->isChecked()) return true;

    const QString newName = dialog.txtName->text();
    const QString type =
        dialog.lstDatType->currentItem() ? dialog.lstDatType->currentItem()->text() : QString();
    const int first = dialog.txtFirstBand->text().toInt();
    const int system = dialog.optThirdOct->isChecked() ? 2 : 1;

    for (const std::string& t : tables)
        if (QString::fromStdString(t).toUpper() == newName.toUpper()) {
            platform::MsgBox("There is already a datasheet called " + newName);
            return true;
        }
    try {
        datasheetType = createDatasheet(*database, newName.toStdString(), system, first,
                                        type.toStdString(), fill);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
    name = newName;
    bandSystem = system;
    firstBand = first;
    return false;
}
