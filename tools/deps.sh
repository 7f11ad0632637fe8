#!/usr/bin/env bash
# Installs the Debian packages that are not installed yet: the clock's (tools/packages.txt)
# and those of each list named (tools/packages-NAME.txt: test, fuzz, bench, soak).
#
#   tools/deps.sh                 what `make run` needs
#   tools/deps.sh test soak       and what the tests and the soak need
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$here/packages.txt")
for name in "$@"; do
  [ -f "$here/packages-$name.txt" ] || { echo "deps: no package list \"$name\"" >&2; exit 2; }
  lists+=("$here/packages-$name.txt")
done
mapfile -t wanted < <(cat "${lists[@]}" | grep -v -E '^\s*(#|$)')
missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
