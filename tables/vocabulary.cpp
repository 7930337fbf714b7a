#include "tables/vocabulary.h"

void fillVocabulary() {}
