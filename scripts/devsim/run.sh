#!/usr/bin/env bash
# The device simulator: starts the program as it runs on a reader, once per
# profile (scripts/devsim/profiles/NAME), with the preloaded shim serving the
# frame buffer, the panel's refresh calls, the kernel release and the key and
# touch devices, and checks that every refresh request is accepted, that the
# panel shows the screen upright (against a reference rendering on a plain
# frame buffer), that a page key and a tap change it, and that Power runs the
# suspend hook and the program carries on after the next Power press.
#   scripts/devsim/run.sh BUNDLE_DIR [PROFILE...]       the armhf bundle, under qemu-arm-static
#   scripts/devsim/run.sh --native BIN_DIR [PROFILE...]  a native build (staged here), quicker
# RESULTS_DIR keeps the logs and screens (PGM); default a temporary folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
native=0
if [ "${1:-}" = --native ]; then
  native=1
  shift
fi
[ $# -ge 1 ] || { sed -n 2,12p "$0" >&2; exit 2; }
target=$(cd "$1" && pwd)
shift
profiles=("$@")
if [ ${#profiles[@]} -eq 0 ]; then
  for p in "$here"/profiles/*/profile.sh; do profiles+=("$(basename "$(dirname "$p")")"); done
fi
work=${RESULTS_DIR:-}
if [ -z "$work" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
work=$(cd "$work" && pwd)

cc_flags=(-O2 -Wall -Wextra -Werror)
cc "${cc_flags[@]}" -o "$work/devsim-view" "$here/devsim-view.c"
cc "${cc_flags[@]}" -o "$work/devsim-oldkernel" "$here/devsim-oldkernel.c"
if [ $native -eq 1 ]; then
  cc "${cc_flags[@]}" -shared -fPIC -o "$work/devsim.so" "$here/devsim.c" -ldl
  arch=native
  "$src/scripts/stage.sh" "$target" "$work/stage" >/dev/null
  bundle=$work/stage
else
  arm-linux-gnueabihf-gcc "${cc_flags[@]}" -shared -fPIC -o "$work/devsim.so" "$here/devsim.c" -ldl
  arch=armhf
  bundle=$target
fi
view=$work/devsim-view

# One run: a fresh copy of the folder's writable files, the simulator's files,
# the program started in the background ($pid).
start() { # NAME
  local name=$1 entry
  run=$work/$name
  sim=$run/sim
  rm -rf "$run"
  mkdir -p "$run/folder" "$sim"
  for entry in "$bundle"/*; do
    case $(basename "$entry") in
      lib | plugins | engines | fonts | inkmate | inkmate-tool) ln -s "$entry" "$run/folder/" ;;
      *) cp -a "$entry" "$run/folder/" ;;
    esac
  done
  # The program opens the sample games (several to page through) where it starts.
  printf 'last_opened=%s\n' "$run/folder/chess/classics.cdb" >>"$run/folder/inkmate.cfg"
  mkfifo "$sim/event0" "$sim/event1"
  printf '#!/bin/sh\necho suspended >> "%s/suspended"\n' "$sim" >"$sim/suspend.sh"
  chmod +x "$sim/suspend.sh"
  local -a envs=(INKMATE_SIM_DIR="$sim" INKMATE_SIM_LOG="$sim/calls.log"
    INKMATE_SIM_FB="$sim_fb" INKMATE_SIM_SEND="$sim_send" INKMATE_SIM_WAIT="$sim_wait"
    INKMATE_SIM_RELEASE="$sim_release" INKMATE_SIM_TOUCH="$sim_touch"
    INKMATE_SYSROOT="$sim_root" INKMATE_SUSPEND_HOOK="$sim/suspend.sh" INKMATE_NONINTERACTIVE=1)
  local -a wrap=()
  [ -n "$sim_syscalls" ] && wrap=("$work/devsim-oldkernel" "$sim_syscalls")
  if [ $native -eq 1 ]; then
    env -u QT_QPA_PLATFORM "${envs[@]}" QT_QPA_PLATFORM=linuxfb QT_QPA_FB_DISABLE_INPUT=1 \
      QT_QPA_GENERIC_PLUGINS=evdevtouch,evdevkeyboard \
      QT_QPA_EVDEV_KEYBOARD_PARAMETERS=/dev/input/event0 \
      QT_QPA_EVDEV_TOUCHSCREEN_PARAMETERS=/dev/input/event1 LD_PRELOAD="$work/devsim.so" \
      ${wrap[@]+"${wrap[@]}"} "$run/folder/inkmate" --root "$run/folder" >"$run/output.txt" 2>&1 &
  else
    env -u QT_QPA_PLATFORM "${envs[@]}" INKMATE_INPUT_KEYS=/dev/input/event0 \
      INKMATE_INPUT_TOUCH=/dev/input/event1 \
      INKMATE_EMULATOR="qemu-arm-static -r $sim_release -E LD_PRELOAD=$work/devsim.so" \
      ${wrap[@]+"${wrap[@]}"} "$run/folder/inkmate.sh" >"$run/output.txt" 2>&1 &
  fi
  pid=$!
}

snap() { # NAME: the panel now, upright, as $sim/NAME.pgm
  "$view" "$sim" "$sim_upright" "$sim/$1.pgm"
}

differs() { # A B: per mille of pixels that differ
  "$view" diff "$1" "$2"
}

settled() { # waits (up to 2 minutes) for a screen with something on it that stays put
  # 5 s, as $sim/settled.pgm
  local same=0
  snap settled
  for _ in $(seq 240); do
    sleep 0.5
    snap now
    if [ "$(differs "$sim/settled.pgm" "$sim/now.pgm")" = 0 ]; then
      same=$((same + 1))
      [ $same -ge 10 ] && [ "$("$view" blank "$sim/now.pgm")" = 0 ] && return 0
    else
      same=0
      mv "$sim/now.pgm" "$sim/settled.pgm"
    fi
  done
  return 1
}

loaded() { # waits (up to 5 minutes) for the start game, then for the screen to settle

  for _ in $(seq 3000); do
    grep -q " is loaded" "$run/folder/inkmate.log.txt" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  grep -q " is loaded" "$run/folder/inkmate.log.txt" 2>/dev/null && settled
}

changed_after() { # NAME COMMAND...: runs it, waits (up to 30 s) for the screen to change,
  # keeps the settled screen as $sim/NAME.pgm
  local name=$1
  shift
  "$@"
  for _ in $(seq 60); do
    sleep 0.5
    snap now
    if [ "$(differs "$sim/settled.pgm" "$sim/now.pgm")" != 0 ]; then
      settled
      cp "$sim/settled.pgm" "$sim/$name.pgm"
      return 0
    fi
  done
  return 1
}

key() { python3 "$here/devsim-input.py" "$sim/event0" --arch "$arch" key "$1"; }
tap() {
  # shellcheck disable=SC2086
  python3 "$here/devsim-input.py" "$sim/event1" --arch "$arch" tap "$1" "$2" \
    --width "$width" $sim_touch_args
}

stop() { # ends the program with SIGTERM; true when it ends well
  local status=0
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" || status=$?
  [ "$status" -eq 0 ]
}

load_profile() { # NAME
  sim_fb='' sim_upright=any sim_send=none sim_wait='' sim_release=5.10.0 sim_syscalls=''
  sim_touch=1,0,0 sim_touch_args='' sim_page_keys='' sim_power_key='' sim_reference=
  sim_root=$work/empty-root
  mkdir -p "$sim_root"
  if [ -d "$here/profiles/$1" ]; then
    # shellcheck disable=SC1090,SC1091
    . "$here/profiles/$1/profile.sh"
    sim_root=$here/profiles/$1/root
  fi
}

# A plain frame buffer of the size, memory shown as it is: the reference.
reference() { # WxH
  local w=${1%x*} h=${1#*x}
  [ -f "$work/reference-$1.pgm" ] && return 0
  load_profile plain
  sim_fb=simplefb,$w,$h,$w,32,0,0
  start "reference-$1"
  if loaded; then
    cp "$sim/settled.pgm" "$work/reference-$1.pgm"
  else
    echo "devsim: the reference run at $1 did not come up; see $run/output.txt" >&2
  fi
  stop || true
}

passed=0
failed=0
result() { # PROFILE CHECK STATUS DETAIL
  if [ "$3" = ok ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  printf -- '-- %s: %s: %s%s\n' "$1" "$2" "$3" "${4:+ ($4)}"
}

for profile in "${profiles[@]}"; do
  load_profile "$profile"
  reference "$sim_reference"
  load_profile "$profile"
  width=${sim_reference%x*}
  start "$profile"
  up=0
  if loaded; then
    result "$profile" "start" ok
    up=1
  else
    result "$profile" "start" FAILED "no settled screen on the panel; see $run/output.txt"
  fi
  updates=$(grep -c '^update .*: ok$' "$sim/calls.log" || true)
  refused=$(grep -E '^(update|wait|ioctl).*(refused|EINVAL)' "$sim/calls.log" | sort | uniq -c |
    sed 's/^ *//' | head -n 3 | paste -sd ';' || true)
  if [ "$updates" -gt 0 ] && [ -z "$refused" ]; then
    result "$profile" "refresh requests" ok "$updates accepted"
  else
    result "$profile" "refresh requests" FAILED "$updates accepted; refused: ${refused:-none}"
  fi
  if [ $up -eq 0 ]; then
    stop || true
    continue
  fi
  if [ -f "$work/reference-$sim_reference.pgm" ]; then
    cp "$sim/settled.pgm" "$sim/start.pgm"
    d=$(differs "$work/reference-$sim_reference.pgm" "$sim/start.pgm")
    if [ "$d" -le 20 ]; then
      result "$profile" "upright screen" ok "$d per mille differ from the reference"
    else
      result "$profile" "upright screen" FAILED "$d per mille differ from the reference"
    fi
  fi
  # e2 then e4 (the board fills the width below the header).
  if tap $((width * 545 / 1000)) $((width * 755 / 1000)) && settled &&
    changed_after tap tap $((width * 545 / 1000)) $((width * 546 / 1000)); then
    s=ok
  else
    s=FAILED
  fi
  result "$profile" "taps on e2 and e4" $s
  # Page forward moves on to the next game; after the sleep page back returns.
  if [ -n "$sim_page_keys" ]; then
    if changed_after page-forward key "${sim_page_keys#*,}"; then s=ok; else s=FAILED; fi
    result "$profile" "page forward (${sim_page_keys#*,})" $s
  fi
  if [ -n "$sim_power_key" ]; then
    key "$sim_power_key"
    for _ in $(seq 100); do
      [ -f "$sim/suspended" ] && break
      sleep 0.2
    done
    if [ -f "$sim/suspended" ]; then
      key "$sim_power_key"
      if [ -n "$sim_page_keys" ] && changed_after resumed key "${sim_page_keys%,*}"; then
        s=ok
      else
        s=FAILED
      fi
      result "$profile" "Power suspends, the program resumes" $s
    else
      result "$profile" "Power suspends, the program resumes" FAILED "the hook never ran"
    fi
  fi
  if stop && tail -n 1 "$run/folder/inkmate.log.txt" | grep -q "Program finished"; then
    result "$profile" "SIGTERM" ok
  else
    result "$profile" "SIGTERM" FAILED "see $run/output.txt"
  fi
done
echo "devsim: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
