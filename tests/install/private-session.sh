# shellcheck shell=bash disable=SC2034
# Sourced. private_session FOLDER: a home, runtime, config, data and cache folder of its own under
# FOLDER and a private session bus (its pid in bus_pid), so that what runs here never sees the
# user's settings, desktop or bus.
private_session() {
    local home=$1 bus
    mkdir -p "$home/tmp" "$home/run"
    chmod 700 "$home/run"
    export HOME=$home TMPDIR=$home/tmp XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/.config \
        XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache
    unset DISPLAY WAYLAND_DISPLAY XDG_CURRENT_DESKTOP
    bus=$(dbus-daemon --session --print-address=1 --print-pid=1 --fork | head -n 2)
    DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
    export DBUS_SESSION_BUS_ADDRESS
    bus_pid=$(sed -n 2p <<<"$bus")
}
