# The Debian packages Plume needs, in one place; sourced by tools/demo.sh,
# tools/test.sh and .ci/run.
#
#   plume_build_packages: build the library, traceplot and the examples, and
#                         draw the previews
#   plume_test_packages:  what the test suite adds (references it compares
#                         against, readers of every format written)
#   plume_ci_packages:    CI and benchmarks only (sanitizers, fuzzing)
plume_build_packages=(cmake make g++ gfortran pkg-config ghostscript
  libcairo2-dev fonts-urw-base35 fonts-ipafont-mincho fonts-ipafont-gothic
  libsegyio-dev libmseed-dev python3)
plume_test_packages=(libgtest-dev qpdf poppler-utils librsvg2-bin python3-segyio python3-scipy man-db)
plume_ci_packages=(libbenchmark-dev clang libclang-rt-14-dev)

# plume_install_missing PACKAGE...: installs those not installed yet, with
# apt-get as root or through sudo; otherwise stops, naming them.
plume_install_missing() {
  if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "note: not a Debian system; make sure these are installed: $*" >&2
    return 0
  fi
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  local run=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      run=(sudo)
    else
      echo "error: missing packages, and neither root nor sudo to install them; as root run:" >&2
      echo "  apt-get install ${missing[*]}" >&2
      exit 1
    fi
  fi
  echo "installing: ${missing[*]}" >&2
  "${run[@]}" apt-get update >&2
  "${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" >&2
}
