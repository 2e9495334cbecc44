#!/usr/bin/env bash
# The installed layout, proven from the Debian package: unpacked into a temporary root that a
# private mount namespace lays over /usr, so the programs open exactly the paths they were
# configured with. Runs tavix --version, tavix-replay on every example against its golden log,
# and tavix --demo offscreen until its status.json shows the framework and the simulated mouse.
# Usage: check-installed.sh PACKAGE.deb VERSION
# Exit status 77 (skipped) where no mount namespace can be made.
set -euo pipefail
deb=$(realpath "$1")
version=$2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

if [ "${TAVIX_IN_NAMESPACE:-}" != 1 ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    dpkg-deb -x "$deb" "$work/root"

    # Nothing outside the package's own tree, udev reloaded on install and removal, and
    # dependencies computed.
    outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -E '^\./(usr/.*)?$' || true)
    [ -z "$outside" ] || { echo "files outside /usr: $outside" >&2; exit 1; }
    # The Qt libraries, and the plugins Qt loads by name.
    for dependency in libqt6widgets6 qt6-svg-plugins qt6-wayland; do
        dpkg-deb -f "$deb" Depends | grep -qF "$dependency" ||
            { echo "Depends lacks $dependency: $(dpkg-deb -f "$deb" Depends)" >&2; exit 1; }
    done
    for script in postinst postrm; do
        dpkg-deb -I "$deb" "$script" | grep -q 'udevadm control --reload-rules' ||
            { echo "$script does not reload the udev rules" >&2; exit 1; }
    done
    # udev never takes an ACL back by itself.
    dpkg-deb -I "$deb" postrm | grep -q 'setfacl -b' ||
        { echo "postrm leaves the seat user's ACLs in place" >&2; exit 1; }

    if ! unshare --mount --map-root-user true 2>/dev/null; then
        echo "check-installed: no mount namespace here; skipped" >&2
        exit 77
    fi
    TAVIX_IN_NAMESPACE=1 TAVIX_ROOT="$work/root" TAVIX_WORK="$work" \
        unshare --mount --map-root-user "$0" "$@"
    echo "installed layout: ok"
    exit 0
fi

# In the namespace: the package's /usr over the system's.
mount -t overlay overlay -o "lowerdir=$TAVIX_ROOT/usr:/usr" /usr

fail() { echo "check-installed: $*" >&2; exit 1; }

out=$(XDG_RUNTIME_DIR=$TAVIX_WORK /usr/bin/tavix --version)
grep -qF "$version" <<<"$out" || fail "tavix --version printed: $out"

for script in /usr/share/tavix/examples/*.jsonl; do
    name=$(basename "$script" .jsonl)
    golden=$source_dir/tests/replay/golden/$name.log
    [ -f "$golden" ] || continue
    /usr/bin/tavix-replay "$script" | diff -u "$golden" - >&2 ||
        fail "tavix-replay $name differs from its golden log"
done

# The demo, in a home and runtime folder of its own (its data folder lives there), on a private
# session bus.
source "$source_dir/tests/install/private-session.sh"
private_session "$TAVIX_WORK/home"
home=$HOME
export QT_QPA_PLATFORM=offscreen
/usr/bin/tavix --demo >"$home/demo.out" 2>&1 &
demo=$!
# A few seconds of the demo: status.json is written at start and on every 2 s health tick.
sleep 3
status=$(find "$XDG_RUNTIME_DIR" -path '*/data/Tavix/status.json' 2>/dev/null | head -n 1)
json=$(cat "$status" 2>/dev/null || true)
kill -TERM "$demo"
wait "$demo" || fail "tavix --demo ended with status $? after SIGTERM: $(cat "$home/demo.out")"
kill "$bus_pid" 2>/dev/null || true
python3 - "$json" <<'PY' || fail "status.json: $json; output: $(cat "$home/demo.out")"
import json, sys
status = json.loads(sys.argv[1])
assert status["multitouchLoaded"] is True, "framework not loaded"
assert status["magicMouse"] is True, "no mouse"
assert status["accessibility"] is True and status["postEventAccess"] is True, "grants"
assert status["eventTapRunning"] is True, "no event tap"
PY
echo "tavix --demo status: $(tr -d ' \n' <<<"$json")"
