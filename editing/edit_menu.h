#pragma once
// The main window's Edit menu: one handler per item, acting on the active
// child window. The handlers live in files by what they do: copy
// (edit_copy.cpp), paste (edit_paste.cpp), new, insert, cut and delete
// (edit_records.cpp), undo (edit_undo.cpp), the imports of Paste From
// (imports.cpp) and the datasheet-only items (edit_datasheet.cpp).
#include "platform/gui/forms.h"

#include <QObject>

#include <functional>

class QWidget;

class EditMenu : public QObject {
    Q_OBJECT
public:
    // Connects the items of `main`'s menu bar (found by their names).
    explicit EditMenu(QWidget& main);

    void mnuEditUndo_Click();
    void mnuEditNew_Click();
    void mnuEditInsert_Click();
    void mnuEditDelete_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuEditPasteInsert_Click();
    void mnuEditPasteFromCEL_Click();
    void mnuEditPasteFromIns_Click();
    void mnuEditSpectrumEditable_Click();
    void mnuEditSpectrumType_Click();
};

// Copy from an active child window that is no sheet window: the folder of
// that window's class registers how it copies (the graph and print windows).
// Without a handler Copy does nothing there. A handler may throw; Copy shows
// the error's text.
using CopyHandler = std::function<void(QWidget& window)>;
void setCopyHandler(platform::gui::FormKind kind, CopyHandler handler);
