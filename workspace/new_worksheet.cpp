#include "workspace/new_worksheet.h"

#include "platform/db/database.h"
#include "platform/db/sheet_layout.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/level_display.h"
#include "workspace/frm_new_worksheet.h"
#include "workspace/globals.h"
#include "workspace/sheet_commands.h"
#include "workspace/sheet_files.h"
#include "workspace/sheet_names.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>
#include <optional>

namespace {

const QString kPrefix = QStringLiteral("Worksheet ");

struct TemplateRow {
    int bandSystem = 0;
    int firstBand = 0;
};

// The names in the templates file's catalogue, in record order.
QStringList templateNames(db::Database& templates) {
    QStringList names;
    db::Statement st(templates, "SELECT " + db::quoteIdent("Sheet Name") + " FROM " +
                                    db::quoteIdent(db::kSheetsList));
    while (st.step())
        names << QString::fromStdString(st.column(0).toText());
    return names;
}

std::optional<TemplateRow> templateRow(db::Database& templates, const std::string& name) {
    db::Statement st(templates, "SELECT " + db::quoteIdent("Octave/Third Octave") + ", " +
                                    db::quoteIdent("First Band") + " FROM " +
                                    db::quoteIdent(db::kSheetsList) + " WHERE " +
                                    db::quoteIdent("Sheet Name") + " = ?");
    st.bind(1, db::Value(name));
    if (!st.step()) return std::nullopt;
    return TemplateRow{wholeNumberOrZero(st.column(0)), wholeNumberOrZero(st.column(1))};
}

// Copies every record of the template into the new table, field by position.
void copyTemplateRecords(db::Database& templates, const std::string& templateName,
                         db::Database& target, const std::string& table) {
    const auto source = templates.findTable(templateName);
    if (!source)
        throw db::Error("The templates file has no table for the template \"" + templateName +
                        "\"");
    const db::TableDef from = templates.tableDef(*source);
    const db::TableDef to = target.tableDef(table);
    const size_t n = from.fields.size();
    if (n > to.fields.size())
        throw db::Error("The template \"" + templateName + "\" has " + std::to_string(n) +
                        " fields, more than a worksheet of its band system has (" +
                        std::to_string(to.fields.size()) + ")");
    std::string columns, marks;
    for (size_t i = 0; i < n; ++i) {
        columns += (i ? ", " : "") + db::quoteIdent(to.fields[i].name);
        marks += i ? ", ?" : "?";
    }
    db::Statement read(templates, "SELECT * FROM " + db::quoteIdent(*source));
    db::Statement write(target, "INSERT INTO " + db::quoteIdent(table) + " (" + columns +
                                    ") VALUES (" + marks + ")");
    while (read.step()) {
        write.reset();
        for (size_t i = 0; i < n; ++i)
            write.bind(static_cast<int>(i) + 1,
                       db::coerceForField(to.fields[i], read.column(static_cast<int>(i))));
        write.step();
    }
}

} // namespace

QString proposedWorksheetName(const db::Database& database) {
    return proposedSheetName(kPrefix, database.tableNames());
}

void createWorksheet(db::Database& database, const std::string& name, int bandSystem, int firstBand,
                     const std::string& notes, const WorksheetFiller& fill) {
    db::Database::Transaction tx(database);
    db::createSheet(database, db::worksheetTableDef(name, bandSystem == 2 ? 30 : 10), bandSystem,
                    firstBand, notes);
    if (fill)
        fill(database, name);
    else
        database.Execute("INSERT INTO " + db::quoteIdent(name) + " (" + db::quoteIdent("Code") +
                         ") VALUES (1)");
    tx.commit();
}

bool NewWS(QString& name, int& bandSystem, int& firstBand, bool useTemplates, const QString& notes,
           const NewWorksheetFiller& blankFill) {
    try {
        auto database = db::Database::open(gFilePath.toStdString());

        frmNewWorksheet dialog;
        dialog.txtName->setText(proposedWorksheetName(*database));
        dialog.scrRange->setValue(5);
        dialog.scrRange_Change();
        std::shared_ptr<db::Database> templates;
        if (useTemplates) {
            dialog.frmSelect->show();
            dialog.lstTemplates->clear();
            try {
                templates = db::Database::open(gTemplatePath.toStdString());
                dialog.lstTemplates->addItems(templateNames(*templates));
            } catch (const std::exception& e) {
                // The templates file went bad since it was checked: a blank
                // worksheet can still be made.
                platform::MsgBox(QString::fromStdString(e.what()));
                templates.reset();
                dialog.frmSelect->hide();
            }
        } else {
            dialog.frmSelect->hide();
        }
        dialog.place(2000, 2000);
        platform::ShowModal(dialog);
        if (dialog.optCancel->isChecked()) return true;

        const QString newName = dialog.txtName->text();
        const bool fromTemplate = templates && dialog.optTemplate->isChecked();
        QString templateName;
        int system = 0, first = 0;
        if (fromTemplate) {
            templateName = dialog.selectedTemplate();
            if (templateName.isEmpty()) return true;
            const auto row = templateRow(*templates, templateName.toStdString());
            if (!row)
                throw db::Error("The templates file does not list the template \"" +
                                templateName.toStdString() + "\"");
            first = row->firstBand;
            system = row->bandSystem;
            if (system != 1 && system != 2)
                throw db::Error("The template \"" + templateName.toStdString() +
                                "\" has no band system this program knows (" +
                                std::to_string(system) + ")");
        } else {
            bool overflow = false;
            const double v = readNumber(dialog.txtFirstBand->text(), &overflow);
            first = overflow ? 0 : static_cast<int>(v);
            system = dialog.optThirdOct->isChecked() ? 2 : 1;
        }

        const std::string table = newName.toStdString();
        if (database->findTable(table)) {
            platform::MsgBox("Worksheet file already contains a table called " + newName);
            return true;
        }
        WorksheetFiller fill;
        if (!fromTemplate && blankFill)
            fill = [&](db::Database& target, const std::string& t) {
                blankFill(target, t, system, first);
            };
        if (fromTemplate)
            fill = [&](db::Database& target, const std::string& t) {
                copyTemplateRecords(*templates, templateName.toStdString(), target, t);
            };
        createWorksheet(*database, table, system, first, notes.toStdString(), fill);
        name = newName;
        bandSystem = system;
        firstBand = first;
        return false;
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
}
