#include "workspace/prev_files.h"

#include "sheets/menu_state.h"
#include "workspace/app_settings.h"
#include "workspace/globals.h"

#include <QAction>

namespace {

QAction* prevItem(int i) {
    const QByteArray name = "mnuFilePrevFiles(" + QByteArray::number(i) + ")";
    return menuItem(name.constData());
}

} // namespace

QString prevFileCaption(int i) {
    QAction* a = prevItem(i);
    return a ? a->data().toString() : QString();
}

void setPrevFileCaption(int i, const QString& path) {
    QAction* a = prevItem(i);
    if (!a) return;
    // The path is the item's value; its text shows "&" as itself.
    a->setData(path);
    QString text = path;
    text.replace('&', QStringLiteral("&&"));
    a->setText(text);
}

void FillPrevFiles() {
    for (int k = 1; k <= 10; ++k)
        setPrevFileCaption(k - 1, workspace::setting("Startup", workspace::prevFileKey(k)));
    ShowPrevFiles();
}

void ShowPrevFiles() {
    for (int i = 0; i < 10; ++i)
        if (QAction* a = prevItem(i)) a->setVisible(i < gShowFiles);
}

void UpdatePrevFiles(const QString& path, PrevFilesUpdate how) {
    for (int i = 0; i < gShowFiles; ++i)
        if (prevFileCaption(i) == path) return;
    const int top = how == PrevFilesUpdate::Opened ? 9 : gShowFiles - 1;
    for (int i = top; i >= 1; --i) {
        setPrevFileCaption(i, prevFileCaption(i - 1));
        workspace::saveSetting("Startup", workspace::prevFileKey(i + 1), prevFileCaption(i));
    }
    setPrevFileCaption(0, path);
    workspace::saveSetting("Startup", workspace::prevFileKey(1), path);
}
