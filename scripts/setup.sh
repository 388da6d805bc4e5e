#!/bin/sh
# Installs the Debian 12 packages that building, running and testing need.
# Run as root; packages already present are left alone.
set -e

packages="build-essential cmake libgtest-dev libx11-dev libegl-dev libgl-dev libopengl-dev \
libegl-mesa0 libgl1-mesa-dri xvfb xauth libjpeg62-turbo-dev libcurl4-openssl-dev libexpat1-dev \
unar unrar-free imagemagick libjpeg-turbo-progs libfreetype-dev fonts-liberation2 \
libopenal-dev libvorbis-dev vorbis-tools sox \
libgtk-3-dev libxtst-dev desktop-file-utils xdg-utils"

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing="$missing $package"
done

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
