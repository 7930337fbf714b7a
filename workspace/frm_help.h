#pragma once
// The help window: the topic list beside the topic's text. One modeless
// window; opening it again brings it to the front.
#include <QWidget>

class QListWidget;
class QPlainTextEdit;

class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);

    QListWidget* lstTopics = nullptr;
    QPlainTextEdit* txtText = nullptr;

    void Form_Load();
    void lstTopics_Click();

protected:
    // Escape closes the window.
    void keyPressEvent(QKeyEvent* e) override;
};

// Shows the help window at its topic list, loading it on first use.
frmHelp& showHelpWindow(QWidget* owner);
