#pragma once
// What the file behind a connection is and whether it can still be written:
// read-only by its mode bits, a Jet file of another program, gone while
// open. The texts are the messages a user gets for each. readOnlyReason(),
// declared in database.h, is defined beside these.
#include <cstddef>
#include <filesystem>
#include <string>

namespace db {

bool locked(const std::filesystem::path& p);
bool startsWithJetHeader(const char* head, size_t n);
std::string goneShort(const std::string& path);
std::string goneMessage(const std::string& path);

} // namespace db
