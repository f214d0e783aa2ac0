# Sourced by the scripts that drive the viewer under X (demo, soak).
# viewer_window PID: prints the id of the viewer's window once it shows, or
# nothing when it does not within 30 s or the viewer has already given up.
viewer_window() {
  local window=""
  for _ in $(seq 150); do
    window=$(xdotool search --name Zandervale 2>/dev/null | head -n 1) || true
    [ -n "$window" ] || ! kill -0 "$1" 2>/dev/null && break
    sleep 0.2
  done
  echo "$window"
}
