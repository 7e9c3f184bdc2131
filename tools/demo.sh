#!/usr/bin/env bash
# Installs what is missing, builds and runs the demonstration. With a display it opens
# the window; without one it runs under Xvfb for a few seconds and saves a screenshot.
# Usage: bash tools/demo.sh [screenshot.png]   (default: zerrick.png in the current directory)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
shot="$(realpath -m "${1:-zerrick.png}")"
cd "$top"
bash tools/install-deps.sh
cmake --preset default
cmake --build --preset default --target zerrick
run_dir="$top/build/default/app"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  cd "$run_dir" && exec ./zerrick
fi

# Headless: a virtual display, a few seconds of frames, a screenshot, then a clean stop.
display=":$(( (RANDOM % 400) + 100 ))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do DISPLAY="$display" xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
cd "$run_dir"
DISPLAY="$display" ./zerrick &
app_pid=$!
sleep "${ZR_DEMO_SECONDS:-6}"
window="$(DISPLAY="$display" xwininfo -name Ovrin 2>/dev/null | awk '/Window id:/ {print $4}')"
DISPLAY="$display" import -window "${window:-root}" "$shot"
kill -INT "$app_pid"
status=0
wait "$app_pid" || status=$?
printf "\nscreenshot: %s\n" "$shot"
exit $status
