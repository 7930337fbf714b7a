#pragma once
// What the graph and the print window share: their own data control over the
// sheet (the computed Name column in front of the sheet's fields), the
// spectrum list, the hidden band-system boxes, and the life of the window:
// the one-time set-up of its first activation, the rereading of the sheet on
// every activation, following a rename of the sheet, and the menus when it
// closes.
#include "output/output_records.h"
#include "platform/db/data_control.h"
#include "platform/gui/forms.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QWidget>

#include <optional>

class SheetWindow;

class OutputWindow : public QWidget {
    Q_OBJECT
public:
    OutputWindow(platform::gui::FormKind kind, QWidget* parent = nullptr);
    ~OutputWindow() override;

    platform::gui::FormKind kind() const { return kind_; }
    QString caption() const { return windowTitle(); }
    // The caption after its first ":" and the blank behind it.
    QString sheetName() const;
    // The sheet's file (the data control's database).
    const QString& DatabaseName() const { return databaseName_; }

    // Binds Data1 to a sheet of a file: a worksheet's records, or a
    // datasheet's records of one type (all when selectType is nullopt), in
    // Code order. Throws db::Error when the sheet cannot be read.
    void bindSheet(const QString& file, const QString& sheet, bool isWorksheet,
                   const std::optional<QString>& selectType);
    bool isWorksheet() const { return isWorksheet_; }

    // The sheet window the output window belongs to: the window follows a
    // rename of its sheet there. Links only a window of the same file and
    // sheet; returns whether it is linked to it now.
    bool linkSheetWindow(SheetWindow* sheet);

    // The opener's last step before the window is placed and shown: the
    // title box from the sheet's notes (a worksheet's; "" for a datasheet).
    virtual void setUp(const QString& notes) = 0;
    // Runs each time the window really becomes the active child.
    virtual void Form_Activate() = 0;
    // Runs once when the window closes.
    virtual void Form_Unload();

    db::DataControl Data1;
    QListWidget* lstSpectra = nullptr;
    QLineEdit* txtFirstBand = nullptr; // hidden: the sheet's First Band
    QLineEdit* txtSheetType = nullptr; // hidden: 1 octave, 2 third-octave

    // The records as last read, in record order.
    const std::vector<OutputRecord>& records() const { return records_; }
    bool firstActivate() const { return mFirstActivate; }

protected:
    // The window's band count by its band system.
    virtual int bandCount() const = 0;
    int firstBand() const;
    // Reads the record set afresh (the sheet may have changed while another
    // window was active) and returns, for each record, the index of the
    // record read before that it continues, or -1. A failure is shown and
    // leaves the records as they were (nullopt).
    std::optional<std::vector<int>> rereadSheet();
    // Reads the records of the record set as bound (the first activation).
    void readBoundRecords();
    // Puts the records into the list: their names, ticked as given.
    void fillList(const std::vector<bool>& ticked);
    // Menu state and the active-window kind of an activation.
    void activated(int activeKind);

    void closeEvent(QCloseEvent* event) override;

    bool mFirstActivate = true; // until the first activation is done
    bool fillingList_ = false;  // the list's own signals are not the user's

private:
    void sheetCaptionChanged();
    std::string recordSource() const;

    platform::gui::FormKind kind_;
    QString databaseName_;
    QString sheet_;
    bool isWorksheet_ = true;
    std::optional<QString> selectType_;
    std::vector<OutputRecord> records_;
    QPointer<SheetWindow> sheetWindow_;
    QMetaObject::Connection sheetRenamed_;
    bool unloaded_ = false;
};
