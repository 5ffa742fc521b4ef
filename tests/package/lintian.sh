#!/bin/sh
# Builds the Debian package from a release build of its own, as the README's package command
# does, and has lintian check it: any error or warning fails.
# Usage: lintian.sh SOURCE-FOLDER BUILD-FOLDER
set -eu
source=$1 build=$2
cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
rm -f "$build"/*.deb
cmake --build "$build" --target deb
lintian --fail-on error,warning --tag-display-limit 0 "$build"/*.deb
