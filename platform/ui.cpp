#include "platform/ui.h"

#include <cstdio>
#include <cstdlib>

#include <QObject>
#include <QString>

namespace platform {
namespace {

DialogHandler* handler = nullptr;

[[noreturn]] void unanswered(const char* kind, const QString& prompt) {
    std::fprintf(stderr, "Unanswered %s: %s\n", kind, prompt.toLocal8Bit().constData());
    std::abort();
}

} // namespace

QString DialogHandler::openFileDialog(const QString& title, const QString&, const QString&,
                                      const QString&) {
    unanswered("open file dialog", title);
}

QString DialogHandler::saveFileDialog(const QString& title, const QString&, const QString&,
                                      const QString&) {
    unanswered("save file dialog", title);
}

DialogHandler* setDialogHandler(DialogHandler* h) {
    DialogHandler* old = handler;
    handler = h;
    return old;
}

DialogHandler* dialogHandler() {
    return handler;
}

int MsgBox(const QString& prompt, int style, const QString& title) {
    if (!handler) unanswered("message box", prompt);
    return handler->msgBox(prompt, style, title);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    if (!handler) unanswered("input box", prompt);
    QString answer;
    if (!handler->inputBox(prompt, title, defaultText, answer)) return QString();
    return answer;
}

int ShowModal(QObject& form) {
    if (!handler) unanswered("form", form.objectName());
    return handler->showModal(form);
}

QString OpenFileDialog(const QString& title, const QString& presetName, const QString& folder,
                       const QString& filter) {
    if (!handler) unanswered("open file dialog", title);
    return handler->openFileDialog(title, presetName, folder, filter);
}

QString SaveFileDialog(const QString& title, const QString& presetName, const QString& folder,
                       const QString& filter) {
    if (!handler) unanswered("save file dialog", title);
    return handler->saveFileDialog(title, presetName, folder, filter);
}

QString defaultSuffixOf(const QString& filter) {
    // "Name (*.a *.b);;Other (*)": the first pattern of the first entry.
    QString first = filter.section(QStringLiteral(";;"), 0, 0).trimmed();
    const qsizetype open = first.lastIndexOf('(');
    const qsizetype close = first.lastIndexOf(')');
    if (open >= 0 && close > open) first = first.mid(open + 1, close - open - 1);
    const QString pattern = first.trimmed().section(' ', 0, 0);
    if (!pattern.startsWith(QStringLiteral("*."))) return QString();
    const QString suffix = pattern.mid(2);
    for (QChar c : suffix)
        if (c == '*' || c == '?' || c == '[' || c == '.') return QString();
    return suffix;
}

QString withDefaultSuffix(const QString& path, const QString& filter) {
    const QString suffix = defaultSuffixOf(filter);
    if (path.isEmpty() || suffix.isEmpty()) return path;
    const QString name = path.section('/', -1);
    if (name.isEmpty() || name.contains('.')) return path;
    return path + '.' + suffix;
}

} // namespace platform
