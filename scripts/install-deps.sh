#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need.
# Idempotent: packages already present are left alone. Works as root or through sudo.
set -euo pipefail

PACKAGES=(
  build-essential dpkg-dev cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6test6 libgl-dev
  libpaho-mqtt-dev libcjson-dev libssl-dev openssl
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  mosquitto rabbitmq-server
  clang libclang-rt-dev
  xvfb xauth curl ccache libxcb1-dev
  cutecom
  fonts-wqy-microhei
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}) and neither root nor sudo available" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
