#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Vorel needs.
# Runs as root on Debian 12; safe to run again.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  build-essential cmake ninja-build pkg-config git ca-certificates \
  qt6-base-dev qt6-qpa-plugins libgl-dev fonts-wqy-microhei \
  libboost-regex-dev libcurl4-openssl-dev libssl-dev openssl curl \
  libcpp-httplib-dev \
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev \
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good glib-networking \
  libgtest-dev libgmock-dev libbenchmark-dev \
  clang libclang-rt-14-dev \
  sox lame flac \
  xvfb xauth xdotool imagemagick
