#!/bin/sh
# Starts Lumenpad from a program directory of the user's own, so that its config.txt (written
# beside the executable) is the user's and writable. The directory is refreshed from the
# installed one whenever the installed program is newer; config.txt is kept. Files named on
# the command line are made absolute first, since the editor starts in that directory.
set -e
for arg do
  shift
  case "$arg" in
    /*|-*) ;;
    *) arg="$PWD/$arg" ;;
  esac
  set -- "$@" "$arg"
done
installed="$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)/@CMAKE_INSTALL_LIBDIR@/lumenpad"
own="${XDG_DATA_HOME:-$HOME/.local/share}/lumenpad"
mkdir -p "$own"
if [ ! -e "$own/lumenpad" ] || [ "$installed/lumenpad" -nt "$own/lumenpad" ]; then
  for f in "$installed"/*; do
    [ "$(basename "$f")" = config.txt ] || cp -p "$f" "$own/"
  done
fi
if [ ! -e "$own/config.txt" ]; then
  printf '%s\r\n\r\n\r\n745 613 110 191\r\n0\r\n0\r\n' "$own" > "$own/config.txt"
fi
cd "$own"
exec ./lumenpad "$@"
