# shellcheck shell=bash
# Sourced: finding the processes a test run left behind.
#
# procs_marked MARK DIR...: ids of the live processes, other than this shell
# and its ancestors, that carry MARK in their environment (test-all.sh sets
# one for the whole run) or whose command line, working directory,
# executable or Wine prefix lies inside one of the folders. A folder already
# deleted still counts ("/x (deleted)").
procs_marked() {
  local mark=$1 self=" " p d pid cmd cwd exe env dir
  shift
  p=$BASHPID
  while [[ -n $p && $p -gt 1 ]]; do
    self+="$p "
    p=$(ps -o ppid= -p "$p" 2>/dev/null | tr -d ' ') || break
  done
  for d in /proc/[0-9]*; do
    pid=${d#/proc/}
    [[ $self == *" $pid "* ]] && continue
    # Kernel threads and zombies have no command line.
    cmd=$(tr '\0' ' ' 2>/dev/null <"$d/cmdline") || continue
    [[ -n $cmd ]] || continue
    env=$(tr '\0' '\n' 2>/dev/null <"$d/environ") || env=
    if [[ -n $mark && $'\n'$env$'\n' == *$'\n'"$mark"$'\n'* ]]; then
      echo "$pid"
      continue
    fi
    cwd=$(readlink "$d/cwd" 2>/dev/null) || cwd=
    exe=$(readlink "$d/exe" 2>/dev/null) || exe=
    for dir; do
      if [[ $cmd == *"$dir"* || $cwd == "$dir"* || $exe == "$dir"* ||
            $'\n'$env == *$'\n'"WINEPREFIX=$dir"* ]]; then
        echo "$pid"
        break
      fi
    done
  done
}

# procs_describe PID...: one line per process still alive: pid and command.
procs_describe() {
  local pid
  for pid; do
    [[ -r /proc/$pid/cmdline ]] || continue
    printf '  %s %s\n' "$pid" "$(tr '\0' ' ' </proc/"$pid"/cmdline 2>/dev/null)"
  done
}

# procs_end PID...: TERM, a moment's grace, then KILL.
procs_end() {
  local pid
  (($#)) || return 0
  kill "$@" 2>/dev/null || true
  for _ in $(seq 20); do
    for pid; do [[ -e /proc/$pid ]] && break; done
    [[ -e /proc/$pid ]] || return 0
    sleep 0.1
  done
  kill -KILL "$@" 2>/dev/null || true
}
