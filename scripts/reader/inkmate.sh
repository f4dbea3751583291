#!/bin/sh
# Starts inkmate from this folder with the folder's own C library, loader and
# Qt, whatever the reader has: on the framebuffer (linuxfb) with the evdev
# touch and key plugins unless QT_QPA_PLATFORM is set.
#   ./inkmate.sh [ARGS...]          the program
#   ./inkmate.sh --tool ARGS...     inkmate-tool
# INKMATE_EMULATOR (e.g. qemu-arm-static) runs the same files on a desktop.
here=$(cd "$(dirname "$0")" && pwd) || exit 1
cd "$here" || exit 1
export QT_PLUGIN_PATH="$here/plugins"
export FONTCONFIG_FILE="$here/fonts.conf"
if [ -z "${QT_QPA_PLATFORM:-}" ]; then
  export QT_QPA_PLATFORM=linuxfb
  # The plugins read the devices; linuxfb's own input handling stays off.
  export QT_QPA_FB_DISABLE_INPUT=1
  export QT_QPA_GENERIC_PLUGINS="${QT_QPA_GENERIC_PLUGINS:-evdevtouch,evdevkeyboard}"
fi
program=inkmate
if [ "${1:-}" = --tool ]; then
  program=inkmate-tool
  shift
else
  set -- --root "$here" "$@"
fi
# shellcheck disable=SC2086
exec ${INKMATE_EMULATOR:-} "$here/lib/ld-linux-armhf.so.3" --inhibit-cache \
  --library-path "$here/lib" "$here/$program" "$@"
