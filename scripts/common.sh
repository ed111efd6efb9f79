# Shared by the station and test scripts: Debian packages and the build.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What building, testing, packaging and running the station needs on Debian 12.
PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev libgl-dev
  libsqlite3-dev libudev-dev
  postgresql libpqxx-dev
  rabbitmq-server libqpid-proton-cpp12-dev
  libgtest-dev libgmock-dev
  umockdev libumockdev-dev
  fonts-wqy-zenhei
  clang libclang-rt-14-dev
  nlohmann-json3-dev libssl-dev
  python3 chromium
  xvfb xdotool x11-apps
  dpkg-dev file lintian desktop-file-utils
)

# Installs the packages that are missing (through sudo unless root).
install_packages() {
  local missing=()
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# build DIR [cmake options...]: configures and builds the project into DIR.
build() {
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j2
}
