#!/usr/bin/env bash
# tavix --demo as a desktop shows it: on an X server of its own (Xvfb) and a private session bus
# with a tray (tray-watcher.py). Passes when Qt offers the X11 and Wayland platforms, the settings
# window maps and the tray icon has visible pixels.
# Usage: show-demo.sh FOLDER (a working folder of its own)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$1
source "$here/private-session.sh"

fail() { echo "show-demo: $*" >&2; exit 1; }

mkdir -p "$work"
private_session "$work/home"
pids=("$bus_pid")
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT

# Asked for a platform that does not exist, Qt lists the ones it has and aborts (no core file).
ulimit -c 0
platforms=$(QT_QPA_PLATFORM=none tavix --version 2>&1 |
    sed -n 's/.*Available platform plugins are: \(.*\)\.$/\1/p' || true)
for platform in xcb wayland; do
    [[ ", $platforms," == *", $platform,"* ]] ||
        fail "Qt has no $platform platform; it has: ${platforms:-none}"
done

mkfifo "$work/display" "$work/watcher"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
read -r display <"$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$display

python3 "$here/tray-watcher.py" 60 >"$work/watcher" &
watcher=$!
pids+=("$watcher")
exec 4<"$work/watcher"
{ read -r line <&4 && [ "$line" = ready ]; } || fail "the tray watcher did not start"

QT_QPA_PLATFORM=xcb tavix --demo >"$work/demo.out" 2>&1 &
demo=$!
pids+=("$demo")

# The mapped one of the windows named Tavix (Qt's hidden client leader has that name too).
shown_window() {
    local id
    for id in $(xwininfo -root -tree 2>/dev/null | awk '/"Tavix"/ {print $1}'); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' &&
            xwininfo -id "$id" 2>/dev/null && return 0
    done
    return 1
}

# The first start opens the settings window.
for _ in $(seq 600); do
    window=$(shown_window) && break
    kill -0 "$demo" 2>/dev/null || fail "tavix --demo ended: $(cat "$work/demo.out")"
    sleep 0.1
done
[ -n "${window:-}" ] ||
    fail "no Tavix window shown: $(xwininfo -root -tree); $(cat "$work/demo.out")"
echo "window: $(sed -n 's/.*-geometry //p' <<<"$window")"

tray=$(cat <&4)
wait "$watcher" || fail "no tray icon to see; tavix said: $(cat "$work/demo.out")"
echo "$tray"

kill -TERM "$demo"
wait "$demo" || fail "tavix --demo ended with status $? after SIGTERM: $(cat "$work/demo.out")"
