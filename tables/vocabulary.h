#pragma once
// Formula vocabulary: operators, function names, constant names. A row's
// number is what the evaluator hands on (operator number, function number,
// constant number), so the row order is fixed. Row 0 stays empty.
#include <string>
#include <vector>

struct OperatorRow {
    std::string text; // one or two characters
    int priority = 0; // 1 binds tightest, 5 loosest
};

extern int gOperatorCount;
extern std::vector<OperatorRow> gOperators; // rows 0 to gOperatorCount
extern int gFuncCount;
extern std::vector<std::string> gFuncNames; // rows 0 to gFuncCount
extern int gConstCount;
extern std::vector<std::string> gConstNames; // rows 0 to gConstCount

void fillVocabulary();
