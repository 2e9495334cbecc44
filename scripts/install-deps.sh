#!/usr/bin/env bash
# Installs the Debian packages the build and tests need, only when some are missing.
set -euo pipefail
packages=(
    # toolchain and test tools
    cmake ninja-build g++ pkg-config clang libclang-rt-14-dev clang-tidy-14 python3
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    # the core and its platform services
    libplist-dev libdbus-1-dev nlohmann-json3-dev libevdev-dev libudev-dev libx11-dev libglib2.0-dev
    # the application: Qt 6, translations, icons, a CJK font (and the screenshot's Latin one)
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev
    qt6-qpa-plugins fonts-wqy-microhei fonts-dejavu-core
    # desktop integration and its checks: private buses, mock services, a virtual display
    dbus dbus-x11 python3-dbusmock xvfb xauth desktop-file-utils appstream gsettings-desktop-schemas
    # the real shells the desktop actions are tested against, headless with software GL (KWin's
    # overview effect needs the QML modules, else it silently does nothing)
    gnome-shell kwin-wayland libgl1-mesa-dri qml-module-qtgraphicaleffects qml-module-qtquick-layouts
    qml-module-qtquick-window2 qml-module-org-kde-kirigami2 plasma-framework milou
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
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -q
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if ! locale -a | grep -qix 'de_DE\.utf-\?8'; then
    "${sudo_cmd[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen
fi
