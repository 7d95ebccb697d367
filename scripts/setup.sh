#!/usr/bin/env bash
# Installs what building and testing Kivo needs on Debian / Ubuntu, and nothing that is
# already there. Safe to run again.
set -euo pipefail

need_sudo() { if [ "$(id -u)" -ne 0 ]; then echo sudo; fi; }
SUDO=$(need_sudo)

# The fuzzer runtime is not listed: its package is named after clang's version (below).
packages=(cmake ninja-build g++ clang googletest libgtest-dev libssl-dev libjsmn-dev python3
          g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
          wine wine32:i386 wine64 xvfb
          fonts-wqy-zenhei locales x11-utils imagemagick openssl curl)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# apt-get without questions (sudo drops a variable set before it, env passes it on); its
# output is kept out of sight unless it fails, when its end says why.
apt_get() {
  local log status=0
  log=$(mktemp)
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get "$@" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "setup: 'apt-get $*' failed ($status); its last words:" >&2
    tail -n 20 "$log" >&2
  fi
  rm -f "$log"
  return "$status"
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  apt_get update -q
  apt_get install -y -q --no-install-recommends "${missing[@]}"
fi

# libFuzzer and the sanitizers' runtime come in libclang-rt-<major>-dev where the release
# has that package (Debian 12: 14, Debian 13: 19, Ubuntu 24.04: 18); where it has none
# (Ubuntu 22.04), libclang-common-<major>-dev, which clang depends on, carries it. Only
# the fuzz run needs it, so nothing here may stop the set-up.
major=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -n 1) || true
if [ -n "$major" ]; then
  runtime=libclang-rt-$major-dev
  # A purely virtual name is "shown" with success and no record, hence the Package line.
  if ! installed "$runtime" &&
     apt-cache show --no-all-versions "$runtime" 2>/dev/null | grep '^Package:' >/dev/null; then
    echo "setup: installing $runtime (clang $major's fuzzer runtime)"
    apt_get install -y -q --no-install-recommends "$runtime" ||
      echo "setup: going on without $runtime; the fuzz run will be skipped" >&2
  fi
fi

# Wine takes its ANSI code page from the locale: zh_CN.UTF-8 gives code page 936.
has_locale() { locale -a 2>/dev/null | grep -iE '^zh_CN\.utf-?8$' >/dev/null; }
if ! has_locale; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  $SUDO sed -i -E 's/^# *(zh_CN\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
  # Ubuntu's locale-gen reads its own list rather than /etc/locale.gen.
  has_locale || $SUDO localedef -i zh_CN -c -f UTF-8 -A /usr/share/locale/locale.alias zh_CN.UTF-8 || true
  has_locale || { echo "setup: could not generate the zh_CN.UTF-8 locale" >&2; exit 1; }
fi
