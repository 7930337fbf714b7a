#pragma once
// The records of a graph or print window: its record set (the computed Name
// column in front of the sheet's fields, so every field stands one position
// later than in the table) read once per activation, and how the records of
// a reread continue those read before.
#include "platform/db/recordset.h"

#include <QString>

#include <utility>
#include <vector>

// Field positions in a graph or print window's record set.
namespace outfield {
constexpr int Name = 0;
constexpr int Code = 1;
constexpr int Description = 2;
constexpr int Type = 3;
constexpr int Sum1Type = 4;
constexpr int Sum1Val = 5;
constexpr int Sum2Type = 6;
constexpr int Sum2Val = 7;
constexpr int Formula = 8; // Select Type in a datasheet
constexpr int FirstBand = 9;
} // namespace outfield

struct OutputRecord {
    db::RecordKey key = 0; // the row's identity in its table
    QString name;          // "Code: Description"
    QString code;
    QString description;
    QString type;
    QString sum1Type, sum1Val, sum2Type, sum2Val;
    QString formula;
    std::vector<double> bands; // band j at [j - 1]; no value: -999
    // The fields behind the bands (a datasheet's descriptive fields): name, value.
    std::vector<std::pair<QString, QString>> extra;
};

// Every record of a record set, in order, without moving it. Null fields
// read as "".
std::vector<OutputRecord> readRecords(const db::Recordset& rs, int nBands);

// For each record of `after`, the index of the record of `before` it
// continues, or -1 for a new one. A record is matched by its row identity
// and description first, then by its description alone (the rows of an undo
// are new rows), then by its row identity and code (an edited description);
// codes alone are never matched, as Insert and Delete move them.
std::vector<int> matchRecords(const std::vector<OutputRecord>& before,
                              const std::vector<OutputRecord>& after);

// The text of a field value: "" for Null and Empty.
QString fieldText(const db::Value& v);
