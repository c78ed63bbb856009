#!/usr/bin/env bash
# Sets up, builds and starts Tavelin on this machine's X display.
#   scripts/run.sh     installs what the build needs, builds build/app/tavelin, runs it
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target tavelin

# Tavelin's chords and window moves are X11's: without a display there is
# nothing to run it on.
if [[ -z ${DISPLAY:-} ]] || ! xdpyinfo >/dev/null 2>&1; then
  cat >&2 <<MESSAGE
run: Tavelin is built (build/app/tavelin), but there is no X display to start it on
     (DISPLAY is ${DISPLAY:-not set}). Run this again from an X11 desktop session.
MESSAGE
  exit 1
fi

exec build/app/tavelin
