#!/usr/bin/env bash
# Installs every Debian package that building, running and testing ZEL needs.
# A no-op when all are present. Leaves no snmpd service enabled: the tests run
# their own agents on loopback and a system agent on :161 would be in the way.
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5webkit5-dev libqt5svg5-dev
  libsnmp-dev
  # run
  fonts-dejavu-core fontconfig
  # tests: real peers and tools
  snmp snmpd atftp curl bsdutils poppler-utils iproute2 tshark
  xvfb xauth
)
# Extra packages, only when asked for:
#   --fuzz   clang with libFuzzer for the fuzz targets;
#   --bench  tftpd-hpa, the TFTP server bench/tftp compares this program's with.
for arg in "$@"; do
  case "$arg" in
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --bench) packages+=(tftpd-hpa) ;;
  esac
done

SUDO=""
if [[ $(id -u) -ne 0 ]]; then
  SUDO="sudo"
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # tshark asks whether non-root users may capture; the answer does not matter here.
  echo "wireshark-common wireshark-common/install-setuid boolean false" | $SUDO debconf-set-selections || true
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The snmpd package enables its service; nothing here wants it.
if command -v systemctl >/dev/null 2>&1; then
  $SUDO systemctl disable snmpd >/dev/null 2>&1 || true
  $SUDO systemctl stop snmpd >/dev/null 2>&1 || true
fi
# Nor its tftpd-hpa service: bench/tftp runs in.tftpd itself on a port of its own.
if dpkg-query -W -f='${Status}' tftpd-hpa 2>/dev/null | grep -q "install ok installed"; then
  if command -v systemctl >/dev/null 2>&1; then
    $SUDO systemctl disable tftpd-hpa >/dev/null 2>&1 || true
    $SUDO systemctl stop tftpd-hpa >/dev/null 2>&1 || true
  fi
  if [[ -x /etc/init.d/tftpd-hpa ]]; then
    $SUDO /etc/init.d/tftpd-hpa stop >/dev/null 2>&1 || true
  fi
fi
if pgrep -x snmpd >/dev/null 2>&1 && [[ -f /run/snmpd.pid ]]; then
  $SUDO kill "$(cat /run/snmpd.pid)" 2>/dev/null || true
fi
exit 0
