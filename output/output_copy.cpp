#include "output/output_copy.h"

#include "output/frm_graph.h"
#include "output/frm_print.h"
#include "platform/gui/chart.h"
#include "platform/gui/clipboard.h"
#include "platform/ui.h"

void copyGraph(frmGraph& window) {
    try {
        platform::clearClipboard();
        window.chtDisp->EditCopy();
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

void copyPrint(frmPrint& window) {
    try {
        platform::clearClipboard();
        window.copyPreview();
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

bool copyOutputWindow(QWidget* window) {
    if (auto* graph = qobject_cast<frmGraph*>(window)) {
        copyGraph(*graph);
        return true;
    }
    if (auto* print = qobject_cast<frmPrint*>(window)) {
        copyPrint(*print);
        return true;
    }
    return false;
}
