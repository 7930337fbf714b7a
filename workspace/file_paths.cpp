#include "workspace/file_paths.h"

#include <QFileInfo>

namespace {

QString realPath(const QString& p) {
    const QFileInfo info(p);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

bool samePath(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return a == b;
    return a == b || realPath(a) == realPath(b);
}
