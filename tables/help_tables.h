#pragma once
// Help topics and texts, and the function help table. Texts are plain, with
// lines separated by CR LF. Row 0 of every table stays empty.
#include <array>
#include <string>
#include <vector>

extern int gHelpTopicCount;                  // 9
extern std::vector<std::string> gHelpTopics; // rows 0 to gHelpTopicCount: topic names
extern std::vector<std::string> gHelpTexts;  // rows 0 to gHelpTopicCount: topic texts

// Function help, indexed by function number 0 to gFuncCount.
constexpr int kMaxFuncHelpArgs = 6; // entry boxes of the function-help window
extern std::vector<std::string> gFuncDesc;
// Entry boxes the help offers (not the counts the functions accept).
extern std::vector<int> gFuncArgCount;
// Element (i)[j], j = 1 to gFuncArgCount(i): the prompt of argument j; slot 0
// and the slots above the count are empty.
extern std::vector<std::array<std::string, kMaxFuncHelpArgs + 1>> gFuncArgPrompts;
// Position 1 to gFuncCount of the function in the help list.
extern std::vector<int> gFuncHelpOrder;

void fillHelpTopics();
void fillFunctionHelp(); // after fillVocabulary has set gFuncCount
