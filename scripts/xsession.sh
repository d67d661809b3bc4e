# Sourced: starts a private Xvfb display with openbox, and stops it on exit.
# After sourcing, DISPLAY points at it. SKD_XVFB_SCREEN sets the screen
# (default 1024x768x24; a larger one for windows at 300 per cent).
xsession_start() {
  local n
  for n in $(seq 90 190); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 "${SKD_XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
    XSESSION_XVFB=$!
    for _ in $(seq 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      sleep 0.1
    done
    if kill -0 "$XSESSION_XVFB" 2>/dev/null && [[ -e /tmp/.X11-unix/X$n ]]; then
      export DISPLAY=":$n"
      openbox >/dev/null 2>&1 &
      XSESSION_WM=$!
      sleep 0.5
      return 0
    fi
  done
  echo "no free X display" >&2
  return 1
}
xsession_stop() {
  [[ -n ${XSESSION_WM:-} ]] && kill "$XSESSION_WM" 2>/dev/null
  [[ -n ${XSESSION_XVFB:-} ]] && kill "$XSESSION_XVFB" 2>/dev/null
  wait 2>/dev/null || true
}
