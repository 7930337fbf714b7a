#include "output/output_records.h"

#include "sheets/level_display.h"

#include <unordered_map>

QString fieldText(const db::Value& v) {
    return v.isNull() || v.isEmpty() ? QString() : QString::fromStdString(v.toText());
}

std::vector<OutputRecord> readRecords(const db::Recordset& rs, int nBands) {
    std::vector<OutputRecord> out;
    if (!rs.isOpen()) return out;
    const int count = rs.RecordCount();
    const db::FieldList fields = rs.Fields();
    const int nFields = fields.Count();
    std::vector<QString> names;
    for (int i = 0; i < nFields; ++i)
        names.push_back(QString::fromStdString(fields(i).Name()));
    out.reserve(static_cast<size_t>(count));
    for (int pos = 1; pos <= count; ++pos) {
        OutputRecord r;
        auto text = [&](int field) {
            return field < nFields ? fieldText(rs.peek(pos, field)) : QString();
        };
        r.key = rs.keyAt(pos);
        r.name = text(outfield::Name);
        r.code = text(outfield::Code);
        r.description = text(outfield::Description);
        r.type = text(outfield::Type);
        r.sum1Type = text(outfield::Sum1Type);
        r.sum1Val = text(outfield::Sum1Val);
        r.sum2Type = text(outfield::Sum2Type);
        r.sum2Val = text(outfield::Sum2Val);
        r.formula = text(outfield::Formula);
        r.bands.resize(static_cast<size_t>(nBands), -999);
        for (int j = 1; j <= nBands; ++j) {
            const int f = outfield::FirstBand + j - 1;
            if (f < nFields) r.bands[static_cast<size_t>(j - 1)] = bandValue(rs.peek(pos, f));
        }
        for (int f = outfield::FirstBand + nBands; f < nFields; ++f)
            r.extra.emplace_back(names[static_cast<size_t>(f)], text(f));
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<int> matchRecords(const std::vector<OutputRecord>& before,
                              const std::vector<OutputRecord>& after) {
    std::vector<int> match(after.size(), -1);
    std::vector<bool> taken(before.size(), false);
    std::unordered_map<db::RecordKey, int> byKey;
    std::unordered_multimap<QString, int> byDescription;
    for (size_t i = 0; i < before.size(); ++i) {
        byKey.emplace(before[i].key, static_cast<int>(i));
        byDescription.emplace(before[i].description, static_cast<int>(i));
    }
    // Identity and description.
    for (size_t i = 0; i < after.size(); ++i) {
        auto it = byKey.find(after[i].key);
        if (it == byKey.end() || taken[static_cast<size_t>(it->second)]) continue;
        if (before[static_cast<size_t>(it->second)].description != after[i].description) continue;
        match[i] = it->second;
        taken[static_cast<size_t>(it->second)] = true;
    }
    // Description alone: the earliest untaken record of that description.
    for (size_t i = 0; i < after.size(); ++i) {
        if (match[i] >= 0) continue;
        int best = -1;
        auto [lo, hi] = byDescription.equal_range(after[i].description);
        for (auto it = lo; it != hi; ++it)
            if (!taken[static_cast<size_t>(it->second)] && (best < 0 || it->second < best))
                best = it->second;
        if (best < 0) continue;
        match[i] = best;
        taken[static_cast<size_t>(best)] = true;
    }
    // Identity and code: a description edited in place. (An identity alone
    // is not enough: the file gives a deleted last row's identity to the
    // next new row.)
    for (size_t i = 0; i < after.size(); ++i) {
        if (match[i] >= 0) continue;
        auto it = byKey.find(after[i].key);
        if (it == byKey.end() || taken[static_cast<size_t>(it->second)]) continue;
        if (before[static_cast<size_t>(it->second)].code != after[i].code) continue;
        match[i] = it->second;
        taken[static_cast<size_t>(it->second)] = true;
    }
    return match;
}
