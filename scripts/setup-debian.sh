#!/usr/bin/env bash
# Installs what the build, the tests and the program folder need on Debian 12.
# Runs apt-get only when a package is missing, so a prepared machine starts at once.
set -euo pipefail
# With --tests also what only the test suite uses: LinuxCNC's rs274
# interpreter reads the NC programs the tests write, as an independent check;
# pyftpdlib is the real FTP server the transfer tests upload to.
# tnftp (always) is the ftp client the FTP transfer of the programs runs.
# ezdxf reads the DXF drawings (matplotlib renders them for a look).
# clang and libFuzzer build the fuzz targets.
packages=(
  g++ cmake ninja-build pkg-config python3
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick fonts-noto-cjk
  tnftp
  xdg-utils
  qt6-translations-l10n
)
# With --package (and with --tests, which builds and checks the package too)
# what scripts/build-deb.sh and its checks use: dependencies of the programs
# (dpkg-shlibdeps), drillnc's man page, lintian, the desktop entry check and
# the MIME database of the file type check.
if [ "${1:-}" = "--package" ] || [ "${1:-}" = "--tests" ]; then
  packages+=(dpkg-dev help2man lintian desktop-file-utils shared-mime-info)
fi
if [ "${1:-}" = "--tests" ]; then
  packages+=(linuxcnc-uspace)
  packages+=(python3-pyftpdlib)
  packages+=(python3-ezdxf python3-matplotlib)
  packages+=(clang libfuzzer-14-dev)  # the fuzz targets of tests/fuzz
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
