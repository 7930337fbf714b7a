// The main menus follow what the user works on.
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "workspace/bandwright_window.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace {

QAction* item(const char* name) {
    QAction* a = menuItem(name);
    EXPECT_TRUE(a) << name;
    return a;
}

// The enabled Edit items, by name, in menu order.
std::vector<std::string> enabledEditItems() {
    std::vector<std::string> out;
    for (const char* n :
         {"mnuEditUndo", "mnuEditSpectrumEditable", "mnuEditSpectrumType", "mnuEditNew",
          "mnuEditInsert", "mnuEditDelete", "mnuEditCut", "mnuEditCopy", "mnuEditPaste",
          "mnuEditPasteInsert", "mnuEditPasteFrom", "mnuEditPasteFromCEL", "mnuEditPasteFromIns"})
        if (item(n)->isEnabled()) out.push_back(n);
    return out;
}

class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        main_ = &mainWindow();
        gDatasheetOK = false;
    }
    void TearDown() override { main_->mdiArea->closeAllSubWindows(); }
    Bandwright* main_ = nullptr;
};

TEST_F(Menus, NoFileThenAFileThenAWorksheet) {
    SetMenus(1);
    EXPECT_FALSE(item("mnuFileRecover")->isVisible());
    EXPECT_FALSE(item("mnuFileNewWorksheet")->isEnabled());
    EXPECT_TRUE(item("mnuFileNewFile")->isEnabled());
    EXPECT_FALSE(item("mnuFileOpenDatasheet")->isEnabled()); // no datasheets file
    EXPECT_FALSE(item("mnuWSView")->isVisible());
    EXPECT_TRUE(enabledEditItems().empty());

    SetMenus(2);
    EXPECT_TRUE(item("mnuFileNewWorksheet")->isEnabled());
    EXPECT_FALSE(item("mnuSaveWorksheetAs")->isEnabled());
    EXPECT_FALSE(item("mnuFileRecover")->isVisible()); // no mode shows it again

    SetMenus(3);
    EXPECT_TRUE(item("mnuWSView")->isVisible());
    EXPECT_TRUE(item("mnuWSL")->isVisible());
    EXPECT_TRUE(item("mnuSaveWorksheetAs")->isEnabled());
    EXPECT_TRUE(item("mnuFileNewWorksheet")->isEnabled()); // left as mode 2 set it
    EXPECT_FALSE(item("mnuEditSpectrumEditable")->isVisible());
    EXPECT_FALSE(item("mnuEditSpectrumType")->isVisible());
    EXPECT_EQ(enabledEditItems(),
              (std::vector<std::string>{"mnuEditNew", "mnuEditInsert", "mnuEditDelete",
                                        "mnuEditCut", "mnuEditCopy", "mnuEditPaste",
                                        "mnuEditPasteInsert", "mnuEditPasteFrom",
                                        "mnuEditPasteFromCEL", "mnuEditPasteFromIns"}));

    SetMenus(5);
    EXPECT_EQ(enabledEditItems(), (std::vector<std::string>{"mnuEditCopy"}));
    EXPECT_TRUE(item("mnuFileNewWorksheet")->isEnabled());
    EXPECT_FALSE(item("mnuWSView")->isVisible());
    EXPECT_FALSE(item("mnuGraphDraw")->isEnabled());
}

TEST_F(Menus, DatasheetModeFollowsWhetherTheDatasheetIsEditable) {
    gDatasheetOK = false;
    SetMenus(4, false);
    EXPECT_TRUE(item("mnuFileOpenDatasheet")->isEnabled()); // on in mode 4 whatever the file
    EXPECT_TRUE(item("mnuEditSpectrumEditable")->isVisible());
    EXPECT_TRUE(item("mnuEditSpectrumEditable")->isEnabled());
    EXPECT_FALSE(item("mnuEditSpectrumEditable")->isChecked());
    EXPECT_TRUE(item("mnuEditSpectrumType")->isVisible());
    EXPECT_EQ(enabledEditItems(),
              (std::vector<std::string>{"mnuEditSpectrumEditable", "mnuEditCopy"}));

    SetMenus(4, true);
    EXPECT_TRUE(item("mnuEditSpectrumEditable")->isChecked());
    EXPECT_EQ(enabledEditItems(),
              (std::vector<std::string>{"mnuEditSpectrumEditable", "mnuEditSpectrumType",
                                        "mnuEditNew", "mnuEditDelete", "mnuEditCopy",
                                        "mnuEditPaste", "mnuEditPasteInsert"}));

    gDatasheetOK = true;
    SetMenus(2);
    EXPECT_TRUE(item("mnuDtaNewDatasheet")->isEnabled());
    EXPECT_FALSE(item("mnuDtaRenameDatasheet")->isEnabled());
    EXPECT_FALSE(item("mnuEditSpectrumEditable")->isVisible());
}

TEST_F(Menus, AnUnknownModeChangesNothing) {
    SetMenus(3);
    for (int mode : {0, 6, -1}) {
        SetMenus(mode);
        EXPECT_TRUE(item("mnuWSView")->isVisible()) << mode;
        EXPECT_TRUE(item("mnuEditCut")->isEnabled()) << mode;
    }
}

} // namespace
