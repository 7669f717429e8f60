// Reads an FNT file back and checks it against the format.
#include "fnt/FntReader.h"
