#!/usr/bin/env bash
# Cross-compiles the program and the tool for ARMv7 hard-float readers (Debian
# armhf) and packs inkmate-reader-armhf.tar.gz: the staged folder, the Qt
# libraries and plugins it needs, the C library with its loader, Debian's
# armhf Stockfish, the launcher inkmate.sh and the launcher menus' entries
# (see README, "On a reader").
#   scripts/build-reader.sh [OUT_DIR]   (default: the source folder)
# BUILD_DIR picks the build folder (BUILD-armhf).
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
out=$(mkdir -p "${1:-.}" && cd "${1:-.}" && pwd)
build=${BUILD_DIR:-BUILD-armhf}
scripts/install-deps.sh armhf
triplet=arm-linux-gnueabihf
libdirs=(/usr/lib/$triplet /lib/$triplet)
plugins=(platforms/libqlinuxfb.so platforms/libqoffscreen.so
         generic/libqevdevtouchplugin.so generic/libqevdevkeyboardplugin.so)

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/armhf-toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DINKMATE_BENCH=OFF ${INKMATE_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2 --target inkmate inkmate-tool

# Debian's armhf Stockfish, unpacked (it cannot be installed beside the native one).
debs="$build/debs"
mkdir -p "$debs"
if ! ls "$debs"/stockfish_*_armhf.deb >/dev/null 2>&1; then
  (cd "$debs" && apt-get download -qq stockfish:armhf 2>/dev/null)
fi
rm -rf "$debs/stockfish"
dpkg-deb -x "$debs"/stockfish_*_armhf.deb "$debs/stockfish"

name=inkmate-reader-armhf
dir="$build/$name"
rm -rf "$dir"
INKMATE_EMULATOR=qemu-arm-static scripts/stage.sh "$build/bin" "$dir" >/dev/null
$triplet-strip "$dir/inkmate" "$dir/inkmate-tool"

# The engines: the bundled Stockfish alone, behind a launcher of its own.
rm -rf "$dir/engines"
mkdir -p "$dir/engines"
install -m 755 "$debs/stockfish/usr/games/stockfish" "$dir/engines/stockfish-armhf"
install -m 755 scripts/reader/stockfish.sh "$dir/engines/stockfish"
sed -i -E '/^engine_[0-9]+=/d' "$dir/inkmate.cfg"
sed -i 's/^\[General\]$/[General]\nengine_00=HUM|Human|-\nengine_01=UCI|Stockfish|engines\/stockfish/' \
  "$dir/inkmate.cfg"

install -m 755 scripts/reader/inkmate.sh "$dir/"
install -m 644 scripts/reader/fonts.conf scripts/reader/README.txt "$dir/"
cp -r scripts/reader/menus "$dir/"
install -m 644 /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
  /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf "$dir/fonts/"

# Libraries: everything the binaries and plugins need, down to the C library and its loader.
mkdir -p "$dir/lib"
declare -A seen=()
copy_needed() {
  local lib found d
  for lib in $($triplet-readelf -d "$1" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
    [ -z "${seen[$lib]:-}" ] || continue
    seen[$lib]=1
    found=""
    for d in "${libdirs[@]}"; do
      if [ -e "$d/$lib" ]; then found="$d/$lib"; break; fi
    done
    if [ -z "$found" ]; then
      echo "build-reader: $lib (needed by $1) not found" >&2
      exit 1
    fi
    cp -L "$found" "$dir/lib/$lib"
    copy_needed "$dir/lib/$lib"
  done
}
for p in "${plugins[@]}"; do
  mkdir -p "$dir/plugins/$(dirname "$p")"
  cp -L "/usr/lib/$triplet/qt5/plugins/$p" "$dir/plugins/$p"
  copy_needed "$dir/plugins/$p"
done
for f in "$dir/inkmate" "$dir/inkmate-tool" "$dir/engines/stockfish-armhf"; do
  copy_needed "$f"
done
chmod 755 "$dir/lib/ld-linux-armhf.so.3"

# ICU's data (30 MiB) serves nothing the program uses: an empty table stands in.
for icu in "$dir"/lib/libicudata.so.*; do
  [ -e "$icu" ] || continue
  soname=$(basename "$icu")
  major=${soname#libicudata.so.}
  $triplet-gcc -shared -fPIC -O2 -Wall -Wextra -Werror "-DICUDT_SYMBOL=icudt${major%%.*}_dat" \
    "-Wl,-soname,$soname" -o "$icu" scripts/reader/icudata-stub.c
done

tar -C "$build" -czf "$out/$name.tar.gz" "$name"
echo "Bundle: $out/$name.tar.gz ($(du -k "$out/$name.tar.gz" | cut -f1) KiB packed," \
  "$(du -sk "$dir" | cut -f1) KiB unpacked)"
# What each part costs (KiB unpacked).
(cd "$dir" && du -sk engines lib plugins fonts chess inkmate inkmate-tool | sort -rn |
  sed 's/^/  /')
