// The print window through its real controls: opening it from the Output
// menu on worksheets and datasheets.
#include "platform/gui/bound_controls.h"
#include "tests/output/output_fixture.h"

using namespace output_tests;

namespace {

class PrintWindowTest : public OutputWindowTest {
protected:
    void addPlantSheet() {
        file_->addSheet("Plant", 1, 14,
                        {row("Fan", {62, 60, 58, 55, 52, 50, 47, 44, 40, 38}),
                         row("Pump", {50, -999, 48, 47, 46, 45, -998, 43, 42, 41})},
                        "Level survey");
    }
};

TEST_F(PrintWindowTest, OutputPrintOpensAWindowWithEverySpectrumAndItemTicked) {
    addPlantSheet();
    WorksheetWindow* sheet = openSheet("Plant");
    frmPrint* p = openPrint();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->windowTitle(), "Print: Plant");
    EXPECT_EQ(p->txtTitle->Text(), "Title: Level survey\nPrepared By: ");
    ASSERT_EQ(p->lstSpectra->count(), 2);
    EXPECT_EQ(p->lstSpectra->item(1)->text(), "2: Pump");
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(p->lstSpectra->item(i)->checkState(), Qt::Checked);
    for (int i : {1, 2, 3, 4, 5, 6, 8})
        EXPECT_TRUE(p->chkPrintItem(i)->isChecked()) << i;
    EXPECT_FALSE(p->chkPrintItem(7)->isChecked());
    EXPECT_FALSE(p->chkPrintItem(7)->isVisible());
    EXPECT_EQ(p->chkPrintItem(7)->text(), "Data Source Info.");
    EXPECT_EQ(gActiveKind, 4);
    EXPECT_TRUE(menuItem("mnuEditCopy")->isEnabled());
    EXPECT_FALSE(menuItem("mnuGraphPrint")->isEnabled());
    EXPECT_EQ(frame(p)->size(),
              QSize(platform::twipsToPixels(11000), platform::twipsToPixels(7700)));
    EXPECT_EQ(platform::gui::formKind(p), platform::gui::FormKind::Print);

    // Closing it sets the menus as for any window closed (no more Copy).
    frame(sheet)->close();
    QApplication::processEvents();
    frame(p)->close();
    QApplication::processEvents();
    EXPECT_FALSE(menuItem("mnuEditCopy")->isEnabled());
    EXPECT_TRUE(menuItem("mnuFileNewWorksheet")->isEnabled());
}

} // namespace
