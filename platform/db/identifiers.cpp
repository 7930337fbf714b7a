#include "platform/db/identifiers.h"

#include "platform/db/error.h"

#include <QString>

#include <algorithm>
#include <cctype>

namespace db {

namespace {

bool isAscii(const unsigned char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] >= 0x80) return false;
    return true;
}

} // namespace

std::string quoteIdent(std::string_view name) {
    std::string r = "\"";
    for (char c : name) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

int compareNoCase(std::string_view a, std::string_view b) {
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    const int na = static_cast<int>(a.size()), nb = static_cast<int>(b.size());
    if (isAscii(pa, na) && isAscii(pb, nb)) {
        const int n = std::min(na, nb);
        for (int i = 0; i < n; ++i) {
            const int ca = std::tolower(pa[i]), cb = std::tolower(pb[i]);
            if (ca != cb) return ca - cb;
        }
        return na - nb;
    }
    // Qt folds to lower case as the ASCII path does, so both paths order alike.
    return QString::fromUtf8(a.data(), na)
        .compare(QString::fromUtf8(b.data(), nb), Qt::CaseInsensitive);
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return compareNoCase(a, b) == 0;
}

void checkTableName(std::string_view name) {
    if (name.empty()) throw Error("A table name cannot be empty");
    if (name.find('\0') != std::string_view::npos)
        throw Error("A table name cannot hold a NUL character");
    if (static_cast<unsigned char>(name.front()) < 0x20)
        throw Error("A table name cannot begin with a control character");
    if (name.size() >= 7 && equalNoCase(name.substr(0, 7), "sqlite_"))
        throw Error("The name \"" + std::string(name) +
                    "\" is reserved by the database engine; names beginning with "
                    "\"sqlite_\" cannot be used");
}

} // namespace db
