#!/usr/bin/env bash
# Checks the Debian package scripts/build-deb.sh made (the argument, else the
# drilling-cam_*.deb of the project folder):
#   - lintian finds no error (its warnings are printed);
#   - dpkg-deb --contents holds the programs, the shipped data, the desktop
#     entries, every icon, the file type, the man pages and the copyright;
#   - desktop-file-validate passes both entries; the file type builds a MIME
#     database; every PNG icon has the size of its folder;
#   - an unprivileged user with a fresh home runs the installed programs:
#     the first start lays out ~/.local/share/drilling-cam from the shipped
#     data; drillnc new, hole, plan, nc, Drillview --png and Drilling (with
#     Relaypane) work on it;
#   - an update (the package again, one version up, with a changed shipped
#     table and a new file) adds the new file and keeps the table the user
#     changed, which the next plan uses.
# The package is unpacked into a temporary root with dpkg -x; with --real
# (as root, on a machine that may change) it is installed, updated and
# removed with apt instead.
set -euo pipefail
cd "$(dirname "$0")/.."
real=0
if [ "${1:-}" = "--real" ]; then
  real=1
  shift
fi
deb=${1:-$(ls -t drilling-cam_*.deb 2>/dev/null | head -n 1)}
[ -f "$deb" ] || { echo "check-package: no package (run scripts/build-deb.sh)" >&2; exit 1; }
deb=$(realpath "$deb")
fail() {
  echo "check-package: $*" >&2
  exit 1
}

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports an error"

echo "== contents"
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
expected=(./usr/bin/Drilling ./usr/bin/Relaypane ./usr/bin/Drillview ./usr/bin/drillnc
  ./usr/share/drilling-cam/Drilling.ini ./usr/share/drilling-cam/Relaypane.ini ./usr/share/drilling-cam/MCTOOL.ini
  ./usr/share/drilling-cam/DB/SAMPLE-PLATE.ini
  ./usr/share/applications/drilling-cam.desktop ./usr/share/applications/drilling-cam-drillview.desktop
  ./usr/share/mime/packages/drilling-cam.xml ./usr/share/doc/drilling-cam/copyright
  ./usr/share/man/man1/drillnc.1.gz ./usr/share/man/man1/Drilling.1.gz ./usr/share/man/man1/Drillview.1.gz
  ./usr/share/man/man1/Relaypane.1.gz)
for name in drilling-cam drilling-cam-drillview; do
  expected+=("./usr/share/icons/hicolor/scalable/apps/$name.svg")
  for size in 16 22 24 32 48 64 128 256; do expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/$name.png"); done
done
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done
# Every shipped file of the program folder is in the package.
while IFS= read -r -d '' file; do
  grep -qxF "./usr/share/drilling-cam/${file#dist/}" <<<"$contents" || fail "dist file $file is not in the package"
done < <(find dist -type f -print0)
dpkg-deb --field "$deb" Depends | grep -q "libqt6widgets6" || fail "the dependencies do not name Qt"
for dep in tnftp xdg-utils qt6-translations-l10n; do
  dpkg-deb --field "$deb" Depends | grep -qw "$dep" || fail "the package does not depend on $dep"
done
dpkg-deb --field "$deb" Recommends | grep -qw fonts-noto-cjk || fail "fonts-noto-cjk is not recommended"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"
mkdir "$work/root"
dpkg -x "$deb" "$work/root"

echo "== desktop entries, file type, icons"
desktop-file-validate "$work"/root/usr/share/applications/*.desktop || fail "desktop-file-validate"
mkdir -p "$work/mime/packages"
cp "$work/root/usr/share/mime/packages/drilling-cam.xml" "$work/mime/packages/"
update-mime-database "$work/mime" >"$work/mime.out" 2>&1 || fail "no MIME database: $(cat "$work/mime.out")"
grep -q "^60:text/x-nc-program:\*\.nc$" "$work/mime/globs2" || fail "*.nc is not an NC program in the MIME database"
grep -q "^50:image/vnd.dxf:\*\.dxf$" "$work/mime/globs2" || fail "*.dxf is not a DXF drawing in the MIME database"
python3 - "$work/root/usr/share/icons/hicolor" <<'EOF' || fail "an icon does not have the size of its folder"
import pathlib, struct, sys
bad = 0
for png in pathlib.Path(sys.argv[1]).glob("*x*/apps/*.png"):
    size = png.parts[-3]
    head = png.read_bytes()[:24]
    w, h = struct.unpack(">II", head[16:24])
    if head[:8] != b"\x89PNG\r\n\x1a\n" or f"{w}x{h}" != size:
        print(f"{png}: {w}x{h}, not {size}")
        bad = 1
sys.exit(bad)
EOF

# The user: nobody when this runs as root, else the caller; a fresh home,
# nothing of this environment (no DRILLING_HOME, no XDG_DATA_HOME).
home="$work/home"
runtime="$work/run"
mkdir "$home" "$runtime"
chmod 0700 "$runtime"
if [ "$(id -u)" -eq 0 ]; then
  chown 65534:65534 "$home" "$runtime"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  as_user=()
fi
if [ $real -eq 1 ]; then
  prefix=""
else
  prefix="$work/root"
fi
run() {
  "${as_user[@]}" env -i HOME="$home" PATH="$prefix/usr/bin:/usr/bin:/bin" LANG=C.UTF-8 XDG_RUNTIME_DIR="$runtime" \
    QT_QPA_PLATFORM=offscreen "$@"
}
user_folder="$home/.local/share/drilling-cam"
install_package() {
  if [ $real -eq 1 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$1" >/dev/null || fail "apt cannot install $1"
  else
    dpkg -x "$1" "$work/root"
  fi
}
[ $real -eq 1 ] && install_package "$deb"

echo "== first start as $("${as_user[@]}" id -un) with a fresh home"
[ -e "$user_folder" ] && fail "the home is not fresh"
run drillnc new --title PKG-CHECK --material S45C --stock 150,100,20 --origin ll --controller "FANUC 0i-MF" \
  --coord G54 --program 2001 >"$work/new.out" || fail "drillnc new: $(cat "$work/new.out")"
cmp -s "$prefix/usr/share/drilling-cam/Drilling.ini" "$user_folder/Drilling.ini" || fail "Drilling.ini was not laid out"
[ -f "$user_folder/.shipped-files" ] || fail "the record of shipped files is missing"
[ "$(stat -c %u "$user_folder/MCTOOL.ini")" = "$("${as_user[@]}" id -u)" ] || fail "the user's folder is not the user's"
[ -f "$user_folder/DB/PKG-CHECK.ini" ] || fail "the job was not written into the user's folder"
[ -e "$prefix/usr/share/drilling-cam/DB/PKG-CHECK.ini" ] && fail "the job was written into the shipped data"
run drillnc hole PKG-CHECK 1 --type ドリル --diameter 8.5 --depth -25 --chamfer -4.75 --at 15,15 --at 135,15 \
  >"$work/hole.out" || fail "drillnc hole: $(cat "$work/hole.out")"
run drillnc plan PKG-CHECK >"$work/plan.out" || fail "drillnc plan: $(cat "$work/plan.out")"
nc=$(run drillnc nc PKG-CHECK --no-sim | tail -n 1)
[ "$nc" = "$user_folder/ncdata/O2001.nc" ] || fail "drillnc nc wrote $nc"
grep -q "S740" "$nc" || fail "the program does not take the shipped 8.5 mm drill speed"
run Drillview --png "$home/view.png" --size 800x600 "$nc" || fail "Drillview --png"
[ "$(head -c 8 "$home/view.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "Drillview wrote no PNG"

# The window program starts on the same folder and starts Relaypane from
# beside itself; Relaypane writes its log into the user's folder as it closes.
run env DRILLING_EXIT_AFTER_SHOW=1 Drilling || fail "Drilling did not start"
for _ in $(seq 100); do
  compgen -G "$user_folder/Log/*.log" >/dev/null && break
  sleep 0.1
done
compgen -G "$user_folder/Log/*.log" >/dev/null || fail "Relaypane wrote no log into the user's folder"

echo "== update"
# The user changes the 8.5 mm drill's speed in their table.
sed -i 's/^8\.5  740 /8.5  999 /' "$user_folder/drillS45C.tbl"
cp "$user_folder/drillS45C.tbl" "$work/user-table"
# The next version changes the shipped table and brings a new file.
version=$(dpkg-deb --field "$deb" Version)
dpkg-deb -R "$deb" "$work/update"
sed -i 's/^8\.5  740 /8.5  750 /' "$work/update/usr/share/drilling-cam/drillS45C.tbl"
printf '10  600  80  10\r\n' >"$work/update/usr/share/drilling-cam/drillNEW.tbl"
sed -i "s/^Version: .*/Version: $version+check1/" "$work/update/DEBIAN/control"
(cd "$work/update" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$work/update/DEBIAN/md5sums"
dpkg-deb --root-owner-group --build "$work/update" "$work/update.deb" >/dev/null
install_package "$work/update.deb"
grep -q "^8\.5  750 " "$prefix/usr/share/drilling-cam/drillS45C.tbl" || fail "the update was not installed"
run drillnc --yes plan PKG-CHECK >"$work/plan2.out" || fail "drillnc plan after the update: $(cat "$work/plan2.out")"
cmp -s "$user_folder/drillS45C.tbl" "$work/user-table" || fail "the update changed the user's table"
cmp -s "$user_folder/drillNEW.tbl" "$prefix/usr/share/drilling-cam/drillNEW.tbl" || fail "the update's new file was not added"
nc=$(run drillnc --yes nc PKG-CHECK --no-sim | tail -n 1)
grep -q "S999" "$nc" || fail "the program does not take the user's drill speed after the update"

if [ $real -eq 1 ]; then
  echo "== removal"
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq drilling-cam >/dev/null || fail "apt cannot remove the package"
  [ -e /usr/bin/drillnc ] && fail "drillnc is still installed"
  [ -f "$user_folder/DB/PKG-CHECK.ini" ] || fail "the removal took the user's jobs"
fi
echo "package checked: $deb"
