#!/usr/bin/env bash
# Builds the Debian package drilling-cam_<version>_<arch>.deb in the project
# folder and prints its path last: the four programs (built with Debian's
# hardening flags, stripped) in /usr/bin, the shipped program folder in
# /usr/share/drilling-cam, desktop entries, icons, the NC program file type,
# man pages, the copyright file and a changelog. The version is the
# project's (CMakeLists.txt); the dependencies are the libraries the programs
# link (dpkg-shlibdeps) plus the programs they start.
# The build folder is build-deb (BUILD_DIR sets another).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup-debian.sh --package

build=${BUILD_DIR:-build-deb}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRILLING_TESTS=OFF -DDRILLING_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
ninja -C "$build" -j"$(nproc)" >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
[ -n "$version" ] || { echo "build-deb: no project version in $build/CMakeCache.txt" >&2; exit 1; }
# File times and the changelog date come from the last commit, so the same
# sources give the same package.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
fi
export SOURCE_DATE_EPOCH

# dpkg-shlibdeps wants the files where a source package's build puts them:
# debian/<package> beside debian/control.
package="$root/$build/package"
stage="$package/debian/drilling-cam"
rm -rf "$package"
mkdir -p "$stage"
printf 'Source: drilling-cam\n\nPackage: drilling-cam\nArchitecture: any\n' >"$package/debian/control"
DESTDIR="$stage" cmake --install "$build" >/dev/null
# Stripped as Debian strips programs: no symbols, no compiler notes.
strip --remove-section=.comment --remove-section=.note "$stage"/usr/bin/*
[ -f "$stage/usr/share/man/man1/drillnc.1" ] || { echo "build-deb: drillnc.1 was not made (help2man)" >&2; exit 1; }

doc="$stage/usr/share/doc/drilling-cam"
install -d "$doc"
install -m 0644 packaging/copyright "$doc/copyright"
{
  echo "drilling-cam ($version) unstable; urgency=medium"
  echo
  echo "  * Release $version."
  echo
  echo " -- Veltrane <cam@veltrane.example>  $(date -u -R -d "@$SOURCE_DATE_EPOCH")"
} >"$doc/changelog"
gzip -9n "$doc/changelog" "$stage"/usr/share/man/man1/*.1

# Ownership is root's in the archive (--root-owner-group); modes as Debian wants them.
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "$stage"/usr/bin/*

# The libraries the programs link, with the versions their symbols need
# (dpkg-shlibdeps finds the package's root by its DEBIAN folder).
install -d "$stage/DEBIAN"
shlibs=$(cd "$package" && dpkg-shlibdeps -O debian/drilling-cam/usr/bin/* | sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { echo "build-deb: dpkg-shlibdeps found no libraries" >&2; exit 1; }

(cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/md5sums"
cat >"$stage/DEBIAN/control" <<EOF
Package: drilling-cam
Version: $version
Architecture: $arch
Maintainer: Veltrane <cam@veltrane.example>
Installed-Size: $(du -sk --apparent-size "$stage/usr" | cut -f1)
Depends: $shlibs, tnftp, xdg-utils, qt6-translations-l10n
Recommends: fonts-noto-cjk
Section: misc
Priority: optional
Homepage: https://www.veltrane.example/
Description: drilling CAM for CNC machining centres (Japanese user interface)
 Plans the drilling processes of a job (centre drill, drill, chamfer, tap,
 counterbore, reamer) from a magazine tool list and per-material cutting
 tables, writes a FANUC-style G-code program with canned cycles, prepares a
 TRYCUT simulation package, writes a DXF drawing of the stock and the holes
 and sends the program to the machine by DNC, FTP, a network folder or USB.
 .
 Drilling is the window program, Relaypane its message window, Drillview a
 viewer of NC programs and DXF drawings, drillnc the same functions on the
 command line. Each user's program folder (tables, tool list, settings, jobs)
 is ~/.local/share/drilling-cam, laid out from /usr/share/drilling-cam at the
 first start; an update adds new shipped files and keeps the user's own.
EOF
chmod 0644 "$stage/DEBIAN/control"

deb="$root/drilling-cam_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"
