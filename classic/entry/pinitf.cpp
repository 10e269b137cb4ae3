// pinitf(name): a classic plot on the file name (trailing blanks trimmed).
#include <string_view>

#include "plume/classic.h"
#include "plume/plume.hpp"

extern "C" void pinitf_(const char* name, size_t name_len) {
  std::string_view path(name, name_len);
  while (!path.empty() && path.back() == ' ') path.remove_suffix(1);
  plume::pinitf(path);
}
