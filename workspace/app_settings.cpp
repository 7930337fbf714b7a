#include "workspace/app_settings.h"

#include "platform/settings.h"
#include "sheets/level_display.h"

#include <QDir>

namespace workspace {

QString dataFolder() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base = !xdg.isEmpty() && QDir::isAbsolutePath(xdg)
                             ? xdg
                             : QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Bandwright");
}

QString defaultTemplateFile() {
    return dataFolder() + QStringLiteral("/Templates.bwdb");
}

QString defaultDatasheetFile() {
    return dataFolder() + QStringLiteral("/DataSheets.bwdb");
}

QString prevFileKey(int k) {
    return QStringLiteral("File") + QString::number(k % 10);
}

int showFilesFromText(const QString& text) {
    bool overflow = false;
    const double n = readNumber(text, &overflow);
    if (overflow || !(n > 0)) return 0;
    // A whole number, as the menu counts items.
    return n >= 10 ? 10 : static_cast<int>(n + 0.5);
}

QString setting(const QString& section, const QString& key, const QString& defaultValue) {
    return platform::GetSetting(kApp, section, key, defaultValue);
}

bool hasSetting(const QString& section, const QString& key) {
    // No stored value reads back as either default.
    return !(platform::GetSetting(kApp, section, key, QStringLiteral("a")) == "a" &&
             platform::GetSetting(kApp, section, key, QStringLiteral("b")) == "b");
}

void saveSetting(const QString& section, const QString& key, const QString& value) {
    platform::SaveSetting(kApp, section, key, value);
}

} // namespace workspace
