// pend: ends the classic plot (another dialect's plote).
#include "plume/classic.h"
#include "plume/plume.hpp"

extern "C" void pend_(void) { plume::plote(); }
