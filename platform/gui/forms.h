#pragma once
// Every loaded form, in load order, with its kind. The cascade count, the
// "is this sheet open" checks, Exit and the window lists read it. A form's
// kind comes from its class (it registers itself), never from its caption.
//
// Geometry in twips: a form inside an MDI area is placed by its sub-window,
// so these helpers move and size that frame when there is one.
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

namespace platform::gui {

enum class FormKind { Main, Worksheet, Datasheet, Graph, Print, Dialog };

// Adds a form at the end of the load order (once; a second call only
// changes its kind). It leaves the registry by itself when destroyed.
void registerForm(QWidget* form, FormKind kind);
// Takes a form out before it is destroyed (an unload that keeps the object).
void unregisterForm(QWidget* form);

// The loaded forms in load order.
std::vector<QWidget*> loadedForms();
std::vector<QWidget*> formsOfKind(FormKind kind);
std::optional<FormKind> formKind(const QWidget* form);
bool isLoaded(const QWidget* form);

// The caption the program gave a form. While a child window is maximised Qt
// retitles the frame around it ("Bandwright - [Worksheet: A]"); what the
// program reads is always its own caption, never that decoration.
void setCaption(QWidget* form, const QString& caption);
QString caption(const QWidget* form);

// How many loaded forms have a caption holding any of the words
// (case-sensitive); each form counts once. Hidden forms count too.
int countFormsWithCaption(const QStringList& words);

// The widget whose position and size are the form's window geometry: its
// MDI sub-window when it has one, else the form itself.
QWidget* frameOf(QWidget* form);
const QWidget* frameOf(const QWidget* form);

void setTwipsGeometry(QWidget* form, int leftTwips, int topTwips, int widthTwips, int heightTwips);
void setTwipsPosition(QWidget* form, int leftTwips, int topTwips);
void setTwipsSize(QWidget* form, int widthTwips, int heightTwips);
int leftTwips(const QWidget* form);
int topTwips(const QWidget* form);
int widthTwips(const QWidget* form);
int heightTwips(const QWidget* form);

} // namespace platform::gui
