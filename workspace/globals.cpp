#include "workspace/globals.h"

int gActiveKind = 0;
