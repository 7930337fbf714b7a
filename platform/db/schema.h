#pragma once
// Table structure as the sheets describe it: fields with a type, a text size,
// a default value and the zero-length rule, and named indexes.
#include "platform/db/value.h"

#include <string>
#include <string_view>
#include <vector>

namespace db {

enum class FieldType { Long, Double, Text, Memo };

constexpr int kDefaultTextSize = 255;

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    int size = kDefaultTextSize;  // Text only: the most characters it holds
    Value defaultValue;           // Empty: no default (a new record holds Null)
    bool allowZeroLength = false; // Text and Memo: whether "" may be stored
    bool required = false;        // Null refused
};

struct IndexDef {
    std::string name;
    std::vector<std::string> fields;
    bool primary = false;
    bool unique = false;
};

struct TableDef {
    std::string name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
};

// Characters of a UTF-8 text, as a Text field's size counts them (not bytes).
long characterCount(std::string_view text);

// Checks and converts a value for a field of this definition, as the field
// stores it: numbers for Long and Double (numeric text accepted, other text
// refused), text within its size for Text, "" only where allowed. Empty
// becomes Null. Throws db::Error naming the field.
Value coerceForField(const FieldDef& f, const Value& v);

} // namespace db
