// sheetcalc: recalculates one worksheet given as text on stdin (test tool).
#include <cstdio>

int main() {
    std::fprintf(stderr, "sheetcalc: not built yet\n");
    return 2;
}
