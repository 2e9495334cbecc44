#!/usr/bin/env bash
# A Debian root of one release with the packages of install-deps.sh, kept in build-roots/RELEASE
# between runs, and COMMAND run inside it, in the source tree. The root is entered in private
# mount and PID namespaces: nothing is mounted on the host, nothing the command starts outlives
# it, and it writes nowhere outside build-roots/RELEASE (the source tree is bound read-only at its
# own path; /tmp, /run and /dev/shm are private). Needs root (mmdebstrap, chroot, mount).
# Usage: debian-root.sh RELEASE [COMMAND...]    RELEASE: 12, 13 or testing
set -euo pipefail
usage="usage: $0 RELEASE [COMMAND...]   RELEASE: 12, 13 or testing"
release=${1:?$usage}
shift
case $release in
    12) suite=bookworm ;;
    13) suite=trixie ;;
    testing) suite=testing ;;
    *) echo "$usage" >&2; exit 2 ;;
esac
if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$release" "$@"
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
dir=$source_dir/build-roots/$release
root=$dir/root
mkdir -p "$dir"

# One run at a time makes or updates a root; another waits here (`make test` starts making the
# root early, in the background, and joins it later).
exec 9>"$dir/lock"
flock 9
if [ ! -d "$root" ]; then
    echo "Making a Debian $release root in $root"
    packages=$("$source_dir/scripts/install-deps.sh" --no-host-tools --list "$release" | paste -sd,)
    # Made beside and renamed when complete, so a failed run never leaves a half root behind.
    for attempt in 1 2 3; do
        rm -rf "$root.new"
        # In a mount namespace of its own, as every mount mmdebstrap makes stays private. The
        # root is rebuilt rather than repaired, so dpkg need not sync each file (much faster);
        # testing's Release file may be past its Valid-Until between two pushes.
        unshare --mount --propagation private mmdebstrap --variant=minbase --include="$packages" \
            --dpkgopt=force-unsafe-io --aptopt='Acquire::Retries "3"' \
            --aptopt='Acquire::Check-Valid-Until "false"' \
            "$suite" "$root.new" http://deb.debian.org/debian && break
        [ "$attempt" = 3 ] && { echo "mmdebstrap could not make the Debian $release root" >&2; exit 1; }
        echo "mmdebstrap failed; trying again in 10 s" >&2
        sleep 10
    done
    mv "$root.new" "$root"
fi
rm -f "$root/etc/resolv.conf"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

# In the namespaces: the kernel's file systems, the host's devices (for /dev/pts and the input
# nodes), private scratch folders, the source tree read-only and this release's folder writable.
enter() {
    unshare --mount --pid --fork --propagation private -- /bin/bash -euc '
        root=$1 source_dir=$2 dir=$3
        shift 3
        mount -t proc proc "$root/proc"
        mount -t sysfs -o ro sysfs "$root/sys"
        mount --rbind /dev "$root/dev"
        for scratch in /dev/shm /tmp /run; do mount -t tmpfs tmpfs "$root$scratch"; done
        mkdir -p "$root$source_dir"
        mount --bind "$source_dir" "$root$source_dir"
        mount -o remount,bind,ro "$root$source_dir"
        mount --bind "$dir" "$root$dir"
        exec chroot "$root" /usr/bin/env -i \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            HOME=/root LANG=C.UTF-8 TERM=dumb \
            CCACHE_DIR="$dir/ccache" CCACHE_BASEDIR="$source_dir" CCACHE_NOHASHDIR=1 \
            CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache \
            /bin/bash -c "cd \"\$0\" && exec \"\$@\"" "$source_dir" "$@"
    ' bash "$root" "$source_dir" "$dir" "$@"
}
# Packages added to the list since the root was made.
enter ./scripts/install-deps.sh --no-host-tools
exec 9>&-
[ $# -eq 0 ] || enter "$@"
