#include "tables/help_tables.h"

void fillHelpTopics() {}
void fillFunctionHelp() {}
