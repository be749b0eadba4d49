#!/usr/bin/env bash
# Installs the Debian packages Corvantine needs (only those missing), then configures and builds.
# Usage: ./setup.sh [build-dir] [extra cmake args...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6sql6-odbc qt6-webengine-dev
  libgl-dev libxkbcommon-dev
  unixodbc unixodbc-dev libsqliteodbc odbc-postgresql postgresql
  libjpeg62-turbo-dev libwmf-dev libwmf-bin fonts-urw-base35
  libjs-leaflet
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  clang libclang-rt-dev
  cups cups-client cups-bsd printer-driver-cups-pdf
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  echo "Installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build="${1:-$here/build}"
shift || true
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
# Ninja's automoc step does not notice Qt classes in files added since its last run; making it
# look again costs little (moc only runs for what changed).
find "$build" -path '*_autogen/timestamp' -delete
cmake --build "$build"
