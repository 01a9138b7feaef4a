#!/usr/bin/env bash
# Installs the Debian packages Kerrow's build and tests use, skipping what is
# there. Usage: install-deps.sh [run|test]
set -euo pipefail

packages=(cmake make g++ googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
  binutils-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xdotool x11-utils)
case "${1:-test}" in
  run) packages+=(imagemagick) ;;
  test) packages+=(clang libclang-rt-14-dev libbenchmark-dev time libx11-dev libxtst-dev libxdamage-dev x11-xserver-utils
    imagemagick icoutils libxml2-utils) ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
