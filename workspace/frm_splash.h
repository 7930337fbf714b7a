#pragma once
// The start-up splash window: a frame with the logo, the product name, the
// version and the maker's lines. A key press or a click on the frame closes it.
#include <QFrame>
#include <QLabel>
#include <QWidget>

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Position in twips, as the start procedure places the window.
    void setTop(int twips);
    void setLeft(int twips);
    int Top() const;
    int Left() const;
    // Repaints at once, before the caller goes on without an event loop.
    void Refresh();
    // Unloads the window: it is destroyed.
    void Unload();

    QFrame* Frame1 = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblCopyright = nullptr;

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Form_Activate();
    void Form_KeyPress();
    void Frame1_Click();
};

// The default instance, created on first use and gone once unloaded.
frmSplash& splashForm();
bool splashLoaded();
