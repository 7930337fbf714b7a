#include "tables/vocabulary.h"

int gOperatorCount = 0;
std::vector<OperatorRow> gOperators;
int gFuncCount = 0;
std::vector<std::string> gFuncNames;
int gConstCount = 0;
std::vector<std::string> gConstNames;

void fillVocabulary() {
    // A two-character operator comes after the one-character operator it
    // begins with: where both start at one position the later row's mark stands.
    static const OperatorRow kOperators[] = {
        {"^", 1}, {"/", 2}, {"*", 2}, {"-", 3},  {"+", 3},  {"!-", 4}, {"!+", 4},
        {"=", 5}, {">", 5}, {"<", 5}, {"<>", 5}, {">=", 5}, {"<=", 5},
    };
    gOperatorCount = 13;
    gOperators.assign(static_cast<size_t>(gOperatorCount) + 1, OperatorRow{});
    for (int i = 1; i <= gOperatorCount; ++i)
        gOperators[i] = kOperators[i - 1];

    static const char* const kFunctions[] = {
        "log",    "loge",   "Awt",    "Cwt",    "NR",     "NC",     "RC",     "STC",
        "logsum", "logav",  "BarCor", "AirAbs", "DistPo", "DistLi", "DistPl", "if",
        "Rw",     "CompTL", "DnT",    "PNC",    "Ln,w",   "IIC",    "Plen",   "RmC",
    };
    gFuncCount = 24;
    gFuncNames.assign(static_cast<size_t>(gFuncCount) + 1, std::string());
    for (int i = 1; i <= gFuncCount; ++i)
        gFuncNames[i] = kFunctions[i - 1];

    static const char* const kConstants[] = {"pi", "c", "True", "False"};
    gConstCount = 4;
    gConstNames.assign(static_cast<size_t>(gConstCount) + 1, std::string());
    for (int i = 1; i <= gConstCount; ++i)
        gConstNames[i] = kConstants[i - 1];
}
