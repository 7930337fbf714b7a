#pragma once
// A field value: Empty (never assigned), Null, a whole number, a double or a
// text. The kinds stay apart: a Null summary text is not "", and an empty
// band element is not -999.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace db {

class Value {
public:
    enum class Kind { Empty, Null, Long, Double, Text };

    Value() = default;
    Value(int v) : v_(static_cast<std::int64_t>(v)) {}
    Value(long v) : v_(static_cast<std::int64_t>(v)) {}
    Value(long long v) : v_(static_cast<std::int64_t>(v)) {}
    Value(double v) : v_(v) {}
    Value(std::string v) : v_(std::move(v)) {}
    Value(std::string_view v) : v_(std::string(v)) {}
    Value(const char* v) : v_(std::string(v)) {}
    static Value null() {
        Value r;
        r.v_ = NullTag{};
        return r;
    }

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isNull() const { return kind() == Kind::Null; }
    bool isNumber() const { return kind() == Kind::Long || kind() == Kind::Double; }
    bool isText() const { return kind() == Kind::Text; }

    // Numbers as they are, Empty as 0, numeric text parsed. Throws db::Error
    // for Null and for text that is not a number.
    double toDouble() const;
    std::int64_t toLong() const; // rounds half to even, as a Long field does
    // The text; numbers in their shortest exact form; Empty and Null as "".
    std::string toText() const;
    // The stored text (empty for other kinds).
    const std::string& text() const;

    // Same kind and value; a Long and a Double compare by number.
    bool operator==(const Value& o) const;
    bool operator!=(const Value& o) const { return !(*this == o); }

private:
    struct NullTag {
        bool operator==(const NullTag&) const { return true; }
    };
    std::variant<std::monostate, NullTag, std::int64_t, double, std::string> v_;
};

// Parses a whole text as a number (blanks around it allowed); false when it
// is not one.
bool parseNumber(std::string_view text, double& out);

} // namespace db
