#include "workspace/menu_bar.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

QMenu* addMenu(QWidget* parent, const char* name, const char* caption) {
    auto* menu = new QMenu(QString::fromUtf8(caption), parent);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

QAction* addItem(QMenu* menu, const char* name, const char* caption, const char* keys = nullptr) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(name);
    if (keys) a->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    return a;
}

void addSeparator(QMenu* menu, const char* name = nullptr) {
    QAction* a = menu->addSeparator();
    if (name) a->setObjectName(name);
}

// The frame's window list: the open child windows by caption.
void fillWindowList(QMenu* list, QMdiArea* mdi) {
    list->clear();
    const auto windows = mdi->subWindowList(QMdiArea::CreationOrder);
    int i = 1;
    for (QMdiSubWindow* w : windows) {
        QAction* a = list->addAction(QString("&%1 %2").arg(i++).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == mdi->activeSubWindow());
        QObject::connect(a, &QAction::triggered, mdi, [mdi, w] { mdi->setActiveSubWindow(w); });
    }
}

} // namespace

void buildMenuBar(QMainWindow& main, QMdiArea& mdi) {
    QMenuBar* bar = main.menuBar();

    QMenu* file = addMenu(bar, "mnuFile", "&File");
    addItem(file, "mnuFileNewFile", "&New Worksheet File");
    addItem(file, "mnuFileOpenFile", "&Open Worksheet File");
    addItem(file, "mnuFileSaveFileAs", "Save &File As ...");
    addSeparator(file);
    addItem(file, "mnuFileOptions", "O&ptions");
    addSeparator(file);
    for (int i = 0; i < 10; ++i) {
        const QByteArray name = "mnuFilePrevFiles(" + QByteArray::number(i) + ")";
        QAction* a = addItem(file, name.constData(), "");
        a->setVisible(false);
    }
    addSeparator(file);
    addItem(file, "mnuFileExit", "&Exit");
    bar->addMenu(file);

    QMenu* ws = addMenu(bar, "mnuWksheets", "&Worksheets");
    QMenu* view = addMenu(ws, "mnuWSView", "&View");
    addItem(view, "mnuWSViewSpread", "&Spreadsheet")->setCheckable(true);
    addItem(view, "mnuWSViewFormula", "&Formula")->setCheckable(true);
    ws->addMenu(view);
    addSeparator(ws, "mnuWSL");
    addItem(ws, "mnuFileNewWorksheet", "&New Worksheet");
    addItem(ws, "mnuSaveWorksheetAs", "&Save Worksheet As ...");
    addItem(ws, "mnuFileDeleteWorksheet", "&Delete Worksheet");
    addItem(ws, "mnuFileRenameWorksheet", "&Rename Worksheet ...");
    addSeparator(ws);
    addItem(ws, "mnuFileOpenWorksheet", "&Open Worksheet");
    addSeparator(ws, "mnuFileL5");
    addItem(ws, "mnuFileRecover", "Recover");
    bar->addMenu(ws);

    QMenu* dta = addMenu(bar, "mnuDta", "&Datasheets");
    addItem(dta, "mnuFileOpenDatasheet", "&Open Datasheet");
    addSeparator(dta);
    addItem(dta, "mnuDtaNewDatasheet", "&New Datasheet");
    addItem(dta, "mnuDtaSaveDatasheetAs", "&Save Datasheet As ...");
    addItem(dta, "mnuDtaDeleteDatasheet", "&Delete Datasheet");
    addItem(dta, "mnuDtaRenameDatasheet", "&Rename Datasheet");
    bar->addMenu(dta);

    QMenu* edit = addMenu(bar, "mnuEdit", "&Edit");
    addItem(edit, "mnuEditUndo", "&Undo");
    addSeparator(edit);
    addItem(edit, "mnuEditSpectrumEditable", "&Editable")->setCheckable(true);
    addItem(edit, "mnuEditSpectrumType", "Edit Spectrum &Type");
    addItem(edit, "mnuEditNew", "&New Spectrum", "Ctrl+N");
    addSeparator(edit);
    addItem(edit, "mnuEditInsert", "&Insert", "Ctrl+I");
    addItem(edit, "mnuEditDelete", "&Delete", "Ctrl+D");
    addSeparator(edit);
    addItem(edit, "mnuEditCut", "&Cut", "Ctrl+X");
    addItem(edit, "mnuEditCopy", "C&opy", "Ctrl+C");
    addItem(edit, "mnuEditPaste", "&Paste", "Ctrl+V");
    addItem(edit, "mnuEditPasteInsert", "P&aste Insert", "Ctrl+A");
    addSeparator(edit);
    QMenu* pasteFrom = addMenu(edit, "mnuEditPasteFrom", "Paste &From");
    addItem(pasteFrom, "mnuEditPasteFromCEL", "CEL SoundTrack");
    addItem(pasteFrom, "mnuEditPasteFromIns", "Insul48");
    edit->addMenu(pasteFrom);
    bar->addMenu(edit);

    QMenu* graph = addMenu(bar, "mnuGraph", "&Output");
    addItem(graph, "mnuGraphDraw", "&Graph");
    addItem(graph, "mnuGraphPrint", "&Print");
    bar->addMenu(graph);

    QMenu* window = addMenu(bar, "mnuWindow", "&Window");
    addItem(window, "mnuWindowTile", "&Tile");
    addSeparator(window);
    QMenu* list = addMenu(window, "mnuWList", "Sheets");
    window->addMenu(list);
    QObject::connect(list, &QMenu::aboutToShow, list, [list, &mdi] { fillWindowList(list, &mdi); });
    bar->addMenu(window);

    QMenu* help = addMenu(bar, "mnuHelp", "&Help");
    addItem(help, "mnuHelpGeneral", "&General");
    addItem(help, "mnuHelpFunctions", "&Functions", "Ctrl+F");
    addSeparator(help);
    addItem(help, "mnuHelpAbout", "&About");
    bar->addMenu(help);
}
