#include "platform/db/data_control.h"

#include <cctype>

namespace db {

namespace {

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

// True when `s` at `i` starts another "Key=" pair of a connection string.
bool startsPair(const std::string& s, size_t i) {
    size_t k = i;
    while (k < s.size() && s[k] != '=' && s[k] != ';' && s[k] != '\\' && s[k] != '/')
        ++k;
    return k < s.size() && s[k] == '=' && k > i;
}

std::string trim(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    size_t b = 0;
    while (b < s.size() && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    return s.substr(b);
}

} // namespace

DataControl::DataControl(QObject* parent) : QObject(parent) {}

DataControl::~DataControl() = default;

void DataControl::setRecordSource(const std::string& source, std::vector<Value> params) {
    source_ = source;
    params_ = std::move(params);
}

std::string DataControl::dataSource(const std::string& cs) {
    const std::string l = lower(cs);
    const std::string key = "data source=";
    size_t at = std::string::npos;
    for (size_t p = l.find(key); p != std::string::npos; p = l.find(key, p + 1))
        if (p == 0 || cs[p - 1] == ';' || std::isspace(static_cast<unsigned char>(cs[p - 1]))) {
            at = p;
            break;
        }
    if (at == std::string::npos) return std::string();
    size_t i = at + key.size();
    while (i < cs.size() && cs[i] == ' ')
        ++i;
    if (i < cs.size() && (cs[i] == '"' || cs[i] == '\'')) {
        const char q = cs[i];
        const size_t end = cs.find(q, i + 1);
        return cs.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
    }
    // A path may itself hold ";": the value ends only where another pair begins.
    size_t end = i;
    for (;;) {
        end = cs.find(';', end);
        if (end == std::string::npos || end + 1 >= cs.size() || startsPair(cs, end + 1)) break;
        ++end;
    }
    return trim(cs.substr(i, end == std::string::npos ? std::string::npos : end - i));
}

void DataControl::Refresh() {
    const std::string path = dataSource(connect_);
    if (path.empty()) throw Error("The connection string names no data source");
    if (source_.empty()) throw Error("The data control has no record source");
    // A fresh connection each time: the file may have been replaced since
    // (compacted, copied over), and an old connection would read the old one.
    std::shared_ptr<Database> db = Database::open(path);
    Recordset fresh = Recordset::open(db, source_, params_, lock_);
    setRecordset(std::move(fresh));
    emit MoveComplete();
}

void DataControl::setRecordset(Recordset rs) {
    if (rs_.sameAs(rs)) return;
    moves_.disconnect();
    rs_ = std::move(rs);
    if (rs_.isOpen()) moves_ = rs_.observeMoves([this] { emit MoveComplete(); });
    emit RecordsetChanged();
}

} // namespace db
