#!/bin/sh
# The one list of Debian packages this project builds, runs and tests with.
# Installs only what is missing, so repeated calls cost one dpkg query.
set -eu

PACKAGES="cmake ninja-build g++ clang make pkg-config
qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-multimedia-dev
libhidapi-dev libudev-dev libgtest-dev liberfa-dev libxcb1-dev
xvfb xauth x11-utils fonts-dejavu-core openbox xdotool"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing"
SUDO=""
if [ "$(id -u)" != 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
