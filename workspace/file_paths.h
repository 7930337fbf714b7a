#pragma once
// Comparing file paths as names of one file.
#include <QString>

// Whether two paths name the same file: their real paths when the files
// exist (links and "." resolved), else the absolute paths.
bool samePath(const QString& a, const QString& b);
