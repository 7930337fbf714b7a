#pragma once
// The program's application object. Every event Qt delivers to the program's
// objects passes through notify(): an exception a handler let out is shown
// to the user with its text, the busy and no-recalculation flags are
// released, and the program goes on instead of ending.
#include <QApplication>

class BandwrightApplication : public QApplication {
public:
    BandwrightApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Delivers an event through the running application as notify() does.
    static bool deliverGuarded(QObject* receiver, QEvent* event);

private:
    static void reportEscaped(const QString& text);
    // Set while the message is up: a failure repeating under it (a
    // repaint) is not shown again, or the messages would pile up.
    static inline bool reporting_ = false;
};
