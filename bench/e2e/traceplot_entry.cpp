// traceplot's own source, its main renamed, for bench_w2_formats.
#define main traceplot_main
#include "driver/traceplot.cpp"
