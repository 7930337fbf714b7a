#include "platform/gui/forms.h"
#include "platform/gui/named.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace platform::gui;

QWidget* form(const QString& caption) {
    auto* w = new QWidget;
    w->setWindowTitle(caption);
    return w;
}

TEST(FormsRegistry, KeepsLoadOrderAndKindAndForgetsDestroyedForms) {
    ASSERT_TRUE(loadedForms().empty());
    std::unique_ptr<QWidget> main(form("Bandwright: /tmp/a.bwdb"));
    std::unique_ptr<QWidget> ws(form("Worksheet: Office"));
    std::unique_ptr<QWidget> picker(form("Select Worksheet"));
    std::unique_ptr<QWidget> graph(form("Graph"));
    registerForm(main.get(), FormKind::Main);
    registerForm(ws.get(), FormKind::Worksheet);
    registerForm(picker.get(), FormKind::Dialog);
    registerForm(graph.get(), FormKind::Graph);
    registerForm(ws.get(), FormKind::Worksheet); // twice: still one entry, same place

    EXPECT_EQ(loadedForms(),
              (std::vector<QWidget*>{main.get(), ws.get(), picker.get(), graph.get()}));
    EXPECT_EQ(formsOfKind(FormKind::Worksheet), std::vector<QWidget*>{ws.get()});
    EXPECT_EQ(formKind(picker.get()), FormKind::Dialog);

    // The caption decides the count, the class decides the kind: a dialog
    // whose caption holds "Worksheet" counts (hidden as it is), once for
    // all the words it holds; a lower-case word does not match.
    picker->setWindowTitle("Select Worksheet or Datasheet");
    std::unique_ptr<QWidget> print(form("print preview"));
    registerForm(print.get(), FormKind::Print);
    EXPECT_EQ(countFormsWithCaption({"Worksheet", "Datasheet", "Graph", "Print"}), 3);
    EXPECT_EQ(formKind(picker.get()), FormKind::Dialog);

    ws.reset();
    unregisterForm(print.get());
    EXPECT_EQ(loadedForms(), (std::vector<QWidget*>{main.get(), picker.get(), graph.get()}));
    EXPECT_FALSE(isLoaded(print.get()));
    EXPECT_EQ(countFormsWithCaption({"Worksheet", "Datasheet", "Graph", "Print"}), 2);

    // A form deleted by Qt's own delete-later is gone once the event runs.
    graph.release()->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(loadedForms(), (std::vector<QWidget*>{main.get(), picker.get()}));

    // Children go with their parent's destruction too.
    auto* child = form("Datasheet: Walls");
    child->setParent(main.get(), Qt::Window);
    registerForm(child, FormKind::Datasheet);
    EXPECT_EQ(formsOfKind(FormKind::Datasheet).size(), 1u);
    main.reset();
    picker.reset();
    EXPECT_TRUE(loadedForms().empty());
}

TEST(FormsRegistry, TwipsGeometryMovesTheMdiFrameOfAChild) {
    QWidget top;
    setTwipsGeometry(&top, 2000, 2000, 6000, 4500);
    EXPECT_EQ(top.pos(), QPoint(133, 133));
    EXPECT_EQ(top.size(), QSize(400, 300));
    EXPECT_EQ(leftTwips(&top), 1995); // pixels are the unit the window system keeps
    EXPECT_EQ(widthTwips(&top), 6000);

    QMdiArea area;
    area.resize(800, 600);
    auto* child = new QWidget;
    QMdiSubWindow* sub = area.addSubWindow(child);
    setTwipsPosition(child, 600, 300);
    setTwipsSize(child, 4500, 3000);
    EXPECT_EQ(sub->pos(), QPoint(40, 20));
    EXPECT_EQ(sub->size(), QSize(300, 200));
    EXPECT_EQ(topTwips(child), 300);
    EXPECT_EQ(heightTwips(child), 3000);
    EXPECT_EQ(frameOf(child), sub);
}

TEST(NamedControls, TakeTheirMemberNameAndParent) {
    QWidget parent;
    auto* lbl = makeNamed<QLabel>(&parent, "lblVersion", "Version 3.4");
    auto* txt = makeNamedAt<QLineEdit>(&parent, "Lev", 3);
    EXPECT_EQ(lbl->objectName(), "lblVersion");
    EXPECT_EQ(lbl->text(), "Version 3.4");
    EXPECT_EQ(lbl->parentWidget(), &parent);
    EXPECT_EQ(parent.findChild<QLineEdit*>("Lev(3)"), txt);
}

} // namespace
