#pragma once
// Formula vocabulary: operators, function names, constant names.
#include <string>
#include <vector>

void fillVocabulary();
