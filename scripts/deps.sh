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
  cmake ninja-build g++ clang pkg-config ccache
  qt6-base-dev libgtest-dev googletest libx11-dev
  xvfb xauth openbox xdotool x11-apps imagemagick
  fonts-dejavu-core fonts-liberation xdg-utils librsvg2-bin zlib1g-dev
  dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  orca speech-dispatcher speech-dispatcher-espeak-ng
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

# The tests run a private Firebird instance of their own; the machine's
# server must not be started by the package's install scripts. A policy file
# that is already there is left exactly as it is.
guard=
apt_log=${TMPDIR:-/tmp}/skd-apt.$$.log
if [[ ! -e $policy ]]; then
  guard=$policy
  printf '#!/bin/sh\nexit 101\n' >"$guard"
  chmod 755 "$guard"
fi
trap 'rm -f "$apt_log" ${guard:+"$guard"}' EXIT

# Another apt (an unattended upgrade on a fresh machine, a second lane) is
# waited for, not taken for a failure.
wait_lock=(-o DPkg::Lock::Timeout=600)
update() { update=$(apt-get "${wait_lock[@]}" update -qq 2>&1) || true; }
install() {  # apt-get install with the missing packages and any options given
  DEBIAN_FRONTEND=noninteractive apt-get "${wait_lock[@]}" install -y -qq --no-install-recommends "$@" \
    "${missing[@]}" >"$apt_log" 2>&1
}
fetch_failed() { grep -q 'Failed to fetch' <<<"$update"; }

update
install && exit 0
# A mirror in the middle of a sync serves an index that does not match its
# Release file; apt then goes on without it, and what it held cannot be
# installed. Such an update gets two more tries.
for try in 1 2; do
  fetch_failed || break
  echo "deps.sh: an index of the package archive failed; trying again" >&2
  sleep 20
  update
  install && exit 0
done
[[ -n $update ]] && echo "$update" >&2

# Still failing with the index of a foreign architecture missing from one
# suite (the security suite, say): apt knows that architecture's packages only
# from the others, while the machine's own libraries may come from the missing
# suite. A Multi-Arch: same library must have one version on both, so resolve
# against the main suite, which both architectures have, and move a library
# installed in a version the foreign architecture lacks down to one they
# share.
failed=$(sed -nE 's#.*Failed to fetch [^ ]*/dists/(.+)/[^/ ]+/binary-([a-z0-9]+)/.*#\1 \2#p' <<<"$update" |
  awk -v n="$native" '$2 != n' | sort -u | head -1)
if [[ -n $failed ]]; then
  read -r suite farch <<<"$failed"
  main=${suite%%[-/]*}
  if [[ $main != "$suite" ]]; then
    needed=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
      --no-breaks --no-replaces --no-enhances "${missing[@]}" 2>/dev/null |
      sed -n "s/^<\{0,1\}\([^ <>]*\):$farch>\{0,1\}\$/\1/p" | sort -u)
    declare -A need=() have=() native_versions=() foreign_versions=()
    names=()
    for name in $needed; do need[$name]=1; done
    while read -r name version; do
      [[ -n ${need[$name]:-} ]] && have[$name]=$version
    done < <(dpkg-query -W -f='${Package} ${Architecture} ${Multi-Arch} ${Version} ${db:Status-Abbrev}\n' |
      awk -v n="$native" '$2 == n && $3 == "same" && $5 ~ /^ii/ {print $1, $4}')
    if ((${#have[@]})); then
      # One look-up for all: apt-cache reads its whole cache on every call.
      mapfile -t names < <(printf '%s\n' "${!have[@]}" | sort)
      while IFS='|' read -r name version _; do
        name=${name// /} version=${version// /}
        if [[ $name == *:"$farch" ]]; then
          foreign_versions[${name%:*}]+=" $version "
        else
          native_versions[$name]+=" $version "
        fi
      done < <(apt-cache madison "${names[@]}" "${names[@]/%/:$farch}")
    fi
    pins=() moved=() stuck=()
    for name in "${names[@]}"; do
      version=${have[$name]}
      [[ ${foreign_versions[$name]:-} == *" $version "* ]] && continue
      shared=
      for v in ${native_versions[$name]:-}; do
        [[ ${foreign_versions[$name]:-} == *" $v "* ]] || continue
        [[ -z $shared ]] || dpkg --compare-versions "$v" gt "$shared" && shared=$v
      done
      if [[ -z $shared ]]; then
        stuck+=("$name $version")
      elif dpkg --compare-versions "$shared" lt "$version"; then
        # apt moves up to the main suite's version by itself, never down.
        pins+=("$name=$shared" "$name:$farch=$shared")
        moved+=("$name $version -> $shared")
      fi
    done
    if ((${#stuck[@]})); then
      echo "deps.sh: no version that both $native and $farch have of: ${stuck[*]}" >&2
    else
      line="deps.sh: the $farch index of $suite did not download; installing from $main, which both architectures have"
      if ((${#moved[@]})); then
        printf -v list '%s, ' "${moved[@]}"
        line+="; moved to the version both have: ${list%, }"
      fi
      echo "$line"
      install -t "$main" --allow-downgrades "${pins[@]}" && exit 0
    fi
  fi
fi
cat "$apt_log" >&2
echo "deps.sh: apt-get could not install: ${missing[*]}" >&2
if fetch_failed; then
  echo "deps.sh: an index of the package archive did not download (see above) and no consistent set could be installed without it; try again once the mirror has synced" >&2
fi
exit 1
