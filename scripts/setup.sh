#!/usr/bin/env bash
# Installs what building and testing Vemora needs on a Debian machine and
# unpacks the sources that are cross-built with MinGW. Safe to repeat: every
# step checks first whether it is already done.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps="$here/build/deps"
mkdir -p "$deps"

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
    cmake ninja-build g++ pkg-config dpkg-dev
    g++-mingw-w64-x86-64-posix
    wine wine64 xvfb xauth x11-apps xdotool imagemagick fonts-wqy-microhei locales
    libpcre2-dev googletest libgtest-dev libbenchmark-dev
    unicode-data zlib1g-dev python3 openssl clang-format git faketime
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
updated=0
if [ ${#missing[@]} -gt 0 ]; then
    sudo_ apt-get update -qq
    updated=1
    DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: without zh_CN.UTF-8 it
# silently falls back to code page 1252.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    sudo_ localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

# PCRE2 for the Windows build comes from Debian's source package. The source
# archive is enabled by copying the machine's own Debian entries as deb-src.
if ! ls -d "$deps"/pcre2-10.* >/dev/null 2>&1; then
    if ! grep -rqs 'deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        if [ -f /etc/apt/sources.list.d/debian.sources ]; then
            sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
                sudo_ tee /etc/apt/sources.list.d/vemora-deb-src.sources >/dev/null
        else
            grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
                sudo_ tee /etc/apt/sources.list.d/vemora-deb-src.list >/dev/null
        fi
        updated=0
    fi
    [ "$updated" -eq 1 ] || sudo_ apt-get update -qq
    # The release's own version first: the security archive may list a newer
    # source whose files it does not serve.
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    (cd "$deps" && { apt-get source -qq "pcre2/$codename" >/dev/null 2>&1 || apt-get source -qq pcre2; })
fi
ls -d "$deps"/pcre2-10.* >/dev/null
