#!/bin/sh
# Starts inkmate from this folder with the folder's own C library, loader and
# Qt, whatever the reader has, on the frame buffer (linuxfb unless
# QT_QPA_PLATFORM is set).
#   ./inkmate.sh [ARGS...]          the program
#   ./inkmate.sh --tool ARGS...     inkmate-tool
# On a Kobo the program takes the reader over: Nickel and its helpers stop
# (after a sync) and come back when the program ends, or the reader reboots
# where that is the only safe way back. On a Kindle the window manager and the
# status bar pause meanwhile. INKMATE_TAKEOVER=0 leaves the reader's own
# programs alone. INKMATE_EMULATOR (e.g. qemu-arm-static) runs the same files
# on a desktop, taking nothing over unless INKMATE_TAKEOVER=1 (with the reader's
# files under INKMATE_SYSROOT, as in the tests). Messages go to launcher.log.
here=$(cd "$(dirname "$0")" && pwd) || exit 1
cd "$here" || exit 1
export QT_PLUGIN_PATH="$here/plugins"
export FONTCONFIG_FILE="$here/fonts.conf"

program=inkmate
if [ "${1:-}" = --tool ]; then
  program=inkmate-tool
  shift
else
  set -- --root "$here" "$@"
fi
if [ "$program" = inkmate-tool ]; then
  # shellcheck disable=SC2086
  exec ${INKMATE_EMULATOR:-} "$here/lib/ld-linux-armhf.so.3" --inhibit-cache \
    --library-path "$here/lib" "$here/$program" "$@"
fi

say() { echo "$(date '+%Y-%m-%d %H:%M:%S') $*" >>"$here/launcher.log"; }

# The family: INKMATE_DEVICE (kobo-..., kindle-..., none) or the reader's own files.
root=${INKMATE_SYSROOT:-}
PATH=$PATH:/sbin:/usr/sbin
family=${INKMATE_DEVICE:-}
if [ -z "$family" ]; then
  if [ -e "$root/mnt/onboard/.kobo/version" ] && [ -d "$root/usr/local/Kobo" ]; then
    family=kobo
  elif [ -e "$root/proc/usid" ] && command -v lipc-set-prop >/dev/null 2>&1; then
    family=kindle
  else
    family=none
  fi
fi
takeover=1
[ -n "${INKMATE_EMULATOR:-}" ] && takeover=0
takeover=${INKMATE_TAKEOVER:-$takeover}

# Tested down to the system calls of Linux 2.6.35 (in the simulator only).
release=$(uname -r)
major=${release%%.*}
rest=${release#*.}
minor=${rest%%.*}
rest=${rest#*.}
patch=${rest%%[!0-9]*}
if [ "${major:-0}" -lt 2 ] || { [ "$major" -eq 2 ] && { [ "${minor:-0}" -lt 6 ] ||
  { [ "$minor" -eq 6 ] && [ "${patch:-0}" -lt 35 ]; }; }; }; then
  say "Linux $release is older than 2.6.35, the oldest kernel inkmate was tried on"
fi

if [ -z "${QT_QPA_PLATFORM:-}" ]; then
  export QT_QPA_PLATFORM=linuxfb
  # The evdev plugins read the devices; linuxfb's own input handling stays off.
  export QT_QPA_FB_DISABLE_INPUT=1
  export QT_QPA_GENERIC_PLUGINS="${QT_QPA_GENERIC_PLUGINS:-evdevtouch,evdevkeyboard}"
  case $family in
    kobo*)
      : "${INKMATE_INPUT_KEYS:=/dev/input/event0}" "${INKMATE_INPUT_TOUCH:=/dev/input/event1}"
      ;;
  esac
  if [ -n "${INKMATE_INPUT_KEYS:-}" ]; then
    export QT_QPA_EVDEV_KEYBOARD_PARAMETERS="${QT_QPA_EVDEV_KEYBOARD_PARAMETERS:-$(
      echo "$INKMATE_INPUT_KEYS" | tr , :)}"
  fi
  if [ -n "${INKMATE_INPUT_TOUCH:-}" ]; then
    export QT_QPA_EVDEV_TOUCHSCREEN_PARAMETERS="${QT_QPA_EVDEV_TOUCHSCREEN_PARAMETERS:-$(
      echo "$INKMATE_INPUT_TOUCH" | tr , :)}"
  fi
fi

# Kobo: Nickel's own processes, the watchdog (sickel) among them; Nickel is
# started again from its own files (as the system's start script does).
nickel_stopped=0
kobo_take() {
  pid=$(pidof nickel 2>/dev/null | cut -d ' ' -f 1)
  [ -n "$pid" ] || return 0
  # What the program and Nickel's restart need from Nickel's environment.
  for name in PRODUCT PLATFORM MODEL_NUMBER INTERFACE WIFI_MODULE DBUS_SESSION_BUS_ADDRESS \
    NICKEL_HOME LANG; do
    value=$(tr '\0' '\n' <"$root/proc/$pid/environ" 2>/dev/null | sed -n "s/^$name=//p" | head -n 1)
    [ -n "$value" ] && export "$name=$value"
  done
  sync
  killall -q -TERM nickel hindenburg sickel fickel strickel fontickel adobehost foxitpdf iink \
    dhcpcd-dbus dhcpcd bluealsa bluetoothd fmon nanoclock.lua 2>/dev/null
  i=0
  while pidof nickel >/dev/null 2>&1 && [ $i -lt 20 ]; do
    sleep 0.25 2>/dev/null || sleep 1
    i=$((i + 1))
  done
  rm -f "$root/tmp/nickel-hardware-status"
  nickel_stopped=1
  say "Nickel stopped"
}
kobo_give_back() {
  sync
  [ $nickel_stopped -eq 1 ] || return 0
  # Nickel expects the Wi-Fi module unloaded at its start, and newer systems
  # start Nickel through their own hardware status script: reboot there.
  if { [ -n "${WIFI_MODULE:-}" ] && grep -q "^$WIFI_MODULE " "$root/proc/modules"; } ||
    [ -e "$root/etc/init.d/z-nickel-hardware-status" ] || [ ! -x "$root/usr/local/Kobo/nickel" ]; then
    say "rebooting to give the reader back to Nickel"
    reboot
    return
  fi
  say "starting Nickel"
  (
    cd "$root/" || exit 1
    export LD_LIBRARY_PATH="$root/usr/local/Kobo"
    unset QT_PLUGIN_PATH FONTCONFIG_FILE QT_QPA_PLATFORM QT_QPA_FB_DISABLE_INPUT \
      QT_QPA_GENERIC_PLUGINS QT_QPA_EVDEV_KEYBOARD_PARAMETERS QT_QPA_EVDEV_TOUCHSCREEN_PARAMETERS
    mkfifo "$root/tmp/nickel-hardware-status"
    "$root/usr/local/Kobo/hindenburg" &
    LIBC_FATAL_STDERR_=1 "$root/usr/local/Kobo/nickel" -platform kobo -skipFontLoad &
    [ "${PLATFORM:-}" != freescale ] && udevadm trigger &
  )
}

# Kindle: the window manager (awesome) pauses and the status bar (pillow) hides.
kindle_paused=0
kindle_take() {
  lipc-set-prop com.lab126.pillow disableEnablePillow disable 2>/dev/null
  if pidof awesome >/dev/null 2>&1; then
    killall -STOP awesome
    kindle_paused=1
  fi
  say "Kindle framework paused"
}
kindle_give_back() {
  [ $kindle_paused -eq 1 ] && killall -CONT awesome
  lipc-set-prop com.lab126.pillow disableEnablePillow enable 2>/dev/null
  say "Kindle framework resumed"
}

if [ "$takeover" = 1 ]; then
  case $family in
    kobo*) kobo_take ;;
    kindle*) kindle_take ;;
  esac
fi
# The program runs as a child, so the reader is given back however it ends;
# SIGTERM, SIGINT and SIGHUP are passed on to it.
# shellcheck disable=SC2086
${INKMATE_EMULATOR:-} "$here/lib/ld-linux-armhf.so.3" --inhibit-cache \
  --library-path "$here/lib" "$here/$program" "$@" &
child=$!
trap 'kill -TERM "$child" 2>/dev/null' TERM INT HUP
status=0
wait "$child" || status=$?
while kill -0 "$child" 2>/dev/null; do
  status=0
  wait "$child" || status=$?
done
case $status in
  0) ;;
  2) say "inkmate could not draw on this reader (status 2); see inkmate.log.txt" ;;
  *) say "inkmate ended with status $status; see inkmate.log.txt" ;;
esac
if [ "$takeover" = 1 ]; then
  case $family in
    kobo*) kobo_give_back ;;
    kindle*) kindle_give_back ;;
  esac
fi
exit $status
