#include "platform/gui/qt_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>

#include <vector>

namespace platform {
namespace {

QString captionOr(const QString& title) {
    return title.isEmpty() ? QApplication::applicationName() : title;
}

QString runFileDialog(bool save, const QString& title, const QString& presetName,
                      const QString& folder, const QString& filter) {
    QFileDialog dialog(QApplication::activeWindow(), captionOr(title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!filter.isEmpty()) dialog.setNameFilter(filter);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    if (!presetName.isEmpty()) dialog.selectFile(presetName);
    if (save) {
        dialog.setDefaultSuffix(defaultSuffixOf(filter));
        // The command that writes the file asks about replacing one (or
        // refuses to): asking here as well would ask twice.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (dialog.exec() != QDialog::Accepted) return QString();
    const QString chosen = dialog.selectedFiles().value(0);
    // A native dialog may not add the default suffix itself.
    return save ? withDefaultSuffix(chosen, filter) : chosen;
}

} // namespace

QString QtDialogHandler::openFileDialog(const QString& title, const QString& presetName,
                                        const QString& folder, const QString& filter) {
    return runFileDialog(false, title, presetName, folder, filter);
}

QString QtDialogHandler::saveFileDialog(const QString& title, const QString& presetName,
                                        const QString& folder, const QString& filter) {
    return runFileDialog(true, title, presetName, folder, filter);
}

int QtDialogHandler::msgBox(const QString& prompt, int style, const QString& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(captionOr(title));
    box.setText(prompt);
    switch (style & 0x70) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Button {
        QMessageBox::StandardButton qt;
        int result;
    };
    std::vector<Button> buttons;
    switch (style & 7) {
    case vbOKCancel:
        buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbAbortRetryIgnore:
        buttons = {{QMessageBox::Abort, vbAbort},
                   {QMessageBox::Retry, vbRetry},
                   {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        buttons = {
            {QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo:
        buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
        break;
    case vbRetryCancel:
        buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
        break;
    default:
        buttons = {{QMessageBox::Ok, vbOK}};
        break;
    }
    QMessageBox::StandardButtons set;
    for (const Button& b : buttons)
        set |= b.qt;
    box.setStandardButtons(set);
    size_t def = (style & vbDefaultButton3) ? 2 : (style & vbDefaultButton2) ? 1 : 0;
    if (def < buttons.size()) box.setDefaultButton(buttons[def].qt);
    const int clicked = box.exec();
    for (const Button& b : buttons)
        if (clicked == b.qt) return b.result;
    // Closed with Escape or the title bar: the Cancel or No button, else OK.
    for (const Button& b : buttons)
        if (b.result == vbCancel) return vbCancel;
    return buttons.back().result;
}

bool QtDialogHandler::inputBox(const QString& prompt, const QString& title,
                               const QString& defaultText, QString& answer) {
    bool ok = false;
    answer = QInputDialog::getText(QApplication::activeWindow(), captionOr(title), prompt,
                                   QLineEdit::Normal, defaultText, &ok);
    return ok;
}

int QtDialogHandler::showModal(QObject& form) {
    if (auto* dialog = qobject_cast<QDialog*>(&form)) return dialog->exec();
    auto* widget = qobject_cast<QWidget*>(&form);
    if (!widget) return 0;
    // A plain window shown modally: run a local loop until it is hidden or destroyed.
    QPointer<QWidget> guard(widget);
    widget->setWindowModality(Qt::ApplicationModal);
    widget->show();
    QEventLoop loop;
    while (guard && guard->isVisible())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    return 0;
}

} // namespace platform
