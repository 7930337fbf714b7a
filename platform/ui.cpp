#include "platform/ui.h"

#include <cstdio>
#include <cstdlib>

#include <QObject>

namespace platform {
namespace {

DialogHandler* handler = nullptr;

[[noreturn]] void unanswered(const char* kind, const QString& prompt) {
    std::fprintf(stderr, "Unanswered %s: %s\n", kind, prompt.toLocal8Bit().constData());
    std::abort();
}

} // namespace

DialogHandler* setDialogHandler(DialogHandler* h) {
    DialogHandler* old = handler;
    handler = h;
    return old;
}

DialogHandler* dialogHandler() { return handler; }

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

} // namespace platform
