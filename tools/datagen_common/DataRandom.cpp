#include "DataRandom.h"
// Header-only today; the translation unit keeps the library non-empty and the header compiled on its own.
