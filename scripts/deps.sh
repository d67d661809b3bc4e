#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing;
# arguments name further packages.
set -euo pipefail
packages=("$@"
  cmake ninja-build g++ clang pkg-config
  qt6-base-dev libgtest-dev googletest
  xvfb xauth openbox xdotool x11-apps imagemagick
  fonts-dejavu-core fonts-liberation xdg-utils
  firebird3.0-server libfbclient2
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  apt-get update -qq
  # The tests run a private Firebird instance of their own; the machine's
  # server must not be started by the package's install scripts.
  guard=
  if [[ ! -e /usr/sbin/policy-rc.d ]]; then
    guard=/usr/sbin/policy-rc.d
    printf '#!/bin/sh\nexit 101\n' >"$guard" && chmod 755 "$guard"
    trap 'rm -f "$guard"' EXIT
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  [[ -n $guard ]] && rm -f "$guard"
fi
