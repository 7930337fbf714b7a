#include "workspace/bandwright_window.h"

#include "editing/edit_menu.h"
#include "editing/imports.h"
#include "engine/globals.h"
#include "output/output_copy.h"
#include "output/output_menu.h"
#include "platform/db/database.h"
#include "platform/db/file_lock.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/sheet_window.h"
#include "sheets/view_hold.h"
#include "workspace/datasheets_menu.h"
#include "workspace/file_menu.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/help_menu.h"
#include "workspace/logo.h"
#include "workspace/menu_bar.h"
#include "workspace/window_menu.h"
#include "workspace/worksheets_menu.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

namespace {
QPointer<Bandwright> defaultInstance;
}

Bandwright::Bandwright(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Bandwright");
    platform::gui::setCaption(this, "Bandwright");
    setWindowIcon(QIcon(bandwrightLogo(64)));
    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName("mdiArea");
    mdiArea->setBackground(QColor(128, 128, 128));
    // A frame smaller than its child windows scrolls to them.
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea);
    buildMenuBar(*this, *mdiArea);
    // No command runs over what the user is typing: the active sheet stores
    // it first (connected before the commands' own handlers, so run before).
    for (QAction* item : menuBar()->findChildren<QAction*>())
        connect(item, &QAction::triggered, this, [] {
            if (gActiveKind != 1 && gActiveKind != 2) return;
            if (auto* sheet = dynamic_cast<SheetWindow*>(gActiveSheet)) sheet->storePendingEdits();
        });
    fileMenu_ = new FileMenu(*this);
    worksheetsMenu_ = new WorksheetsMenu(*this);
    windowMenu_ = new WindowMenu(*this);
    new HelpMenu(*this);
    new EditMenu(*this);
    // The meter import's column is chosen in the sheet picker, the first
    // one selected so that Enter takes it.
    setImportPicker([](const QString& caption, const QStringList& items) -> std::optional<int> {
        const SheetPick pick = pickFromList(caption, items, false, items.value(0));
        if (pick.outcome != SheetPick::Chosen || pick.index < 0) return std::nullopt;
        return pick.index;
    });
    new DatasheetsMenu(*this);
    new OutputMenu(this);
    // Edit > Copy of a graph or print window copies what that window shows.
    for (const auto kind : {platform::gui::FormKind::Graph, platform::gui::FormKind::Print})
        setCopyHandler(kind, [](QWidget& window) { copyOutputWindow(&window); });
    platform::gui::registerForm(this, platform::gui::FormKind::Main);
    resize(1024, 720);
}

void Bandwright::Show() {
    if (loaded_) {
        show();
        return;
    }
    loaded_ = true;
    MDIForm_Load();
}

void Bandwright::closeEvent(QCloseEvent* event) {
    mdiArea->closeAllSubWindows();
    // The closed windows let go of the file before it may be compacted.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    MDIForm_Unload();
    event->accept();
}

void Bandwright::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !loaded_) return;
    // After the activation is over: a message shown in the middle of it
    // would take the activation away again.
    QTimer::singleShot(0, this, [this] {
        if (!isActiveWindow()) return;
        QMdiSubWindow* sub = mdiArea ? mdiArea->activeSubWindow() : nullptr;
        if (auto* w = sub ? dynamic_cast<SheetWindow*>(sub->widget()) : nullptr)
            rereadViewedWindow(*w);
    });
}

void Bandwright::MDIForm_Unload() {
    // A file that cannot be written cannot be compacted either, one only
    // viewed here or open in another program is compacted by the last
    // program that has it, and one that is gone has nothing to compact.
    // A file viewed only because another program wrote it is this one's once
    // that program let go: this one is then the last that has it.
    if (!gFilePath.isEmpty() &&
        db::viewingCause(gFilePath.toStdString()) == db::ViewingCause::OtherProgram)
        db::takeForWriting(gFilePath.toStdString());
    if (!gFilePath.isEmpty() && !db::readOnlyReason(gFilePath.toStdString()) &&
        db::heldAs(gFilePath.toStdString()) != db::FileHold::Viewing &&
        QFileInfo::exists(gFilePath) && !db::openElsewhere(gFilePath.toStdString()) &&
        platform::MsgBox("Compact database before exiting?",
                         platform::vbYesNo + platform::vbQuestion) == platform::vbYes)
        CompactFile();
    db::releaseAllFiles();
}

Bandwright& mainWindow() {
    if (!defaultInstance) defaultInstance = new Bandwright;
    return *defaultInstance;
}
