#!/bin/sh
# Installs what Velmora needs on Debian 12 (run as root) and builds it into ./build.
set -e
cd "$(dirname "$0")/.."
packages="cmake ninja-build g++ qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools \
qt6-translations-l10n dbus-daemon libgl-dev libgtest-dev libgmock-dev libbenchmark-dev 7zip rsync openssh-server rclone strace xvfb xauth imagemagick \
clang-format-14 clang-tidy-14 qtkeychain-qt6-dev libsecret-1-0 gnome-keyring \
desktop-file-utils appstream lintian dpkg-dev file gzip"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
if [ -n "$missing" ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi
# CI installs first and builds later, in folders of its own.
[ -n "$VELMORA_SETUP_NO_BUILD" ] && exit 0
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
