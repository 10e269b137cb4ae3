#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and builds, with the lines the
# README documents, one program per face of the library: C and C++17 through
# pkg-config (shared, and static with --static), C++ through find_package,
# Fortran through plume-fortran.pc (a legacy program and a `use plume`
# program, shared and static), a classic program through plume-classic.pc
# (shared and static) and a Fortran-only CMake project. Every document they
# write must render in Ghostscript.
set -euo pipefail
build=$1 source=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=lib
[ -d "$prefix/lib64/pkgconfig" ] && libdir=lib64
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
# Programs linked against the shared libraries find them here (or through
# -Wl,-rpath, as the README says).
export LD_LIBRARY_PATH=$prefix/$libdir
cd "$work"

fail() { echo "$*"; exit 1; }
renders() {  # every document must exist and render without an error
  local doc out
  for doc in "$@"; do
    [ -s "$doc" ] || fail "missing $doc"
    out=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$doc" 2>&1) || fail "$doc: $out"
    case "$out" in *Error*) fail "$doc: $out" ;; esac
  done
}
needs_shared() { readelf -d "$1" | grep -q "NEEDED.*\[$2\.so\.0\]" || fail "$1 does not use $2.so.0"; }
static_only() { ! readelf -d "$1" 2>/dev/null | grep -q "NEEDED.*libplume" || fail "$1 needs a shared libplume"; }
in_dir() { mkdir -p "$1" && (cd "$1" && shift && "$@"); }

# C
cc -std=c99 -Wall -Werror "$source/draw.c" $(pkg-config --cflags --libs plume) -o draw_c
needs_shared draw_c libplume
in_dir c ../draw_c
cc -std=c99 -Wall -Werror "$source/draw.c" -static $(pkg-config --cflags --static --libs plume) -o draw_c_static
static_only draw_c_static
in_dir c-static ../draw_c_static
renders c/fort.22 c-static/fort.22
echo "C: ok"

# C++17
c++ -std=c++17 -Wall -Wextra -Werror -pedantic "$source/draw.cpp" $(pkg-config --cflags --libs plume) -o draw_cxx
needs_shared draw_cxx libplume
in_dir cxx ../draw_cxx
c++ -std=c++17 "$source/draw.cpp" -static $(pkg-config --cflags --static --libs plume) -o draw_cxx_static
static_only draw_cxx_static
in_dir cxx-static ../draw_cxx_static
renders cxx/cxx17.eps cxx-static/cxx17.eps
echo "C++17: ok"

# C++ with CMake
cmake -S "$source/cmake" -B cmake-build -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build cmake-build >/dev/null
needs_shared cmake-build/consumer libplume
in_dir cmake-run ../cmake-build/consumer
renders cmake-run/cmake.eps
echo "C++ CMake: ok"

if command -v gfortran >/dev/null; then
  # Fortran: a legacy program and a `use plume` program.
  gfortran "$source/legacy.f" $(pkg-config --libs plume-fortran) -o legacy_f
  in_dir legacy ../legacy_f
  gfortran "$source/use_plume.f90" $(pkg-config --cflags --libs plume-fortran) -o use_plume
  needs_shared use_plume libplume
  in_dir use-plume ../use_plume
  gfortran "$source/use_plume.f90" -static $(pkg-config --cflags --static --libs plume-fortran) -o use_plume_static
  static_only use_plume_static
  in_dir use-plume-static ../use_plume_static
  # Linked statically, the program's own OPEN and WRITE run too.
  gfortran "$source/legacy.f" -static $(pkg-config --static --libs plume-fortran) -o legacy_f_static
  static_only legacy_f_static
  in_dir legacy-static ../legacy_f_static
  renders legacy/legacy.eps legacy-static/legacy.eps use-plume/module.eps use-plume-static/module.eps
  # The unit the legacy program opened received the document.
  [ "$(head -n 2 legacy/legacy.eps)" = "% OPENED BY THE PROGRAM
%!PS-Adobe-2.0 EPSF-2.0" ] || fail "legacy.eps does not continue the program's unit: $(head -n 2 legacy/legacy.eps)"
  [ ! -e legacy/fort.23 ] || fail "the legacy program's document went to fort.23"
  [ "$(head -n 1 legacy-static/legacy.eps)" = "% OPENED BY THE PROGRAM" ] || fail "the static legacy program lost its own line"
  echo "Fortran: ok"

  # A classic program with the documented line, shared and static: its own
  # FRAME is kept, its document continues the unit it opened (shared) or
  # goes to the file it names (static).
  classic_checks() {
    grep -q "OWN FRAME" "$1/out" || grep -q "^ 1.00 0.00 1.00 setrgbcolor" "$1/classic.eps" ||
      fail "$1: the program's own FRAME was not the one called"
    renders "$1/classic.eps"
    [ "$(grep -c showpage "$1/classic.eps")" = 1 ] || fail "$1: the library's frame was called"
    grep -q "setrgbcolor" "$1/classic.eps" || fail "$1: no coloured pen"
  }
  gfortran "$source/classic.f" $(pkg-config --libs plume-classic) -o classic_f
  needs_shared classic_f libplume_classic
  in_dir classic sh -c '../classic_f > out'
  classic_checks classic
  # Statically linked: a program that names its file with PINITF.
  gfortran "$source/classic_named.f" -static $(pkg-config --static --libs plume-classic) -o classic_f_static
  static_only classic_f_static
  in_dir classic-static sh -c '../classic_f_static > out'
  classic_checks classic-static
  echo "Fortran classic: ok"

  # A Fortran-only CMake project.
  cmake -S "$source/fortran-cmake" -B fortran-cmake-build -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build fortran-cmake-build >/dev/null
  in_dir fortran-cmake-run ../fortran-cmake-build/module_consumer
  in_dir fortran-cmake-run ../fortran-cmake-build/legacy_consumer
  in_dir fortran-cmake-run sh -c '../fortran-cmake-build/classic_consumer > out'
  renders fortran-cmake-run/module.eps fortran-cmake-run/legacy.eps
  classic_checks fortran-cmake-run
  [ "$(head -n 1 fortran-cmake-run/legacy.eps)" = "% OPENED BY THE PROGRAM" ] ||
    fail "legacy.eps of the CMake project does not continue the program's unit"
  echo "Fortran CMake: ok"
fi

# The manual pages, the documentation and the licences.
for page in traceplot plume plume-plot-control plume-annotation plume-classic; do
  MANPATH=$prefix/share/man man -w "$page" >/dev/null || fail "man does not find $page"
done
for file in LICENSE LICENSE-HERSHEY.txt README.md linking.md plot-control.md images/shapes.png; do
  [ -f "$prefix/share/doc/plume/$file" ] || fail "share/doc/plume/$file is not installed"
done

"$prefix/bin/traceplot" --version | grep -q "^traceplot $(pkg-config --modversion plume)\$" ||
  fail "traceplot --version does not give the package version"
echo "consumers: ok"
