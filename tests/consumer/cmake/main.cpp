// A C++ program built against the installed CMake package.
#include <plume/plume.hpp>

int main() {
  plume::connect_unit(24, "cmake.eps");
  plume::hplots(1, 1, 24, 0);
  plume::plot(1.0f, 1.0f, 3);
  plume::plot(3.0f, 4.0f, 2);
  plume::hplots(0, 0, 24, 0);
  return plume::write_failures() == 0 ? 0 : 1;
}
