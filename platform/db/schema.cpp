#include "platform/db/schema.h"

#include "platform/db/error.h"

#include <cmath>

namespace db {

long characterCount(std::string_view text) {
    long chars = 0;
    for (unsigned char c : text)
        chars += (c & 0xC0) != 0x80;
    return chars;
}

Value coerceForField(const FieldDef& f, const Value& v) {
    // Only a failure needs the quoted name.
    const auto quoted = [&f] { return "\"" + f.name + "\""; };
    if (v.isEmpty() || v.isNull()) {
        if (f.required) throw Error("The field " + quoted() + " cannot hold a Null value");
        return Value::null();
    }
    switch (f.type) {
    case FieldType::Long:
    case FieldType::Double: {
        double d = 0;
        if (v.isText()) {
            if (!parseNumber(v.text(), d))
                throw Error("The field " + quoted() + " holds numbers; \"" + v.text() +
                            "\" is not a number");
        } else {
            d = v.toDouble();
        }
        if (!std::isfinite(d)) throw Error("The field " + quoted() + " cannot hold this number");
        if (f.type == FieldType::Double) return Value(d);
        d = std::nearbyint(d);
        if (d < -2147483648.0 || d > 2147483647.0)
            throw Error("The number is too large for the field " + quoted());
        return Value(static_cast<long long>(d));
    }
    case FieldType::Text:
    case FieldType::Memo: {
        std::string t = v.toText();
        if (t.empty() && !f.allowZeroLength)
            throw Error("The field " + quoted() + " cannot be a zero-length string");
        if (f.type == FieldType::Text) {
            if (characterCount(t) > f.size)
                throw Error("The field " + quoted() + " holds at most " + std::to_string(f.size) +
                            " characters");
        }
        return Value(std::move(t));
    }
    }
    return v;
}

} // namespace db
