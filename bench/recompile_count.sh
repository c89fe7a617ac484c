#!/usr/bin/env bash
# How many of the product's source files a change to one file recompiles: for each file named, counts the
# product's objects (catalogue, pictures, viewer, tools; not tests, benchmarks or Qt's generated files)
# whose recorded dependencies include it. Run from the top of the tree after a full build with Ninja.
#   bench/recompile_count.sh BUILD_DIR FILE...
set -euo pipefail
build=$1
shift
total=$(git ls-files 'catalogue/*.cpp' 'pictures/*.cpp' 'viewer/*.cpp' 'tools/*.cpp' | wc -l)
deps=$(ninja -C "$build" -t deps)
for file in "$@"; do
    count=$(awk -v file="$file" -v top="$(pwd)/" '
        /^[^ ]/ { object = $1; sub(/:$/, "", object); next }
        object ~ /^(catalogue|pictures|viewer|tools)\/CMakeFiles\// && object !~ /_autogen\// {
            path = $1; sub(/^(\.\.\/)+/, "", path); if (index(path, top) == 1) path = substr(path, length(top) + 1)
            if (path == file && !(object in seen)) { seen[object] = 1; n++ }
        }
        END { print n + 0 }' <<<"$deps")
    echo "$file: $count of $total product files recompile"
done
