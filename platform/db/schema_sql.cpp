#include "platform/db/schema_sql.h"

#include "platform/db/identifiers.h"

#include <cctype>
#include <charconv>

namespace db {

namespace {

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string sqlLiteral(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Long:
    case Value::Kind::Double:
        return v.toText();
    case Value::Kind::Text: {
        std::string r = "'";
        for (char c : v.text()) {
            if (c == '\'') r += '\'';
            r += c;
        }
        return r + "'";
    }
    default:
        return "NULL";
    }
}

std::string typeDecl(const FieldDef& f) {
    std::string zl = f.allowZeroLength ? "ALLOWZERO " : "";
    switch (f.type) {
    case FieldType::Long:
        return "LONG";
    case FieldType::Double:
        return "DOUBLE";
    case FieldType::Text:
        return zl + "TEXT(" + std::to_string(f.size) + ")";
    case FieldType::Memo:
        return zl + "MEMO TEXT";
    }
    return "TEXT";
}

} // namespace

Value parseLiteral(const Value& stored, FieldType type) {
    if (stored.isNull() || stored.isEmpty()) return Value();
    std::string s = stored.toText();
    if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'') {
        std::string r;
        for (size_t i = 1; i + 1 < s.size(); ++i) {
            r += s[i];
            if (s[i] == '\'' && s[i + 1] == '\'') ++i;
        }
        return Value(r);
    }
    if (upper(s) == "NULL") return Value();
    double d = 0;
    if (parseNumber(s, d)) {
        if (type == FieldType::Long) return Value(static_cast<long long>(d));
        if (type == FieldType::Double) return Value(d);
        return Value(s);
    }
    return Value(s);
}

void parseDecl(const std::string& decl, FieldDef& f) {
    const std::string u = upper(decl);
    f.allowZeroLength = u.find("ALLOWZERO") != std::string::npos;
    f.size = kDefaultTextSize;
    if (u == "LONG" || u.find("INT") != std::string::npos) {
        f.type = FieldType::Long;
    } else if (u == "DOUBLE" || u.find("REAL") != std::string::npos ||
               u.find("FLOA") != std::string::npos || u.find("DOUB") != std::string::npos) {
        f.type = FieldType::Double;
    } else if (u.find("MEMO") != std::string::npos) {
        f.type = FieldType::Memo;
    } else {
        f.type = FieldType::Text;
        const auto open = u.find('(');
        if (open != std::string::npos) {
            int n = 0;
            auto [p, ec] = std::from_chars(u.data() + open + 1, u.data() + u.size(), n);
            if (ec == std::errc() && n > 0) f.size = n;
        }
        if (u.find("TEXT") == std::string::npos && u.find("CHAR") == std::string::npos &&
            u.find("CLOB") == std::string::npos)
            f.allowZeroLength = true; // a column of no declared kind holds anything
    }
    if (f.type == FieldType::Long || f.type == FieldType::Double) f.allowZeroLength = false;
}

std::string checkExpression(const FieldDef& f) {
    // Plain comparisons only: an IN list builds a scratch table each time a
    // statement runs, which made every written row several times dearer.
    const std::string c = quoteIdent(f.name);
    const std::string type = "typeof(" + c + ") = ";
    std::string check;
    switch (f.type) {
    case FieldType::Long:
        check = type + "'integer' AND " + c + " BETWEEN -2147483648 AND 2147483647";
        break;
    case FieldType::Double:
        check = "(" + type + "'real' OR " + type + "'integer')";
        break;
    case FieldType::Text:
        check = type + "'text' AND length(" + c + ") <= " + std::to_string(f.size);
        break;
    case FieldType::Memo:
        check = type + "'text'";
        break;
    }
    if ((f.type == FieldType::Text || f.type == FieldType::Memo) && !f.allowZeroLength)
        check += " AND " + c + " <> ''";
    return c + " IS NULL OR (" + check + ")";
}

std::string columnDef(const FieldDef& f) {
    const std::string c = quoteIdent(f.name);
    const std::string check = checkExpression(f);
    std::string def = c + " " + typeDecl(f);
    if (f.required) def += " NOT NULL";
    if (!f.defaultValue.isEmpty() && !f.defaultValue.isNull())
        def += " DEFAULT " + sqlLiteral(coerceForField(f, f.defaultValue));
    if (f.type == FieldType::Text || f.type == FieldType::Memo) def += " COLLATE NOCASE";
    return def + " CHECK(" + check + ")";
}

namespace {

// Indexes share one namespace with tables, so none may carry a name a table
// could take. A primary key is a table constraint, whose index the engine
// names "sqlite_autoindex_..."; every other index of ours is named
// "\x01" + (P or I) + table + "\x01" + name, and checkTableName() refuses a
// name beginning with a control character. Files of earlier versions name
// them "<table>|P|<name>" and "<table>|I|<name>": these are read as ours and
// renamed when a table wants the name.
constexpr char kIndexMark = '\x01';

} // namespace

std::string indexSqlName(const std::string& table, const IndexDef& ix) {
    return std::string(1, kIndexMark) + (ix.primary ? 'P' : 'I') + table + kIndexMark + ix.name;
}

bool readIndexSqlName(const std::string& sqlName, const std::string& table, IndexDef& ix) {
    const size_t t = table.size();
    if (sqlName.size() >= t + 3 && sqlName[0] == kIndexMark &&
        (sqlName[1] == 'P' || sqlName[1] == 'I') && sqlName.compare(2, t, table) == 0 &&
        sqlName[2 + t] == kIndexMark) {
        ix.primary = sqlName[1] == 'P';
        ix.name = sqlName.substr(t + 3);
        return true;
    }
    if (sqlName.size() > t + 3 && sqlName.compare(0, t, table) == 0) {
        const std::string tag = sqlName.substr(t, 3);
        if (tag == "|P|" || tag == "|I|") {
            ix.primary = tag == "|P|";
            ix.name = sqlName.substr(t + 3);
            return true;
        }
    }
    return false;
}

std::optional<std::string> primaryKeyName(std::string_view sql) {
    struct Token {
        std::string text;
        bool word = false;   // an unquoted word: a keyword or a bare name
        bool quoted = false; // a quoted name
        int depth = 0;
    };
    std::vector<Token> toks;
    const size_t n = sql.size();
    size_t i = 0;
    int depth = 0;
    auto readQuoted = [&](char close) {
        std::string r;
        for (++i; i < n; ++i) {
            if (sql[i] != close) {
                r += sql[i];
            } else if (close != ']' && i + 1 < n && sql[i + 1] == close) {
                r += close;
                ++i;
            } else {
                ++i;
                break;
            }
        }
        return r;
    };
    auto wordChar = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
    };
    while (i < n) {
        const char c = sql[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (sql.compare(i, 2, "--") == 0) {
            const size_t e = sql.find('\n', i);
            i = e == std::string_view::npos ? n : e;
        } else if (sql.compare(i, 2, "/*") == 0) {
            const size_t e = sql.find("*/", i + 2);
            i = e == std::string_view::npos ? n : e + 2;
        } else if (c == '"' || c == '`' || c == '[') {
            toks.push_back({readQuoted(c == '[' ? ']' : c), false, true, depth});
        } else if (c == '\'') {
            readQuoted('\'');
            toks.push_back({"", false, false, depth});
        } else if (wordChar(c)) {
            const size_t start = i;
            while (i < n && wordChar(sql[i]))
                ++i;
            toks.push_back({std::string(sql.substr(start, i - start)), true, false, depth});
        } else {
            if (c == ')') --depth;
            toks.push_back({std::string(1, c), false, false, depth});
            if (c == '(') ++depth;
            ++i;
        }
    }
    for (size_t k = 0; k + 2 < toks.size(); ++k)
        if (toks[k].depth == 1 && toks[k].word && upper(toks[k].text) == "CONSTRAINT" &&
            (toks[k + 1].word || toks[k + 1].quoted) && toks[k + 2].word &&
            upper(toks[k + 2].text) == "PRIMARY")
            return toks[k + 1].text;
    return std::nullopt;
}

} // namespace db
