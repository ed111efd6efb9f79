#!/usr/bin/env bash
# Installs what is missing, builds the station into build-package/ and makes
# its Debian package there with CPack: build-package/rurizuda_VERSION_ARCH.deb.
#   scripts/package.sh             build the package and check it with lintian
#   scripts/package.sh --install   also install it on this machine (apt-get, through sudo unless root)
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_after=0
case "${1:-}" in
  "") ;;
  --install) install_after=1 ;;
  *) echo "usage: scripts/package.sh [--install]" >&2; exit 2 ;;
esac

install_packages
dir="$ROOT/build-package"
build "$dir" -DRURIZUDA_TESTS=OFF -DRURIZUDA_BENCH=OFF
rm -f "$dir"/rurizuda_*.deb
(cd "$dir" && cpack -G DEB)
deb="$(ls "$dir"/rurizuda_*.deb)"
echo "Package: $deb"

echo "lintian:"
lintian --tag-display-limit 0 "$deb" || true

if [ "$install_after" -eq 1 ]; then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall "$deb"
fi
