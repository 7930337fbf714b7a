#include "platform/db/value.h"

#include "platform/db/error.h"

#include <charconv>
#include <cmath>

namespace db {

bool parseNumber(std::string_view text, double& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

double Value::convertToDouble() const {
    switch (kind()) {
    case Kind::Empty:
        return 0;
    case Kind::Long:
        return static_cast<double>(long_);
    case Kind::Double:
        return double_;
    case Kind::Text: {
        double d = 0;
        if (parseNumber(text_->s, d)) return d;
        throw Error("Type mismatch: \"" + text_->s + "\" is not a number");
    }
    case Kind::Null:
        break;
    }
    throw Error("Invalid use of Null");
}

std::int64_t Value::toLong() const {
    if (kind() == Kind::Long) return long_;
    const double d = std::nearbyint(toDouble()); // default rounding: half to even
    if (!(d >= -9.2e18 && d <= 9.2e18)) throw Error("Overflow");
    return static_cast<std::int64_t>(d);
}

std::string Value::toText() const {
    switch (kind()) {
    case Kind::Long:
        return std::to_string(long_);
    case Kind::Double: {
        char buf[64];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, double_);
        return ec == std::errc() ? std::string(buf, end) : std::string();
    }
    case Kind::Text:
        return text_->s;
    default:
        return std::string();
    }
}

const std::string& Value::text() const {
    static const std::string none;
    return isText() ? text_->s : none;
}

bool Value::operator==(const Value& o) const {
    if (isNumber() && o.isNumber()) {
        if (kind() == Kind::Long && o.kind() == Kind::Long) return long_ == o.long_;
        return toDouble() == o.toDouble();
    }
    if (kind_ != o.kind_) return false;
    return kind_ != Kind::Text || text_ == o.text_ || text_->s == o.text_->s;
}

} // namespace db
