#pragma once
// A field value: Empty (never assigned), Null, a whole number, a double or a
// text. The kinds stay apart: a Null summary text is not "", and an empty
// band element is not -999.
#include <cstdint>
#include <string>
#include <string_view>

namespace db {

class Value {
public:
    enum class Kind { Empty, Null, Long, Double, Text };

    Value() = default;
    Value(int v) : kind_(Kind::Long) { long_ = v; }
    Value(long v) : kind_(Kind::Long) { long_ = v; }
    Value(long long v) : kind_(Kind::Long) { long_ = v; }
    Value(double v) : kind_(Kind::Double) { double_ = v; }
    Value(std::string v) : kind_(Kind::Text) { text_ = new Text{1, std::move(v)}; }
    Value(std::string_view v) : kind_(Kind::Text) { text_ = new Text{1, std::string(v)}; }
    Value(const char* v) : kind_(Kind::Text) { text_ = new Text{1, v}; }
    static Value null() {
        Value r;
        r.kind_ = Kind::Null;
        return r;
    }
    // A copy of a text shares it: texts never change once made.
    Value(const Value& o) : kind_(o.kind_) {
        long_ = o.long_;
        if (kind_ == Kind::Text) ++text_->refs;
    }
    Value(Value&& o) noexcept : kind_(o.kind_) {
        long_ = o.long_; // the text's pointer too, whichever member is live
        o.kind_ = Kind::Empty;
    }
    Value& operator=(const Value& o) {
        if (this != &o) *this = Value(o);
        return *this;
    }
    Value& operator=(Value&& o) noexcept {
        if (this != &o) {
            release();
            kind_ = o.kind_;
            long_ = o.long_;
            o.kind_ = Kind::Empty;
        }
        return *this;
    }
    ~Value() { release(); }

    Kind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == Kind::Empty; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isNumber() const { return kind_ == Kind::Long || kind_ == Kind::Double; }
    bool isText() const { return kind_ == Kind::Text; }

    // Numbers as they are, Empty as 0, numeric text parsed. Throws db::Error
    // for Null and for text that is not a number.
    double toDouble() const { return kind_ == Kind::Double ? double_ : convertToDouble(); }
    std::int64_t toLong() const; // rounds half to even, as a Long field does
    // The text; numbers in their shortest exact form; Empty and Null as "".
    std::string toText() const;
    // The stored text (empty for other kinds).
    const std::string& text() const;

    // Same kind and value; a Long and a Double compare by number.
    bool operator==(const Value& o) const;
    bool operator!=(const Value& o) const { return !(*this == o); }

private:
    double convertToDouble() const;
    // A text lies apart, shared by the values copied from one another.
    // Values belong to one thread: the count is a plain one.
    struct Text {
        long refs;
        std::string s;
    };
    void release() {
        if (kind_ == Kind::Text && --text_->refs == 0) delete text_;
    }
    // Sixteen bytes: rows hold tens of these per record.
    union {
        std::int64_t long_ = 0;
        double double_;
        Text* text_;
    };
    Kind kind_ = Kind::Empty;
};

// Parses a whole text as a number (blanks around it allowed); false when it
// is not one.
bool parseNumber(std::string_view text, double& out);

} // namespace db
