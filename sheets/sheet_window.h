#pragma once
// What every sheet window (worksheet or datasheet, any view) has: its two
// data controls, the hidden path box and its caption, through which the
// commands of the main window reach the sheet.
#include "platform/db/sheet_form.h"

#include <QLineEdit>
#include <QString>
#include <QWidget>

class SheetWindow : public QWidget, public db::SheetForm {
    Q_OBJECT
public:
    SheetWindow(db::SheetKind kind, int nBands, QWidget* parent = nullptr);

    // "Worksheet: " or "Datasheet: " followed by the sheet name.
    QString caption() const { return windowTitle(); }
    // The sheet name: the caption without its 11-character prefix.
    QString sheetName() const { return caption().mid(11); }
    int bandCount() const { return nBands_; }

    QLineEdit* txtDBName = nullptr; // hidden: the file path

private:
    int nBands_;
};
