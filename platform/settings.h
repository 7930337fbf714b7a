#pragma once
// Per-user settings store: application, section and key to a text value.
//
// Kept as an INI file per application under the user's XDG config folder
// ($XDG_CONFIG_HOME/<app>/<app>.ini, else ~/.config/<app>/<app>.ini).
// Section and key names compare without regard to letter case ("StartUp"
// and "Startup" are one section). Values are kept verbatim to the end of the
// line, so ";" and "\" in connection strings and paths survive a hand edit;
// only a value with a line break or outer blanks is written quoted.
#include <QString>

#include <stdexcept>

namespace platform {

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file that holds an application's settings.
QString settingsPath(const QString& app);

// The stored value, or defaultValue when there is none. Throws SettingsError
// when the file exists but cannot be read.
QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue = {});

// Stores a value; the file is replaced atomically. Throws SettingsError when
// it cannot be written (the file is then left as it was).
void SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value);

} // namespace platform
