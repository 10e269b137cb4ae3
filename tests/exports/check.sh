#!/usr/bin/env bash
# The shared library exports exactly what the public headers declare: every
# C function of plume.h, every record of records.h under its COMMON block
# name, every routine of plume.hpp, and nothing else.
set -euo pipefail
library=$1 include=$2
status=0

# Names declared by the headers.
c_functions=$(grep -hoE '^[a-z][a-z0-9_ ]*[ *]([a-z][a-z0-9_]*)\(' "$include/plume.h" |
              sed -E 's/.*[ *]([a-z][a-z0-9_]*)\($/\1/')
records=$(grep -hoE '^extern [^;]* ([a-z][a-z0-9_]*)(\[[0-9]+\])?;' "$include/records.h" |
          sed -E 's/.* ([a-z][a-z0-9_]*)(\[[0-9]+\])?;$/\1/')
cxx_routines=$(sed -n '/^namespace plume {/,/^}  \/\/ namespace plume/p' "$include/plume.hpp" |
               grep -oE '^[A-Za-z][A-Za-z0-9_:<>, *&]* \*?([a-z][a-z0-9_]*)\(' |
               sed -E 's/.*[ *]([a-z][a-z0-9_]*)\($/\1/')
declared=$(printf '%s\n' $c_functions $records | sort -u)
declared_cxx=$(printf '%s\n' $cxx_routines | sort -u)

# Names the library exports.
symbols=$(nm -D --defined-only "$library" | awk '{print $3}')
exported=$(printf '%s\n' $symbols | grep -v '^_Z' | sort -u || true)
exported_cxx=$(printf '%s\n' $symbols | grep '^_Z' | c++filt | sort -u || true)

missing=$(comm -23 <(echo "$declared") <(echo "$exported"))
extra=$(comm -13 <(echo "$declared") <(echo "$exported"))
[ -z "$missing" ] || { echo "declared in plume.h or records.h, not exported:" $missing; status=1; }
[ -z "$extra" ] || { echo "exported, declared in no public header:" $extra; status=1; }

exported_routines=$(echo "$exported_cxx" | sed -nE 's/^plume::([a-z][a-z0-9_]*)\(.*/\1/p' | sort -u)
missing=$(comm -23 <(echo "$declared_cxx") <(echo "$exported_routines"))
[ -z "$missing" ] || { echo "declared in plume.hpp, not exported:" $missing; status=1; }
# Classes of the C++ face (plume::Document) export their members too.
classes=$(grep -oE '^class ([A-Z][A-Za-z0-9_]*) \{' "$include/plume.hpp" | sed -E 's/^class ([A-Za-z0-9_]*) \{/\1/' | paste -sd'|' -)
face="^plume::[a-z][a-z0-9_]*\\("
[ -z "$classes" ] || face="$face|^plume::($classes)::~?[A-Za-z0-9_]*\\("
internal=$(echo "$exported_cxx" | grep -vE "$face" || true)
[ -z "$internal" ] || { echo "exported C++ symbols outside the C++ face:"; echo "$internal"; status=1; }

[ "$status" -eq 0 ] && echo "exports: $(echo "$declared" | wc -l) C names, $(echo "$declared_cxx" | wc -l) C++ routines"
exit $status
