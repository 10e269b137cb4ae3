#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
// The version of the headers the library was built with: a program compiled
// against other headers can tell by comparing with PLUME_VERSION.
const char* version() { return PLUME_VERSION; }
}  // namespace plume
