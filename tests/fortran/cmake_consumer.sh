#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and builds a Fortran-only
# CMake project against it with find_package(plume): the package needs no C
# or C++ language, and the unit the program connected receives the document.
set -euo pipefail
build=$1 source=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$source" -B project -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build project >/dev/null
cd project && ./consumer
[ "$(head -n 2 mine.eps)" = "% written by the program
%!PS-Adobe-2.0 EPSF-2.0" ] || { echo "mine.eps starts:"; head -n 3 mine.eps; exit 1; }
[ ! -e fort.8 ] || { echo "fort.8 written"; exit 1; }
echo "fortran cmake consumer: ok"
