#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

#include <memory>
#include <mutex>
#include <vector>

namespace platform {
namespace {

// Names that compare equal without regard to case fold to one text.
QString folded(const QString& name) {
    return name.toCaseFolded();
}

struct Entry {
    QString key;
    QString value;
    bool raw = false; // a comment or other line kept as it was written
};
struct Section {
    QString name;
    std::vector<Entry> entries;
    QHash<QString, size_t> keys; // folded key to its entry (comments have none)

    Entry* find(const QString& key) {
        const auto it = keys.constFind(folded(key));
        return it == keys.cend() ? nullptr : &entries[*it];
    }
    const Entry* find(const QString& key) const { return const_cast<Section*>(this)->find(key); }
    void add(const QString& key, const QString& value) {
        keys.insert(folded(key), entries.size());
        entries.push_back({key, value, false});
    }
};
struct IniFile {
    std::vector<QString> preamble; // lines before the first section
    std::vector<Section> sections;
    QHash<QString, size_t> names; // folded section name to its section

    Section* find(const QString& name) {
        const auto it = names.constFind(folded(name));
        return it == names.cend() ? nullptr : &sections[*it];
    }
    const Section* find(const QString& name) const {
        return const_cast<IniFile*>(this)->find(name);
    }
    Section& add(const QString& name) {
        names.insert(folded(name), sections.size());
        sections.push_back({name, {}, {}});
        return sections.back();
    }
};

QString configHome() {
    QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return xdg;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString unquote(const QString& raw) {
    if (raw.size() < 2 || !raw.startsWith(u'"') || !raw.endsWith(u'"')) return raw;
    QString out;
    for (qsizetype i = 1; i < raw.size() - 1; ++i) {
        QChar c = raw[i];
        // Only the escapes this store writes; any other backslash is a
        // hand-quoted path's ("C:\Program Files\tables") and stays.
        const QChar n = i + 2 < raw.size() ? raw[i + 1] : QChar();
        if (c == u'\\' && (n == u'\\' || n == u'"' || n == u'n' || n == u'r')) {
            ++i;
            out += n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
        } else {
            out += c;
        }
    }
    return out;
}

QString quoteIfNeeded(const QString& v) {
    const bool needs = v.contains(u'\n') || v.contains(u'\r') || v != v.trimmed() ||
                       (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"'));
    if (!needs) return v;
    QString out = QStringLiteral("\"");
    for (QChar c : v) {
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\\' || c == u'"') {
            out += u'\\';
            out += c;
        } else
            out += c;
    }
    return out + u'"';
}

IniFile parse(const QByteArray& bytes) {
    IniFile ini;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    // A file saved by hand in an 8-bit code page: keep its letters, which the
    // next write would otherwise replace for good with replacement marks.
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    Section* current = nullptr;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        const QString t = line.trimmed();
        if (t.isEmpty()) continue;
        // Comments and lines we cannot read stay where they were.
        auto keep = [&] {
            if (current)
                current->entries.push_back({QString(), line, true});
            else
                ini.preamble.push_back(line);
        };
        if (t.startsWith(u'#')) {
            keep();
            continue;
        }
        if (t.startsWith(u'[') && t.endsWith(u']')) {
            const QString name = t.mid(1, t.size() - 2).trimmed();
            current = ini.find(name);
            if (!current) current = &ini.add(name);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0 || !current) {
            keep();
            continue;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = unquote(line.mid(eq + 1).trimmed());
        // A key given twice keeps its first place and its last value.
        if (Entry* e = current->find(key))
            e->value = value;
        else
            current->add(key, value);
    }
    return ini;
}

// The file as last read: start-up asks for one key after another, and each
// answer comes from the one reading as long as the file holds the same bytes.
struct Reading {
    QString path;
    QByteArray bytes;
    std::shared_ptr<const IniFile> ini;
};
std::mutex gReadingMutex;
Reading gReading;

// The parsed file; an empty store when there is none.
std::shared_ptr<const IniFile> load(const QString& path) {
    QFile f(path);
    if (!f.exists()) return std::make_shared<const IniFile>();
    if (!f.open(QIODevice::ReadOnly))
        throw SettingsError("Cannot read settings file " + path.toStdString() + ": " +
                            f.errorString().toStdString());
    QByteArray bytes = f.readAll();
    std::lock_guard lock(gReadingMutex);
    if (gReading.ini && gReading.path == path && gReading.bytes == bytes) return gReading.ini;
    auto ini = std::make_shared<const IniFile>(parse(bytes));
    gReading = {path, std::move(bytes), ini};
    return ini;
}

void store(const QString& path, const IniFile& ini) {
    QString text;
    for (const QString& line : ini.preamble)
        text += line + u'\n';
    for (const Section& s : ini.sections) {
        if (!text.isEmpty()) text += u'\n';
        text += u'[' + s.name + QStringLiteral("]\n");
        for (const Entry& e : s.entries)
            text += (e.raw ? e.value : e.key + u'=' + quoteIfNeeded(e.value)) + u'\n';
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw SettingsError("Cannot create the settings folder for " + path.toStdString());
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0 || !f.commit())
        throw SettingsError("Cannot write settings file " + path.toStdString() + ": " +
                            f.errorString().toStdString());
}

} // namespace

QString settingsPath(const QString& app) {
    return configHome() + u'/' + app + u'/' + app + QStringLiteral(".ini");
}

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue) {
    const std::shared_ptr<const IniFile> ini = load(settingsPath(app));
    if (const Section* s = ini->find(section))
        if (const Entry* e = s->find(key)) return e->value;
    return defaultValue;
}

void SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value) {
    const QString path = settingsPath(app);
    IniFile ini = *load(path);
    Section* s = ini.find(section);
    if (!s) s = &ini.add(section);
    if (Entry* e = s->find(key))
        e->value = value;
    else
        s->add(key, value);
    store(path, ini);
}

} // namespace platform
