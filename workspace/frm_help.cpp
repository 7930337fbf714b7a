#include "workspace/frm_help.h"

#include "platform/geometry.h"
#include "platform/gui/named.h"
#include "tables/help_tables.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>

using platform::twipsToPixels;
using platform::gui::makeNamed;

namespace {
QPointer<frmHelp> instance;
}

frmHelp::frmHelp(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmHelp");
    setWindowTitle("Bandwright Help");
    setAttribute(Qt::WA_DeleteOnClose);
    lstTopics = makeNamed<QListWidget>(this, "lstTopics");
    lstTopics->setMaximumWidth(twipsToPixels(2000));
    txtText = makeNamed<QPlainTextEdit>(this, "txtText");
    txtText->setReadOnly(true);
    // The list topics are indented with blanks: a fixed-pitch font keeps them in line.
    txtText->setFont(QFont("Monospace"));
    txtText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* row = new QHBoxLayout(this);
    row->addWidget(lstTopics);
    row->addWidget(txtText, 1);
    resize(twipsToPixels(13500), twipsToPixels(6000));
    connect(lstTopics, &QListWidget::currentRowChanged, this, &frmHelp::lstTopics_Click);
    Form_Load();
}

void frmHelp::Form_Load() {
    lstTopics->clear();
    for (int k = 1; k <= gHelpTopicCount && k < static_cast<int>(gHelpTopics.size()); ++k)
        lstTopics->addItem(QString::fromStdString(gHelpTopics[static_cast<size_t>(k)]));
    if (lstTopics->count() > 0) lstTopics->setCurrentRow(0);
}

void frmHelp::lstTopics_Click() {
    const int k = lstTopics->currentRow() + 1;
    if (k < 1 || k >= static_cast<int>(gHelpTexts.size())) return;
    QString t = QString::fromStdString(gHelpTexts[static_cast<size_t>(k)]);
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    txtText->setPlainText(t);
}

void frmHelp::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

frmHelp& showHelpWindow(QWidget* owner) {
    if (!instance) {
        instance = new frmHelp(owner);
        // Over the owner's work area, clear of its menu bar.
        auto* main = qobject_cast<QMainWindow*>(owner);
        if (QWidget* area = main ? main->centralWidget() : nullptr)
            instance->move(area->mapToGlobal(QPoint(0, 0)));
    }
    instance->show();
    instance->raise();
    instance->activateWindow();
    instance->lstTopics->setFocus();
    return *instance;
}
