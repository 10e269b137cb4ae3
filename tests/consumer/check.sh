#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and builds three consumers
# against it: C and Fortran through pkg-config, C++ through find_package.
# Every document they write must render in Ghostscript.
set -euo pipefail
build=$1 source=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig:$prefix/lib64/pkgconfig
cd "$work"
cc -std=c99 -Wall -Werror "$source/draw.c" $(pkg-config --cflags plume) $(pkg-config --static --libs plume) -o draw_c
./draw_c
if command -v gfortran >/dev/null; then
  gfortran "$source/draw.f90" $(pkg-config --static --libs plume) -o draw_f
  ./draw_f
fi
cmake -S "$source/cmake" -B cmake-build -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build cmake-build >/dev/null
./cmake-build/consumer
test -x "$prefix/bin/traceplot"
for doc in fort.22 fortran.eps cmake.eps; do
  [ -f "$doc" ] || { [ "$doc" = fortran.eps ] && ! command -v gfortran >/dev/null && continue; echo "missing $doc"; exit 1; }
  if command -v gs >/dev/null; then
    out=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$doc" 2>&1) || { echo "$out"; exit 1; }
    case "$out" in *Error*) echo "$doc: $out"; exit 1 ;; esac
  fi
done
echo "consumers: ok"
