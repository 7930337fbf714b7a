#pragma once
// Failures of the database layer. Every operation that cannot do what was
// asked throws db::Error with a text fit to show the user; nothing in the
// layer shows a message itself.
#include <stdexcept>
#include <string>

namespace db {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace db
