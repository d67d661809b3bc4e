#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing;
# arguments name further packages (name:arch for another architecture, which
# is enabled first).
#
# SKD_POLICY_RC names the file that keeps package scripts from starting
# services (default /usr/sbin/policy-rc.d); the tests point it elsewhere.
set -euo pipefail
policy=${SKD_POLICY_RC:-/usr/sbin/policy-rc.d}
packages=("$@"
  cmake ninja-build g++ clang pkg-config
  qt6-base-dev libgtest-dev googletest
  xvfb xauth openbox xdotool x11-apps imagemagick
  fonts-dejavu-core fonts-liberation xdg-utils
  dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  firebird3.0-server libfbclient2
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]})) || exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
native=$(dpkg --print-architecture)
for p in "${missing[@]}"; do
  [[ $p == *:* ]] || continue
  arch=${p##*:}
  if [[ $arch != "$native" ]] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    dpkg --add-architecture "$arch"
  fi
done
# A mirror in the middle of a sync serves an index that does not match its
# Release file; apt then goes on without it, and what it held cannot be
# installed. Such an update gets two more tries.
for try in 1 2 3; do
  update=$(apt-get update -qq 2>&1) || true
  grep -q 'Failed to fetch' <<<"$update" || break
  ((try < 3)) && { echo "deps.sh: an index of the package archive failed; trying again" >&2; sleep 20; }
done
[[ -n $update ]] && echo "$update" >&2
# The tests run a private Firebird instance of their own; the machine's
# server must not be started by the package's install scripts. A policy file
# that is already there is left exactly as it is.
guard=
if [[ ! -e $policy ]]; then
  guard=$policy
  trap 'rm -f "$guard"' EXIT
  printf '#!/bin/sh\nexit 101\n' >"$guard"
  chmod 755 "$guard"
fi
if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
  >"${TMPDIR:-/tmp}/skd-apt.$$.log" 2>&1; then
  cat "${TMPDIR:-/tmp}/skd-apt.$$.log" >&2
  rm -f "${TMPDIR:-/tmp}/skd-apt.$$.log"
  echo "deps.sh: apt-get could not install: ${missing[*]}" >&2
  grep -q 'Failed to fetch' <<<"$update" &&
    echo "deps.sh: an index of the package archive did not download (see above); try again once the mirror has synced" >&2
  exit 1
fi
rm -f "${TMPDIR:-/tmp}/skd-apt.$$.log"
if [[ -n $guard ]]; then
  rm -f "$guard"
fi
trap - EXIT
exit 0
