#pragma once
// The program's keys in the settings store, their defaults, and the data
// folder where the templates and datasheets files live unless the user
// chose others.
#include <QString>

namespace workspace {

inline const QString kApp = QStringLiteral("Bandwright");

// The two data providers the Options dialog offers.
inline const QString kProvider40 =
    QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;");
inline const QString kProvider351 =
    QStringLiteral("Provider=Microsoft.Jet.OLEDB.3.51;Persist Security Info=False;");

// $XDG_DATA_HOME/Bandwright, else ~/.local/share/Bandwright.
QString dataFolder();
QString defaultTemplateFile();  // Templates.bwdb in the data folder
QString defaultDatasheetFile(); // DataSheets.bwdb in the data folder

// The key of previous file k (1 to 10): "File1" ... "File9", then "File0".
QString prevFileKey(int k);

// The number of previous files shown, read from a text as the settings and
// the Options dialog give it (" 4" and "4" alike), held to 0 to 10; a text
// with no number or too large a number gives 0.
int showFilesFromText(const QString& text);

// The stored value, or the default; a store that cannot be read throws
// platform::SettingsError.
QString setting(const QString& section, const QString& key, const QString& defaultValue = {});
// Whether a value is stored under the key.
bool hasSetting(const QString& section, const QString& key);
// Stores a value; throws platform::SettingsError when it cannot be written.
void saveSetting(const QString& section, const QString& key, const QString& value);

} // namespace workspace
