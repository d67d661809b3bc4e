#!/usr/bin/env bash
# A private Firebird 3 server for the tests, beside the machine's own (which
# is never started, stopped or changed):
#
#   scripts/firebird-private.sh start <dir>   start it; <dir>/port names its port
#   scripts/firebird-private.sh stop <dir>    stop it
#
# <dir>/root is its FIREBIRD root: links to the installed server's files, its
# own configuration, and a copy of the machine's security database in which
# SYSDBA's password is set to the one the probe uses. It listens on a free
# loopback port only. A server left over from an aborted run in the same
# <dir> is stopped first. Only processes started with this <dir>'s root are
# ever signalled.
set -euo pipefail

usage() { echo "usage: $0 start|stop <dir>" >&2; exit 2; }
(($# == 2)) || usage
action=$1
mkdir -p "$2"
dir=$(cd "$2" && pwd)

password=ravarizez
server=/usr/sbin/firebird
system_secdb_dir=/var/lib/firebird/3.0/system
system_secdb=$system_secdb_dir/security3.fdb
system_log_dir=/var/log/firebird
installed=
for d in /usr/lib/*/firebird/3.0; do [[ -e $d/firebird.msg ]] && installed=$d && break; done

root=$dir/root
lockdir=$dir/lock
export FIREBIRD=$root FIREBIRD_LOCK=$lockdir

say() { echo "firebird-private: $*" >&2; }

# Is <pid> a server started with our root? Checked on the process itself, so
# a reused pid never leads to a stranger being signalled.
ours() {
  local pid=$1 exe
  exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || return 1
  [[ $exe == "$server" ]] || return 1
  tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -Fqx "FIREBIRD=$root"
}

# Those of the given pids that are still ours.
still_ours() {
  local pid
  for pid in "$@"; do
    if ours "$pid"; then echo "$pid"; fi
  done
}

# Our servers: the recorded one and any whose record an aborted run lost.
our_servers() {
  local p
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    if ours "$p"; then echo "$p"; fi
  done
}

stop_servers() {
  local pids pid
  pids=$(our_servers)
  [[ -z $pids ]] && return 0
  for pid in $pids; do kill -TERM "$pid" 2>/dev/null || true; done
  local deadline=$((SECONDS + 15))
  while ((SECONDS < deadline)); do
    # shellcheck disable=SC2086
    pids=$(still_ours $pids)
    [[ -z $pids ]] && return 0
    sleep 0.1
  done
  for pid in $pids; do
    if ours "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
  done
  sleep 0.5
  # shellcheck disable=SC2086
  pids=$(still_ours $pids)
  [[ -z $pids ]] || { say "cannot stop $pids"; return 1; }
}

# Ports with a listening TCP socket, from the kernel's tables.
listening_ports() {
  local f hex
  for f in /proc/net/tcp /proc/net/tcp6; do
    [[ -r $f ]] || continue
    while read -r hex; do echo $((16#$hex)); done \
      < <(awk 'NR > 1 && $4 == "0A" { split($2, a, ":"); print a[2] }' "$f")
  done
}

# Does <pid> hold a socket listening on <port>?
listens() {
  local pid=$1 port=$2 hex inode f
  hex=$(printf '%04X' "$port")
  for f in /proc/net/tcp /proc/net/tcp6; do
    [[ -r $f ]] || continue
    while read -r inode; do
      find "/proc/$pid/fd" -maxdepth 1 -lname "socket:\[$inode\]" 2>/dev/null | grep -q . && return 0
    done < <(awk -v p="$hex" 'NR > 1 && $4 == "0A" { split($2, a, ":"); if (a[2] == p) print $10 }' "$f")
  done
  return 1
}

# A port below the kernel's range for outgoing connections, free right now.
pick_port() {
  local used port
  used=" $(listening_ports | tr '\n' ' ') "
  for _ in $(seq 100); do
    port=$((20000 + RANDOM % 12000))
    [[ $used == *" $port "* ]] || { echo "$port"; return 0; }
  done
  return 1
}

# The root folder, made anew. The server finds its security database through
# SecurityDatabase; without it, it would use the machine's own file.
make_root() {
  local port=$1 name
  rm -rf "$root" "$lockdir" "$dir/log" "$dir/shadow"
  mkdir -p "$root" "$lockdir" "$dir/log" "$dir/shadow"
  chmod 700 "$root" "$lockdir"
  for name in firebird.msg intl plugins lib UDF; do
    ln -s "$installed/$name" "$root/$name"
  done
  cp "$system_secdb" "$root/security3.fdb"
  chmod 600 "$root/security3.fdb"
  cat >"$root/plugins.conf" <<'EOF'
Plugin = UDR {
	Module = $(dir_plugins)/udr_engine
	Config = UDR_config
}

Config = UDR_config {
	path = $(dir_plugins)/udr
}
EOF
  cat >"$root/firebird.conf" <<EOF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $root/security3.fdb
UdfAccess = None
EOF
  cat >"$root/databases.conf" <<EOF
security.db = $root/security3.fdb
{
	RemoteAccess = false
}
EOF
  # Embedded access to the copy: no server and no password needed.
  gsec -database "$root/security3.fdb" -user sysdba -modify sysdba -pw "$password" </dev/null
}

# Mount namespaces, where we may make them, hide the machine's security
# database and log directory from the server behind folders of ours.
isolated=0

launch() {
  if ((isolated)); then
    # shellcheck disable=SC2016
    setsid unshare --mount --propagation private /bin/sh -c '
      mount --bind "$1" "$2" && { [ ! -d "$3" ] || mount --bind "$4" "$3"; } && exec "$5"' \
      sh "$dir/shadow" "$system_secdb_dir" "$system_log_dir" "$dir/log" "$server" \
      </dev/null >"$dir/server.out" 2>&1 9>&- &
  else
    setsid "$server" </dev/null >"$dir/server.out" 2>&1 9>&- &
  fi
  echo $!
}

# Is <pid> alive? A dead server may stay a zombie for a while: its parent
# (this script's subshell) is gone and the init process reaps it.
running() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [[ ${stat:0:1} != [ZX] ]]
}

# Until the server listens on <port> and accepts SYSDBA: 0; it died: 1;
# still not ready after the bounded wait: 2; someone else took the port: 3.
wait_ready() {
  local pid=$1 port=$2 deadline=$((SECONDS + 30))
  while ((SECONDS < deadline)); do
    running "$pid" || return 1
    if ! listens "$pid" "$port"; then
      # (asked again: ours may have started listening in between)
      listening_ports | grep -qx "$port" && ! listens "$pid" "$port" && return 3
    elif ours "$pid" &&
       fbsvcmgr "127.0.0.1/$port:service_mgr" -user sysdba -password "$password" \
         info_server_version </dev/null >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.1
  done
  return 2
}

fingerprint() { stat -c '%s %Y' "$system_secdb" && sha256sum <"$system_secdb"; }

start() {
  [[ -x $server ]] || { say "$server missing (apt-get install firebird3.0-server)"; exit 1; }
  [[ -r $system_secdb && -n $installed ]] || { say "Firebird 3 installation not found"; exit 1; }
  stop_servers
  rm -f "$dir/port" "$dir/pid"
  if unshare --mount --propagation private mount --bind "$dir" "$dir" 2>/dev/null; then isolated=1; fi
  fingerprint >"$dir/secdb.fingerprint"
  local attempt port pid rc
  for attempt in 1 2 3 4 5; do
    port=$(pick_port) || { say "no free port"; exit 1; }
    make_root "$port"
    pid=$(launch)
    rc=0
    wait_ready "$pid" "$port" || rc=$?
    if ((rc == 0)); then
      echo "$pid" >"$dir/pid"
      echo "$port" >"$dir/port.new" && mv "$dir/port.new" "$dir/port"
      say "pid $pid on 127.0.0.1:$port$( ((isolated)) || echo ' (no mount namespace: its log goes to '"$system_log_dir"')')"
      return 0
    fi
    # Lost the port to someone else, or did not come up: clean up and retry.
    stop_servers
    say "attempt $attempt on port $port failed ($rc): $(tail -n 3 "$dir/server.out" "$dir/log/"* 2>/dev/null | tr '\n' ' ')"
  done
  exit 1
}

stop() {
  stop_servers
  rm -f "$dir/port" "$dir/pid"
  # The machine's security database must be exactly as it was.
  if [[ -e $dir/secdb.fingerprint ]]; then
    if [[ $(fingerprint) != "$(cat "$dir/secdb.fingerprint")" ]]; then
      say "$system_secdb changed while the private server ran"
      exit 1
    fi
  fi
}

exec 9>"$dir/.lock"
flock 9
case $action in
  start) start ;;
  stop) stop ;;
  *) usage ;;
esac
