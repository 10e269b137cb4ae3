// nframe: another dialect's frame.
#include "plume/classic.h"
#include "plume/plume.hpp"

extern "C" void nframe_(void) { plume::frame(); }
