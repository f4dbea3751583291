#!/usr/bin/env bash
# Tests the armhf build under emulation (qemu-arm-static): the test programs of
# the model layers, then the bundle of scripts/build-reader.sh through its
# launcher: its puzzle base, perft 5 (timed beside the native tool when BUILD/bin has one), a
# move of the bundled Stockfish, both again with an old kernel's system calls, and a
# start of the program ended by SIGTERM.
# BUILD_DIR picks the build folder (BUILD-armhf).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-BUILD-armhf}
export BUILD_DIR=$build
layers=(core chess game base engine)
# qemu-user cannot fork with CLONE_PIDFD, which a plain QProcess uses (the
# program's engine processes are QProcess subclasses and fork plainly): the
# tests that talk to Stockfish through a plain QProcess are left out here.
declare -A skip=(
  [chess]="Perft.DivideAgreesWithStockfishOnPlayedPositions:ShippedPuzzles.AreForcedMatesEndingInMate"
)

scripts/build-reader.sh "$build"
cmake --build "$build" -j2 --target "${layers[@]/#/test_}"

export QT_QPA_PLATFORM=offscreen INKMATE_NONINTERACTIVE=1
passed=0
failed=0
for layer in "${layers[@]}"; do
  echo "-- test_$layer (armhf, emulated)"
  if timeout 1800 qemu-arm-static "$build/bin/test_$layer" --gtest_brief=1 \
    --gtest_filter="-${skip[$layer]:-}"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
tar -C "$tmp" -xzf "$build/inkmate-reader-armhf.tar.gz"
bundle="$tmp/inkmate-reader-armhf"
export INKMATE_EMULATOR=qemu-arm-static
unset QT_QPA_PLATFORM

check() { # NAME COMMAND...: runs a check of the bundle, counts it
  local name=$1
  shift
  if "$@"; then
    echo "-- bundle: $name: ok"
    passed=$((passed + 1))
  else
    echo "-- bundle: $name: FAILED"
    failed=$((failed + 1))
  fi
}

perft() {
  local nodes emulated native
  TIMEFORMAT=%R
  { time nodes=$(timeout 600 "$bundle/inkmate.sh" --tool perft 5); } 2>"$tmp/time"
  emulated=$(tail -n 1 "$tmp/time")
  echo "   perft 5 = $nodes in $emulated s emulated"
  if [ -x BUILD/bin/inkmate-tool ]; then
    { time BUILD/bin/inkmate-tool perft 5 >/dev/null; } 2>"$tmp/time"
    native=$(tail -n 1 "$tmp/time")
    echo "   perft 5 in $native s native"
  fi
  [ "$nodes" = 4865609 ]
}

engine_move() {
  local move
  move=$(timeout 300 "$bundle/inkmate.sh" --tool engine --config "$bundle/inkmate.cfg" \
    --engine 1 --level 4 --last e2e4)
  echo "   Stockfish answers 1. e4 with $move"
  [[ "$move" =~ ^[a-h][1-8][a-h][1-8]$ ]]
}

start_and_terminate() {
  local log="$bundle/inkmate.log.txt" i pid status=0
  QT_QPA_PLATFORM=offscreen "$bundle/inkmate.sh" >"$tmp/program.txt" 2>&1 &
  pid=$!
  # Up until the start game's base is loaded (a minute or two at most).
  for i in $(seq 1200); do
    grep -q " is loaded" "$log" 2>/dev/null && break
    sleep 0.1
  done
  kill -TERM "$pid"
  for i in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    echo "   the program did not end on SIGTERM" >&2
  fi
  wait "$pid" || status=$?
  grep -E "Program started|Program finished" "$log" | sed 's/^/   /'
  [ "$status" -eq 0 ] && grep -q "Program started, version: " "$log" &&
    tail -n 1 "$log" | grep -q "Program finished"
}

puzzle_base() {
  local games
  games=$(timeout 300 "$bundle/inkmate.sh" --tool check "$bundle/chess/puzzles.cdb" 2>&1 | tail -n 1)
  echo "   chess/puzzles.cdb: $games"
  [ -s "$bundle/chess/puzzles.cdb" ] && [[ "$games" =~ ^[1-9][0-9]*\ games\ checked,\ 0\ invalid ]]
}

# The system calls of Linux 2.6.35 only (Kobo Mark 3-5): newer ones fail with ENOSYS.
old_kernel() {
  local nodes move
  cc -O2 -Wall -Werror -o "$tmp/devsim-oldkernel" scripts/devsim/devsim-oldkernel.c
  nodes=$(INKMATE_EMULATOR="qemu-arm-static -r 2.6.35.3" timeout 300 \
    "$tmp/devsim-oldkernel" 2.6.35 "$bundle/inkmate.sh" --tool perft 4)
  move=$(INKMATE_EMULATOR="qemu-arm-static -r 2.6.35.3" timeout 300 \
    "$tmp/devsim-oldkernel" 2.6.35 "$bundle/inkmate.sh" --tool engine \
    --config "$bundle/inkmate.cfg" --engine 1 --level 4 --last e2e4)
  echo "   perft 4 = $nodes, Stockfish answers 1. e4 with $move"
  [ "$nodes" = 197281 ] && [[ "$move" =~ ^[a-h][1-8][a-h][1-8]$ ]]
}

# The launcher on a pretend Kobo (its files under INKMATE_SYSROOT, its commands
# recording their calls): Nickel is stopped after a sync and started again with
# its environment when the program ends (here at once: it has no frame buffer),
# or the reader reboots when the Wi-Fi module is still loaded.
kobo_takeover() { # MODULES: the contents of /proc/modules
  local kobo=$tmp/kobo root=$tmp/kobo/root cmd status=0
  rm -rf "$kobo"
  mkdir -p "$kobo/bin" "$root/mnt/onboard/.kobo" "$root/usr/local/Kobo" "$root/proc/4242" \
    "$root/tmp"
  echo "N418170000000,3.0.35+,4.38.21908,3.0.35+,3.0.35+,00000000-0000-0000-0000-000000000371" \
    >"$root/mnt/onboard/.kobo/version"
  printf 'PRODUCT=alyssum\0PLATFORM=mx6sl-ntx\0WIFI_MODULE=sdio_wifi_pwr\0' \
    >"$root/proc/4242/environ"
  printf '%s' "$1" >"$root/proc/modules"
  touch "$kobo/nickel-running"
  for cmd in sync killall reboot udevadm; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$cmd" "$kobo" >"$kobo/bin/$cmd"
  done
  echo "rm -f '$kobo/nickel-running'" >>"$kobo/bin/killall"
  # shellcheck disable=SC2016 # expanded by the fake commands
  printf '#!/bin/sh\n[ "$1" = nickel ] && [ -f "%s/nickel-running" ] && echo 4242\n' "$kobo" \
    >"$kobo/bin/pidof"
  for cmd in hindenburg nickel; do
    # shellcheck disable=SC2016
    printf '#!/bin/sh\necho "start %s $* ($PRODUCT)" >>"%s/calls"\n' "$cmd" "$kobo" \
      >"$root/usr/local/Kobo/$cmd"
  done
  chmod +x "$kobo"/bin/* "$root"/usr/local/Kobo/*
  PATH="$kobo/bin:$PATH" INKMATE_SYSROOT="$root" INKMATE_TAKEOVER=1 INKMATE_FB=/nonexistent \
    QT_QPA_PLATFORM=linuxfb:fb=/nonexistent timeout 300 "$bundle/inkmate.sh" \
    >"$tmp/takeover.txt" 2>&1 || status=$?
  sleep 1 # Nickel's restart runs in the background
  sed 's/^/   /' "$kobo/calls"
  echo "   program status $status"
  [ "$status" -ne 0 ] && sed -n 1p "$kobo/calls" | grep -q "^sync" &&
    sed -n 2p "$kobo/calls" | grep -q "^killall -q -TERM nickel .*sickel"
}
takeover_restarts_nickel() {
  kobo_takeover "" && grep -q "^start nickel -platform kobo -skipFontLoad (alyssum)$" "$tmp/kobo/calls" &&
    grep -q "^start hindenburg" "$tmp/kobo/calls" && ! grep -q "^reboot" "$tmp/kobo/calls"
}
takeover_reboots() {
  kobo_takeover "sdio_wifi_pwr 16384 0 - Live 0xbf000000" && grep -q "^reboot" "$tmp/kobo/calls" &&
    ! grep -q "^start nickel" "$tmp/kobo/calls"
}

check "puzzle base" puzzle_base
check "perft 5" perft
check "Stockfish move" engine_move
check "Linux 2.6.35 system calls" old_kernel
check "Kobo: Nickel stopped and started again" takeover_restarts_nickel
check "Kobo: a reboot with the Wi-Fi module loaded" takeover_reboots
check "start and SIGTERM" start_and_terminate
echo "armhf: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
