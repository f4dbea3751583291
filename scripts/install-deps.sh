#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
#   install-deps.sh         the native build with Qt 5
#   install-deps.sh armhf   also the armhf cross toolchain, the armhf (multiarch) Qt 5, SQLite
#                           and GoogleTest, and qemu (scripts/build-reader.sh, test-armhf.sh)
#   install-deps.sh qt6     also Qt 6 (the INKMATE_QT6 build)
# pgn-extract also carries the table of named openings (eco.pgn) that stage.sh stages.
# Only what is missing is installed; running it again changes nothing.
set -euo pipefail
packages=(build-essential cmake pkg-config git qtbase5-dev qtbase5-dev-tools libsqlite3-dev
          libzstd-dev zstd sqlite3 libgtest-dev googletest fonts-dejavu-core clang-format
          python3 stockfish gnuchess gnuchess-book hoichess phalanx fairymax pgn-extract valgrind)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
for group in "$@"; do
  case "$group" in
    armhf)
      if ! dpkg --print-foreign-architectures | grep -qx armhf; then
        $sudo dpkg --add-architecture armhf
      fi
      packages+=(crossbuild-essential-armhf qemu-user-static qtbase5-dev:armhf
                 libsqlite3-dev:armhf libgtest-dev:armhf libzstd-dev:armhf) ;;
    qt6) packages+=(qt6-base-dev) ;;
    *) echo "usage: $0 [armhf] [qt6]" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
