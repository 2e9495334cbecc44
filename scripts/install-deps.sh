#!/usr/bin/env bash
# Installs the Debian packages the build and tests need, only when some are missing, on Debian 12,
# 13 or testing (read from /etc/os-release).
#   --no-host-tools   only what the build and the ctest suite need: no clang (tidy, sanitizers,
#                     fuzzers), no benchmark library, nothing to make Debian roots with
#   --list RELEASE    print the packages for RELEASE (12, 13, testing) instead of installing
set -euo pipefail
host_tools=1
list_for=
while [ $# -gt 0 ]; do
    case $1 in
        --no-host-tools) host_tools=0 ;;
        --list) list_for=${2:?--list needs a release: 12, 13 or testing}; shift ;;
        *) echo "usage: $0 [--no-host-tools] [--list RELEASE]" >&2; exit 2 ;;
    esac
    shift
done

release=$list_for
if [ -z "$release" ]; then
    # Testing and unstable have no VERSION_ID.
    release=$( (. /etc/os-release && echo "${VERSION_ID:-testing}"))
fi
case $release in
    12 | 13 | testing) ;;
    *) echo "Debian $release is not supported: 12, 13 and testing are" >&2; exit 2 ;;
esac

packages=(
    # toolchain and test tools
    cmake ninja-build g++ make pkg-config ccache python3 googletest libgtest-dev libgmock-dev
    # the core and its platform services
    libplist-dev libdbus-1-dev nlohmann-json3-dev libevdev-dev libudev-dev libx11-dev libglib2.0-dev
    # the application: Qt 6, translations, icons, a CJK font (and the screenshot's Latin one)
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev
    qt6-qpa-plugins fonts-wqy-microhei fonts-dejavu-core
    # desktop integration and its checks: private buses, mock services, a virtual display
    dbus dbus-x11 python3-dbusmock xvfb xauth desktop-file-utils appstream gsettings-desktop-schemas
    # the real shells the desktop actions are tested against, headless with software GL
    gnome-shell kwin-wayland sway libgl1-mesa-dri
    # a Wayland client that keeps a Sway workspace alive in its test
    foot
    # the input side under emulated devices (sysfs, evdev nodes, /dev/uinput)
    umockdev gir1.2-umockdev-1.0 python3-gi
    # the settings window through a screen reader's interface
    at-spi2-core python3-pyatspi
    libglib2.0-bin
    # the Debian package (CPack finds its programs with `file`) and the checks of what it installs
    dpkg-dev file man-db groff-base
    # a decimal-comma locale for the number tests
    locales
)
if [ "$release" = 12 ]; then
    # KWin 5's overview effect needs these QML modules, else it silently does nothing; Qt's SVG
    # icon engine comes with libqt6svg6.
    packages+=(qml-module-qtgraphicaleffects qml-module-qtquick-layouts qml-module-qtquick-window2
        qml-module-org-kde-kirigami2 plasma-framework milou)
else
    # Plasma 6 runs global shortcuts in a daemon of its own. KWin 6's effects are in kwin-common
    # (13's kwin-wayland does not pull it in); these are the QML modules its overview imports.
    # The SVG icon engine has a package of its own.
    packages+=(kglobalacceld kwin-common plasma-desktoptheme qml6-module-org-kde-kirigami
        qml6-module-org-kde-ksvg qml6-module-qt5compat-graphicaleffects qml6-module-qtquick-window
        qt6-svg-plugins)
fi
if [ "$host_tools" = 1 ]; then
    # The release's own clang for tidy, the sanitizers and the fuzzers; the benchmarks; and what
    # `make test` makes its Debian roots with.
    packages+=(clang clang-tidy libclang-rt-dev libbenchmark-dev mmdebstrap)
fi

if [ -n "$list_for" ]; then
    printf '%s\n' "${packages[@]}"
    exit 0
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # A fresh machine's first download may fail once; apt retries each file, this the whole step.
    apt=("${sudo_cmd[@]}" apt-get -q -o Acquire::Retries=3)
    for attempt in 1 2 3; do
        "${apt[@]}" update && "${apt[@]}" install -y --no-install-recommends "${missing[@]}" && break
        [ "$attempt" = 3 ] && { echo "apt-get could not install: ${missing[*]}" >&2; exit 1; }
        echo "apt-get failed; trying again in 10 s" >&2
        sleep 10
    done
fi
if ! locale -a | grep -qix 'de_DE\.utf-\?8'; then
    "${sudo_cmd[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen
fi
