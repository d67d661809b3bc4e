#!/usr/bin/env bash
# scripts/deps.sh against stand-ins for dpkg, dpkg-query, apt-get, apt-cache
# and id, one row per answer of the archive: whole, or caught mid-sync with
# the i386 index of the security suite missing. The script must install what
# a consistent set allows, say which libraries it moved, fail clearly where
# there is none, and leave the service policy as it found it.
set -euo pipefail
deps=$(realpath "$1")/scripts/deps.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bin=$tmp/bin
mkdir "$bin"
cat >"$bin/dpkg-query" <<'SH'
#!/bin/sh
# -W -f=FORMAT [PACKAGE]: everything is installed but skd-*; without a
# package, the installed list of the row.
[ $# -eq 2 ] && exec cat "$SKD_FAKE/installed"
case "$3" in skd-*) exit 1 ;; esac
printf 'install ok installed'
SH
cat >"$bin/apt-get" <<'SH'
#!/bin/sh
shift 2  # -o DPkg::Lock::Timeout=...: another apt is waited for
echo "apt-get $*" >>"$SKD_TEST_LOG"
case "$1" in
  update) cat "$SKD_FAKE/update" ;;
  install) echo "policy: $(cat "$SKD_POLICY_RC" 2>/dev/null | tr '\n' ' ')" >>"$SKD_TEST_LOG"
           # The install resolves only with the options of the row.
           case "$*" in *"$(cat "$SKD_FAKE/resolves")"*) ;; *) echo "E: held broken packages"; exit 100 ;; esac ;;
esac
SH
cat >"$bin/apt-cache" <<'SH'
#!/bin/sh
case "$1" in
  depends) cat "$SKD_FAKE/closure" ;;
  madison) shift; for p; do grep "^$p |" "$SKD_FAKE/madison"; done; true ;;
esac
SH
cat >"$bin/dpkg" <<'SH'
#!/bin/sh
case "$1" in
  --print-architecture) echo amd64 ;;
  --print-foreign-architectures) ;;
  --compare-versions) exec /usr/bin/dpkg "$@" ;;
  *) echo "dpkg $*" >>"$SKD_TEST_LOG" ;;
esac
SH
printf '#!/bin/sh\necho 0\n' >"$bin/id"
printf '#!/bin/sh\n' >"$bin/sleep"
chmod +x "$bin"/*

fail() { echo "FAIL ($case): $*" >&2; exit 1; }
midsync='E: Failed to fetch http://mirror/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?'
pinned='-t bookworm --allow-downgrades libpcre2-8-0=10.42-1 libpcre2-8-0:i386=10.42-1'
installed='libpcre2-8-0 amd64 same 10.42-1+deb12u2 ii
liblzma5 amd64 same 5.4.1-1 ii
libunrelated amd64 same 1.0+deb12u1 ii
libc6 i386 same 2.36-9 ii'
madison='libpcre2-8-0 | 10.42-1+deb12u2 | http://mirror bookworm-security/main amd64 Packages
libpcre2-8-0 | 10.42-1 | http://mirror bookworm/main amd64 Packages
liblzma5 | 5.4.1-1+deb12u1 | http://mirror bookworm/main amd64 Packages
liblzma5:i386 | 5.4.1-1+deb12u1 | http://mirror bookworm/main i386 Packages'

# case | packages | what apt-get update says | what the install needs |
# i386 versions of libpcre2-8-0 | exit status | expected in the apt log | expected in the output
rows=(
  "existing-policy|skd-missing||--no-install-recommends|10.42-1|0|apt-get update -qq
apt-get install -y -qq --no-install-recommends skd-missing
policy: #!/bin/sh # ours exit 101 |"
  "no-policy|skd-missing||--no-install-recommends|10.42-1|0|policy: #!/bin/sh exit 101 |"
  "foreign-arch|skd-foreign:i386||--no-install-recommends|10.42-1|0|dpkg --add-architecture i386
apt-get update -qq|"
  "nothing-missing||||10.42-1|0||"
  "mid-sync|skd-foreign:i386|$midsync|$pinned|10.42-1|0|apt-get install -y -qq --no-install-recommends $pinned skd-foreign:i386|deps.sh: the i386 index of bookworm-security did not download; installing from bookworm, which both architectures have; moved to the version both have: libpcre2-8-0 10.42-1+deb12u2 -> 10.42-1"
  "mid-sync-no-shared-version|skd-foreign:i386|$midsync|$pinned|10.40-1|1||deps.sh: no version that both amd64 and i386 have of: libpcre2-8-0 10.42-1+deb12u2"
)
for row in "${rows[@]}"; do
  IFS='|' read -r -d '' case args update resolves i386 want_rc want_log want_out <<<"$row" || true
  want_out=${want_out%$'\n'}
  fake=$tmp/$case log=$tmp/$case.log policy=$tmp/$case.policy
  mkdir "$fake" && : >"$log"
  printf '%s' "$update" >"$fake/update"
  printf '%s' "$resolves" >"$fake/resolves"
  printf '%s\n' "$installed" >"$fake/installed"
  printf '%s\nlibpcre2-8-0:i386 | %s | http://mirror bookworm/main i386 Packages\n' "$madison" "$i386" >"$fake/madison"
  printf 'skd-foreign:i386\nlibpcre2-8-0:i386\n<libvirtual:i386>\nliblzma5:i386\nlibc6:i386\n' >"$fake/closure"
  before=
  if [[ $case == existing-policy ]]; then
    printf '#!/bin/sh\n# ours\nexit 101\n' >"$policy"; chmod 700 "$policy"
    before=$(stat -c '%a %s %Y' "$policy"; cat "$policy")
  fi
  rc=0
  # shellcheck disable=SC2086 # the row's packages, one per word
  PATH=$bin:$PATH SKD_FAKE=$fake SKD_TEST_LOG=$log SKD_POLICY_RC=$policy bash "$deps" $args \
    >"$tmp/out" 2>&1 || rc=$?
  ((rc == want_rc)) || { cat "$tmp/out" >&2; fail "exit status $rc, expected $want_rc"; }
  [[ -z $args && -s $log ]] && fail "apt-get ran with nothing missing: $(cat "$log")"
  [[ $(cat "$log") == *"$want_log"* ]] || fail "$(printf 'log\n%s\nexpected in it\n%s' "$(cat "$log")" "$want_log")"
  [[ -z $want_out ]] || grep -qxF -- "$want_out" "$tmp/out" ||
    fail "$(printf 'output\n%s\nexpected a line\n%s' "$(cat "$tmp/out")" "$want_out")"
  # A mirror mid-sync gets the update's two more tries before anything else.
  [[ -z $update ]] || (($(grep -c '^apt-get update' "$log") == 3)) || fail "not three updates: $(cat "$log")"
  if ((rc)); then
    grep -q 'no consistent set could be installed' "$tmp/out" || fail "no clear message: $(cat "$tmp/out")"
  fi
  if [[ -n $before ]]; then
    [[ $(stat -c '%a %s %Y' "$policy"; cat "$policy") == "$before" ]] || fail "the policy file was changed"
  else
    [[ ! -e $policy ]] || fail "the script's own policy file was left behind"
  fi
done
echo ok
