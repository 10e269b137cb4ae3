// W2 in another format: traceplot as it stands, with its output unit 8
// connected to the path given (traceplot itself always writes fort.8).
// Usage: bench_w2_formats OUT.{pdf,svg,png,eps} < parameters (in the
// directory of fort.10)
#include <cstdio>

#include "plume/plume.hpp"

int traceplot_main(int argc, char** argv);

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_w2_formats OUT < parameters\n");
    return 2;
  }
  plume::connect_unit(8, argv[1]);
  char* no_options[] = {argv[0], nullptr};  // traceplot reads only its input
  return traceplot_main(1, no_options);
}
