#!/usr/bin/env bash
# Installs what building and testing Kivo needs on Debian 12 / Ubuntu, and
# nothing that is already there. Safe to run again.
set -euo pipefail

need_sudo() { if [ "$(id -u)" -ne 0 ]; then echo sudo; fi; }
SUDO=$(need_sudo)

packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev python3
          g++-mingw-w64-i686 mingw-w64-i686-dev wine wine32:i386 xvfb
          fonts-wqy-zenhei locales x11-utils imagemagick openssl curl)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale: zh_CN.UTF-8 gives code page 936.
if ! locale -a 2>/dev/null | grep -qiE '^zh_CN\.utf-?8$'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  $SUDO sed -i -E 's/^# *(zh_CN\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
