#!/usr/bin/env bash
# The classic library exports exactly the entry points plume/classic.h
# declares, and its static archive holds each in an object of its own (so a
# program that defines one of them itself still links).
set -euo pipefail
shared=$1 archive=$2 header=$3
declared=$(grep -oE '^void [a-z_]+\(' "$header" | sed -E 's/^void ([a-z_]+)\($/\1/' | sort)
exported=$(nm -D --defined-only "$shared" | awk '{print $3}' | sort)
[ "$declared" = "$exported" ] || { echo "exported:" $exported; echo "declared:" $declared; exit 1; }
# Per object of the archive: the text symbols it defines.
per_object=$(nm --defined-only "$archive" | awk '/:$/ {obj=$1} $2 == "T" {n[obj]++; names[obj]=names[obj] " " $3}
  END {for (o in n) print n[o], o, names[o]}')
crowded=$(echo "$per_object" | awk '$1 != 1')
[ -z "$crowded" ] || { echo "objects with more than one entry point:"; echo "$crowded"; exit 1; }
[ "$(echo "$per_object" | wc -l)" = "$(echo "$declared" | wc -l)" ] || { echo "not one object per entry point"; exit 1; }
echo "classic exports: $(echo "$declared" | wc -l) entry points, one object each"
