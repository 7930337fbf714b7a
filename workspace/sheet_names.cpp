#include "workspace/sheet_names.h"

#include "platform/db/schema.h"
#include "platform/ui.h"
#include "sheets/level_display.h"

#include <QLineEdit>

#include <algorithm>

QString sheetNameProblem(const QString& name) {
    if (name.contains('\'') || name.contains('"'))
        return QStringLiteral("Cannot use ' or \" as part of a worksheet name");
    if (name.isEmpty()) return QStringLiteral("Please enter a name.");
    if (name.startsWith('~'))
        return QStringLiteral(
            "Names beginning with \"~\" are kept for the program's own tables. Please choose "
            "another name.");
    if (name.startsWith(QStringLiteral("sqlite_"), Qt::CaseInsensitive))
        return QStringLiteral(
            "Names beginning with \"sqlite_\" are kept for the database engine. Please choose "
            "another name.");
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("A name cannot hold tabs, line breaks or other control "
                                  "characters.");
    if (db::characterCount(name.toStdString()) > db::kDefaultTextSize)
        return QStringLiteral("A name can be at most %1 characters long.")
            .arg(db::kDefaultTextSize);
    return QString();
}

bool sheetNameAccepted(QLineEdit* box) {
    const QString problem = sheetNameProblem(box->text());
    if (problem.isEmpty()) return true;
    platform::MsgBox(problem);
    box->setFocus();
    return false;
}

QString proposedSheetName(const QString& prefix, const std::vector<std::string>& tables) {
    double n = 0;
    for (const std::string& table : tables) {
        const QString name = QString::fromStdString(table);
        if (!name.startsWith(prefix, Qt::CaseSensitive)) continue;
        bool overflow = false;
        const double v = readNumber(name.mid(prefix.size()), &overflow);
        if (!overflow) n = std::max(n, v);
    }
    return prefix + QString::number(n + 1, 'g', 15);
}
