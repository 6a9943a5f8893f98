#!/usr/bin/env bash
# Installs the Debian packages Melodeck needs to build and test, skipping those present.
set -euo pipefail

packages=(g++ cmake ninja-build ccache libgtest-dev libgmock-dev
          qt6-base-dev qt6-qpa-plugins libgl-dev libtag1-dev
          help2man desktop-file-utils appstream dpkg-dev file)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
