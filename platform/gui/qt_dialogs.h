#pragma once
// The program's dialog handler: real Qt dialogs.
#include "platform/ui.h"

namespace platform {

class QtDialogHandler final : public DialogHandler {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override;
    bool inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                  QString& answer) override;
    int showModal(QObject& form) override;
    QString openFileDialog(const QString& title, const QString& presetName, const QString& folder,
                           const QString& filter) override;
    QString saveFileDialog(const QString& title, const QString& presetName, const QString& folder,
                           const QString& filter) override;
};

} // namespace platform
