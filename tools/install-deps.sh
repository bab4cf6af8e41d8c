#!/usr/bin/env bash
# Installs the Debian 12 packages Corvane builds, runs and tests with.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libsqlite3-dev libyajl-dev libdxflib-dev
  libwxgtk3.2-dev libwxgtk-webview3.2-dev libopenscenegraph-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libgl1-mesa-dri python3-ezdxf
  tango-icon-theme
  locales-all
)

sudo_if_needed() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

export DEBIAN_FRONTEND=noninteractive
sudo_if_needed apt-get update -qq
sudo_if_needed apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
