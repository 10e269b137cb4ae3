// W1 through the library: every motion is a plume::plot call into a document
// on the path given. Usage: bench_w1_plume OUT.eps [MOTIONS]
#include <cstdio>

#include "bench/e2e/w1_workload.hpp"
#include "plume/plume.hpp"

int main(int argc, char** argv) {
  const std::int64_t motions = plume::bench::count_argument(argc, argv, 2, plume::bench::kW1Motions);
  if (argc < 2 || motions < 0) {
    std::fprintf(stderr, "usage: bench_w1_plume OUT.eps [MOTIONS]\n");
    return 2;
  }
  plume::connect_unit(8, argv[1]);
  plume::hplots(1, 1, 8, 0);
  plume::bench::W1Sequence sequence;
  for (std::int64_t i = 0; i < motions; ++i) {
    const auto m = sequence.next();
    plume::plot(m.x, m.y, m.code);
  }
  plume::hplots(0, 0, 8, 0);
  return plume::write_failures() == 0 ? 0 : 1;
}
