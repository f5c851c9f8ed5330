#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Does nothing when they are all there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libsnmp-dev
  libsqlite3-dev libxml2-dev
  snmpd snmp
  llvm-14 lld-14
  clang libclang-rt-14-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-liberation2 fonts-ipafont-gothic
  libcairo2-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
