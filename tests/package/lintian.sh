#!/bin/sh
# Builds the two Debian packages from the build the tests run in, with the target the README's
# package command builds. Each must hold its programs, manual pages, menu entry and icon, no file of the other's (so
# both install side by side) and the run-time dependencies shlibdeps cannot see; then lintian
# checks both: any error or warning fails.
# Usage: lintian.sh BUILD-FOLDER
set -eu
build=$1
rm -f "$build"/*.deb
cmake --build "$build" --target deb
arch=$(dpkg --print-architecture)

fail() {
    printf 'FAIL: %s\n' "$*"
    exit 1
}
# holds PACKAGE PATH...: the package holds each path under /usr; its files go to PACKAGE.files.
holds() {
    deb=$build/$1_1.0_$arch.deb list=$build/$1.files
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$list"
    dpkg-deb -f "$deb" Depends | grep -qF 'qt6-qpa-plugins, fonts-nanum' || fail "$1: Depends"
    shift
    for path; do
        grep -qx "\./usr/$path" "$list" || fail "$deb lacks /usr/$path"
    done
}
holds halcyra-server bin/halcyra-server bin/halcyra-client share/man/man1/halcyra-server.1.gz \
    share/man/man1/halcyra-client.1.gz share/applications/halcyra-server.desktop \
    share/icons/hicolor/32x32/apps/halcyra-server.png
holds halcyra-student bin/halcyra-student share/man/man1/halcyra-student.1.gz \
    share/applications/halcyra-student.desktop share/icons/hicolor/32x32/apps/halcyra-student.png
shared=$(comm -12 "$build/halcyra-server.files" "$build/halcyra-student.files")
[ -z "$shared" ] || fail "both packages hold $shared"

lintian --fail-on error,warning --tag-display-limit 0 "$build"/*.deb
