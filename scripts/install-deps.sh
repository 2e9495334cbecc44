#!/usr/bin/env bash
# Installs the Debian packages the build and tests need, only when some are missing.
set -euo pipefail
packages=(
    # toolchain and test tools
    cmake ninja-build g++ pkg-config clang libclang-rt-14-dev clang-tidy-14 python3
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    # the core and its platform services
    libplist-dev libdbus-1-dev nlohmann-json3-dev libevdev-dev libudev-dev libx11-dev libglib2.0-dev
    # the application: Qt 6, translations, icons, a CJK font
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev
    qt6-qpa-plugins fonts-wqy-microhei
    # desktop integration and its checks: private buses, mock services, a virtual display
    dbus dbus-x11 python3-dbusmock xvfb xauth desktop-file-utils appstream gsettings-desktop-schemas
    libglib2.0-bin
    # the Debian package and the checks of what it installs
    dpkg-dev man-db groff-base
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
