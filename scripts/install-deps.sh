#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Idempotent: does nothing when every package is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config help2man
  qt6-base-dev qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libeigen3-dev
  fonts-ipafont-gothic
  xvfb xauth xdotool imagemagick desktop-file-utils
  clang
  locales  # localedef: the tests build a German locale, whose decimal separator is ","
  slurm-wlm munge
  pybind11-dev python3-dev python3-numpy python3-pytest python3-pandas
  python3-dask python3-distributed
)

# Installs those of the given packages that are missing.
install_missing() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq "${missing[@]}"
}

install_missing "${packages[@]}"
# The sanitizer and fuzzer runtime of the clang just installed, whatever its version.
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -n 1)
install_missing "libclang-rt-${clang_major}-dev"
