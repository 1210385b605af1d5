#!/usr/bin/env bash
# bench/gif/gif-speed.sh [gif_speed options]: the GIF reader's speed in both builds, one after the other: the
# native gif_speed, then the 32-bit one under Wine, each against the baseline reader and giflib, over the same
# files (made by the native build into build/gif-bench); under Wine the view control's load as well.
# giflib's sources for the cross build come from Debian's source package (apt-get source, with a source list
# of its own in the build folder, so the system's is left alone); without them the Wine run has no giflib.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${SKYBURST_BUILD_ROOT:-$root/build}
mkdir -p "$build"

giflib_dir=$build/giflib-src
if [ -z "$(ls -d "$giflib_dir"/giflib-*/ 2>/dev/null)" ]; then
    echo "fetching giflib's sources (apt-get source giflib) into $giflib_dir"
    mkdir -p "$giflib_dir/lists/partial"
    . /etc/os-release
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $VERSION_CODENAME main" \
        >"$giflib_dir/sources.list"
    apt_options=(-o Dir::Etc::SourceList="$giflib_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
        -o Dir::State::Lists="$giflib_dir/lists")
    (apt-get "${apt_options[@]}" update >/dev/null && cd "$giflib_dir" && apt-get "${apt_options[@]}" source giflib >/dev/null) ||
        echo "no giflib sources: the Wine run goes without giflib" >&2
fi
giflib_src=$(ls -d "$giflib_dir"/giflib-*/ 2>/dev/null | head -n 1)

cmake -S . -B "$build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/native-configure.log" 2>&1 ||
    { cat "$build/native-configure.log"; exit 1; }
cmake --build "$build/native" -j2 --target gif_speed >/dev/null
cmake -S . -B "$build/win32" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGIFLIB_SOURCE_DIR="${giflib_src%/}" >"$build/win32-configure.log" 2>&1 || { cat "$build/win32-configure.log"; exit 1; }
cmake --build "$build/win32" -j2 --target gif_speed >/dev/null

files=$build/gif-bench
"$build/native/gif_speed" --make-files "$files"
echo "== native"
"$build/native/gif_speed" "$files" "$@"

echo "== 32-bit build under Wine"
source scripts/wine-env.sh
# The view's load makes device bitmaps, so Wine gets a display, as the plug-in has.
start_private_display
prepare_wine_prefix >/dev/null
start_wineserver
trap 'stop_wineserver; stop_private_display' EXIT
timeout 900 wine "$build/win32/gif_speed.exe" "$(winepath -w "$files")" "$@" </dev/null
