#!/bin/sh
# Installs what Velmora needs on Debian 12 or 13 (run as root) and builds it into ./build.
set -e
cd "$(dirname "$0")/.."
# "a|b" takes the first of these packages the release has: 7zz comes with 7zip on Debian 12 and with
# 7zip-standalone from Debian 13 on. "a|" is left out where the release lacks it: the pinned formatter and checker
# that CI runs on Debian 12.
packages="cmake ninja-build g++ qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools \
qt6-translations-l10n dbus-daemon libgl-dev libgtest-dev libgmock-dev libbenchmark-dev 7zip-standalone|7zip rsync \
openssh-server rclone strace xvfb xauth imagemagick clang-format-14| clang-tidy-14| qtkeychain-qt6-dev \
libsecret-1-0 gnome-keyring desktop-file-utils appstream lintian dpkg-dev file gzip"
alternatives() { echo "$1" | tr '|' ' '; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
available() { apt-cache show --no-all-versions "$1" 2>/dev/null | grep -q '^Package:'; }

missing=""
optional=""
for word in $packages; do
    found=""
    for package in $(alternatives "$word"); do
        installed "$package" && found=yes
    done
    [ -n "$found" ] && continue
    case "$word" in
    *"|") optional="$optional $word" ;;
    *) missing="$missing $word" ;;
    esac
done
updated=""
[ -n "$missing" ] && apt-get update && updated=yes
# Something the release may lack is wanted only where it has it; a machine that never read the package lists
# learns that with the update above.
for word in $optional; do
    for package in $(alternatives "$word"); do
        available "$package" && missing="$missing $word" && break
    done
done
if [ -n "$missing" ]; then
    [ -z "$updated" ] && apt-get update
    chosen=""
    for word in $missing; do
        pick=""
        for package in $(alternatives "$word"); do
            if available "$package"; then
                pick=$package
                break
            fi
        done
        # A package the release has in no form is left for apt-get to name.
        [ -z "$pick" ] && pick=${word%%|*}
        chosen="$chosen $pick"
    done
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $chosen
fi
# CI installs first and builds later, in folders of its own.
[ -n "$VELMORA_SETUP_NO_BUILD" ] && exit 0
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
