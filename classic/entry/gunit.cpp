// gunit(unit): 'in' or 'cm', the user unit of classic plots.
#include <string_view>

#include "plume/classic.h"
#include "plume/plume.hpp"

extern "C" void gunit_(const char* unit, size_t unit_len) { plume::gunit(std::string_view(unit, unit_len)); }
