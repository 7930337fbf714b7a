#include "tables/type_tables.h"

void fillTypeTables() {}
