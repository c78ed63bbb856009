#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Idempotent: when
# everything is present it prints nothing and touches nothing.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config
  # libFuzzer: clang 16 or newer compiles libstdc++ 12's <expected>
  clang-19 libclang-rt-19-dev
  # core library
  rapidjson-dev libicu-dev
  # the Linux desktop layer
  libxcb1-dev libxcb-keysyms1-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-randr0-dev libxcb-xtest0-dev
  x11proto-dev  # the keysym names
  libglib2.0-dev
  # the application: Qt Widgets, its X11 platform plugin, the house font
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-jetbrains-mono
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # end-to-end and desktop tests: a headless X server, a window manager, clients
  xvfb xauth openbox xdotool xterm x11-utils x11-xserver-utils
  # a system tray for the tray icon under a bare window manager
  trayer
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup-deps: installing ${missing[*]}"
  if [[ $(id -u) -ne 0 ]]; then sudo=sudo; else sudo=; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
