#!/usr/bin/env bash
# Start to first frame: runs a saver with ORVANE_FRAME_LIMIT=1 (it ends after presenting its
# first frame) and a bare GL program, each RUNS times under one private Xvfb, and prints the
# median wall time of each in milliseconds.
# Usage: bench/first_frame.sh [build folder] [runs]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
runs=${2:-20}

measure() {
  local -a times=()
  for _ in $(seq 1 "$runs"); do
    local t0 t1
    t0=$(date +%s%N)
    ORVANE_FRAME_LIMIT=1 "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    times+=($(( (t1 - t0) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'
}

if [ -z "${ORVANE_IN_XVFB:-}" ]; then
  ORVANE_IN_XVFB=1 exec "$top/scripts/with-xvfb" "$0" "$build" "$runs"
fi
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
export ORVANE_ROOT=$root
echo "bare GL context + one frame: $(measure "$build/bench/gl_first_frame") ms (median of $runs)"
echo "Blank Screen /s to first frame: $(measure "$build/savers/Blank Screen.scr" /s) ms (median of $runs)"
