#!/usr/bin/env bash
# Makes what a Windows user downloads: dist/kivo-<version>-win32.zip, holding kivo.exe, the
# Chinese user guide 使用说明.txt and SHA256SUMS of the two, and prints the zip's SHA-256;
# refuses an exe that imports a DLL outside the KnownDLLs (scripts/check_imports.sh).
# The same commit gives the same bytes wherever and whenever it is built.
#   scripts/release.sh            from this work tree
#   scripts/release.sh --verify   from two fresh clones of HEAD, in two folders, one after
#                                 the other, and checks that both give the same bytes
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = --verify ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    for copy in first second; do
        git clone -q "$root" "$work/$copy-clone"
        KIVO_BUILD_DIR="$work/$copy-clone/out" "$work/$copy-clone/scripts/release.sh" >/dev/null
        sleep 1
    done
    # The zip's name comes from the clone's own version, not from a glob in the caller's
    # folder, where an old zip may lie.
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$work/first-clone/out/win32/CMakeCache.txt")
    zip=kivo-$version-win32.zip
    for file in out/win32/kivo.exe "dist/$zip"; do
        cmp "$work/first-clone/$file" "$work/second-clone/$file"
    done
    echo "release: two builds from $(git -C "$root" rev-parse --short HEAD) give the same bytes:"
    (cd "$work/first-clone/dist" && sha256sum "$zip")
    exit
fi

build=$(realpath -m "${KIVO_BUILD_DIR:-$root/build}")
export KIVO_BUILD_DIR=$build
"$root/scripts/setup.sh"
"$root/scripts/build.sh" program 32 >/dev/null
"$root/scripts/check_imports.sh" "$build/win32/kivo.exe"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/win32/CMakeCache.txt")
stage=$build/release
rm -rf "$stage" && mkdir -p "$stage" "$root/dist"
cp "$build/win32/kivo.exe" "$build/win32/使用说明.txt" "$stage/"
(cd "$stage" && sha256sum kivo.exe 使用说明.txt >SHA256SUMS)
# Every file is stamped with the time of the commit.
seconds=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)
zip=$root/dist/kivo-$version-win32.zip
rm -f "$zip"
python3 "$root/scripts/make_zip.py" "$zip" "$seconds" "$stage/kivo.exe" "$stage/使用说明.txt" \
    "$stage/SHA256SUMS"
(cd "$root/dist" && sha256sum "$(basename "$zip")")
