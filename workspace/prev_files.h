#pragma once
// The previous-files list: the ten mnuFilePrevFiles items of the File menu,
// each showing one path, stored under the keys "File1" ... "File9", "File0".
#include <QString>

// The path item i (0 to 9) holds ("" when none).
QString prevFileCaption(int i);
void setPrevFileCaption(int i, const QString& path);

// Fills the items from the settings (start-up).
void FillPrevFiles();
// Shows the first gShowFiles items, empty ones included, and hides the rest.
void ShowPrevFiles();

enum class PrevFilesUpdate {
    Opened, // all ten entries move down, the tenth is dropped
    Created // only the shown entries move; hidden ones keep their paths
};
// Puts a path at the top of the list unless one of the shown items holds it
// already (then nothing moves), and stores what changed. Throws
// platform::SettingsError when the store cannot be written.
void UpdatePrevFiles(const QString& path, PrevFilesUpdate how);
