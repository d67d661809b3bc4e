#!/usr/bin/env bash
# scripts/deps.sh against stand-ins for dpkg, dpkg-query, apt-get and id: one
# package missing, installed with or without a service policy file already in
# place. The script must succeed either way and leave the policy as it found it.
set -euo pipefail
deps=$(realpath "$1")/scripts/deps.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bin=$tmp/bin
mkdir "$bin"
cat >"$bin/dpkg-query" <<'SH'
#!/bin/sh
# -W -f=... PACKAGE: everything is installed but the one package.
[ "$3" = "skd-missing" ] || [ "$3" = "skd-foreign:i386" ] && exit 1
printf 'install ok installed'
SH
cat >"$bin/apt-get" <<'SH'
#!/bin/sh
echo "apt-get $*" >>"$SKD_TEST_LOG"
# What would stop a package's service from starting during the install.
case "$*" in *install*) echo "policy: $(cat "$SKD_POLICY_RC" 2>/dev/null | tr '\n' ' ')" >>"$SKD_TEST_LOG" ;; esac
SH
cat >"$bin/dpkg" <<'SH'
#!/bin/sh
case "$1" in
  --print-architecture) echo amd64 ;;
  --print-foreign-architectures) ;;
  *) echo "dpkg $*" >>"$SKD_TEST_LOG" ;;
esac
SH
printf '#!/bin/sh\necho 0\n' >"$bin/id"
chmod +x "$bin"/*

fail() { echo "FAIL ($case): $*" >&2; exit 1; }

# case | extra package arguments | policy file before | expected log
for case in existing-policy no-policy foreign-arch nothing-missing; do
  log=$tmp/$case.log policy=$tmp/$case.policy
  : >"$log"
  args=(skd-missing) before=
  case $case in
    existing-policy) printf '#!/bin/sh\n# ours\nexit 101\n' >"$policy"; chmod 700 "$policy"
                     before=$(stat -c '%a %s %Y' "$policy"; cat "$policy") ;;
    foreign-arch) args=(skd-foreign:i386) ;;
    nothing-missing) args=() ;;
  esac
  rc=0
  PATH=$bin:$PATH SKD_TEST_LOG=$log SKD_POLICY_RC=$policy bash "$deps" "${args[@]}" \
    >"$tmp/out" 2>&1 || rc=$?
  ((rc == 0)) || { cat "$tmp/out" >&2; fail "exit status $rc"; }
  got=$(cat "$log")
  case $case in
    nothing-missing)
      [[ -z $got ]] || fail "apt-get ran with nothing missing: $got" ;;
    *)
      want="apt-get update -qq"$'\n'"apt-get install -y -qq --no-install-recommends ${args[0]}"$'\n'
      want+="policy: #!/bin/sh "
      [[ $case == existing-policy ]] && want+="# ours "
      want+="exit 101 "
      [[ $case == foreign-arch ]] && want="dpkg --add-architecture i386"$'\n'"$want"
      [[ $got == "$want" ]] || fail "$(printf 'log\n%s\nexpected\n%s' "$got" "$want")" ;;
  esac
  if [[ -n $before ]]; then
    [[ $(stat -c '%a %s %Y' "$policy"; cat "$policy") == "$before" ]] || fail "the policy file was changed"
  else
    [[ ! -e $policy ]] || fail "the script's own policy file was left behind"
  fi
done
echo ok
