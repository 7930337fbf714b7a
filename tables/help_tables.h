#pragma once
// Help topics and texts, and the function help table.
#include <string>
#include <vector>

void fillHelpTopics();
void fillFunctionHelp();
