#!/usr/bin/env bash
# A real installation: cmake --install into a temporary prefix. First what it
# holds: the install manifest lists every installed file; the components
# product, standins and tools split the installation without overlap (the
# product alone holds nothing of the stand-ins, and works on its own); a
# DESTDIR staging writes below DESTDIR only; the programs find their private
# libraries through their run path; every program has a manual page that
# renders; the interface files are there; every tool answers --help and
# --version. Then the director flow from the installation, with RLX_Plug
# started by D-Bus activation alone (nothing from the build tree on the path).
#   install.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
build="$(cd "$1" && pwd)"
# The run on the bus is given BUILD_DIR/bin, as e2e_private_bus passes it on.
[ -z "${RLX_E2E_ON_PRIVATE_BUS:-}" ] || build="$(dirname "$build")"
# The layout and version the build was configured with (the test's
# environment, tests/e2e/CMakeLists.txt).
bindir=$RLX_INSTALL_BINDIR
libdir=$RLX_INSTALL_PRIVATE_LIBDIR
datadir=$RLX_INSTALL_DATADIR
mandir="$RLX_INSTALL_MANDIR/man1"
version=$RLX_PROJECT_VERSION
# The installation into a prefix of the run's folder, and a bus that starts
# RLX_Plug from there, with nothing of the build tree in its environment.
install_into_prefix() {
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  cp "$build/install_manifest.txt" "$work/install_manifest.txt"
  E2E_SESSION_CONF="$work/prefix/$datadir/rlx-plug/session.conf"
  unset RLX_LCADATSV
}
E2E_BEFORE_BUS=install_into_prefix
e2e_private_bus "$build/bin" "$build/share/dbus-1"
source_dir="$(cd "$e2e_here/../.." && pwd)"
prefix="$work/prefix"
bin="$prefix/$bindir"
director="$bin/lns-director"
lnsdb="$bin/rlx-lnsdb"

# files_under DIR: every file below DIR, relative to it, sorted.
files_under() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort); }
# manifest_lists DIR MANIFEST [DESTDIR]: the manifest names exactly the
# files below DIR (staged below DESTDIR, which the manifest leaves out).
manifest_lists() {
  diff <(find "${3:-}$1" -type f -o -type l | sed "s|^${3:-}||" | LC_ALL=C sort) <(LC_ALL=C sort "$2") >&2 ||
    fail "$2 does not list exactly the files below ${3:-}$1"
}

step "what each component installs"
product_files="$bindir/Enrol
$bindir/RLX_Plug
$datadir/applications/rlx-plug-registration.desktop
$datadir/dbus-1/interfaces/RLX_Plug.Factory.xml
$datadir/dbus-1/interfaces/RLX_Plug._LNSPlugInAPI.xml
$datadir/dbus-1/services/RLX_Plug.LNSPlugInAPI.service
$datadir/icons/hicolor/scalable/apps/rlx-plug.svg
$datadir/rlx-plug/Resource/Zev.enu
$datadir/rlx-plug/Resource/Zev.fmt
$datadir/rlx-plug/Resource/Zev.fpt
$datadir/rlx-plug/Resource/Zev.typ
$datadir/rlx-plug/session.conf
$datadir/rlx-plug/xif/Rlxtlc20.xif
$datadir/rlx-plug/xif/Rlxtlc32.xif
$libdir/libZEV_ActiveX.so
$mandir/Enrol.1
$mandir/RLX_Plug.1"
standins_files="$bindir/XIF32BIN
$bindir/lns-director
$bindir/rlx-lnsdb
$bindir/rlx-reg
$libdir/libLCADATSV.so
$mandir/XIF32BIN.1
$mandir/lns-director.1
$mandir/rlx-lnsdb.1
$mandir/rlx-reg.1"
tools_files="$bindir/rlx-msg
$mandir/rlx-msg.1"
for component in product standins tools; do
  cmake --install "$build" --prefix "$work/$component" --component "$component" >/dev/null
  manifest_lists "$work/$component" "$build/install_manifest_$component.txt"
  files_var="${component}_files"
  expect_eq "the component $component" "$(LC_ALL=C sort <<<"${!files_var}")" "$(files_under "$work/$component")"
done
expect_eq "the components make up the whole installation" \
  "$(LC_ALL=C sort <<<"$product_files"$'\n'"$standins_files"$'\n'"$tools_files")" "$(files_under "$prefix")"

step "the install manifest lists every installed file"
manifest_lists "$prefix" "$work/install_manifest.txt"

step "staged with DESTDIR: the files name the final prefix, nothing lands outside DESTDIR"
DESTDIR="$work/stage" cmake --install "$build" --prefix "$work/final" >/dev/null
[ ! -e "$work/final" ] || fail "the staged installation wrote into the final prefix"
expect_eq "the staged tree" "$(files_under "$prefix")" "$(files_under "$work/stage$work/final")"
manifest_lists "$work/final" "$build/install_manifest.txt" "$work/stage"
grep -qxF "Exec=\"$work/final/$bindir/RLX_Plug\" -Embedding" \
  "$work/stage$work/final/$datadir/dbus-1/services/RLX_Plug.LNSPlugInAPI.service" ||
  fail "the staged service file does not name the program in the final prefix"

step "the installed files name the installation"
grep -qxF "Exec=\"$bin/RLX_Plug\" -Embedding" "$prefix/$datadir/dbus-1/services/RLX_Plug.LNSPlugInAPI.service" \
  || fail "the service file does not name the installed program"
grep -qF "<servicedir>$prefix/$datadir/dbus-1/services</servicedir>" "$prefix/$datadir/rlx-plug/session.conf" \
  || fail "the session configuration does not activate from the installed services"
desktop="$prefix/$datadir/applications/rlx-plug-registration.desktop"
grep -qxF "Exec=\"$bin/RLX_Plug\"" "$desktop" || fail "the desktop entry does not name the installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$prefix/$datadir/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the desktop entry's icon $icon is not installed"
if command -v xmllint >/dev/null; then
  xmllint --noout "$prefix/$datadir/icons/hicolor/scalable/apps/$icon.svg" "$prefix/$datadir/rlx-plug/session.conf"
fi
for f in RLX_Plug.Factory.xml RLX_Plug._LNSPlugInAPI.xml; do
  cmp -s "$source_dir/resources/dbus/interfaces/$f" "$prefix/$datadir/dbus-1/interfaces/$f" || fail "installed $f differs"
done

step "the programs find their private libraries through their run path, none in the build tree"
for f in "$bin"/* "$prefix/$libdir"/*.so; do
  if readelf -d "$f" | grep -qF "$build"; then fail "$f still looks into the build tree"; fi
  runpath=$(readelf -d "$f" | sed -nE 's/.*\((RPATH|RUNPATH)\).*\[(.*)\]$/\2/p')
  [ -z "$runpath" ] || [[ "$runpath" == '$ORIGIN'* ]] || fail "$f has the run path $runpath"
done
for program in RLX_Plug rlx-msg; do
  found=$(ldd "$bin/$program" | sed -n 's/.*libZEV_ActiveX\.so => \(.*\) (0x.*/\1/p')
  [ -n "$found" ] && [ "$(realpath "$found")" == "$prefix/$libdir/libZEV_ActiveX.so" ] ||
    fail "$program does not find the installed control: $(ldd "$bin/$program" | grep ZEV)"
done

step "every program has its manual page, and each renders"
expect_eq "manual pages" "$(ls "$bin" | sed 's/$/.1/')" "$(ls "$prefix/$mandir")"
for page in "$prefix/$mandir"/*.1; do
  if command -v groff >/dev/null; then
    groff -man -ww -z -Tutf8 "$page" 2>"$work/groff.err"
    [ ! -s "$work/groff.err" ] || { cat "$work/groff.err" >&2; fail "$page renders with warnings"; }
  fi
  grep -q '^\.TH ' "$page" && grep -qx '\.SH NAME' "$page" || fail "$page has no title or NAME section"
done

step "every tool answers --help and --version"
# RLX_Plug and Enrol give their products' own versions, the tools the project's.
for program in "$bin"/*; do
  name=$(basename "$program")
  case "$name" in RLX_Plug) expected="RLX_Plug 2.10b" ;; Enrol) expected="Enrol 1.00" ;; *) expected="$name $version" ;; esac
  expect_code 0 timeout 5 env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help
  [ -s "$work/out" ] || fail "$name --help printed nothing"
  expect_code 0 timeout 5 env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version
  expect_eq "$name --version" "$expected" "$(cat "$work/out")"
done

step "the product alone registers itself from its own folder"
mkdir -p "$work/ProductTree/Import" "$work/ProductTree/Types"
RLX_REGISTRY_ROOT="$work/product-registry" "$bin/rlx-reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' \
  /d "$work/ProductTree" /f >/dev/null
RLX_REGISTRY_ROOT="$work/product-registry" "$work/product/$bindir/RLX_Plug" /regplugin || fail "regplugin of the product"
cmp -s "$work/ProductTree/Types/User/Zev/Zev.enu" "$work/product/$datadir/rlx-plug/Resource/Zev.enu" ||
  fail "the product's resources were not copied into the tree"

step "the installed plug-in on its own bus"
mkdir -p "$lon/Import" "$lon/Types" "$lon/bin"
ln -s "$bin/XIF32BIN" "$lon/bin/XIF32BIN"
"$bin/rlx-reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null
"$bin/RLX_Plug" /regplugin
[ "$("$bin/rlx-reg" query 'HKLM\SOFTWARE\LonWorks\LCA\Plug-Ins\RLX_Plug' /v DirPath | awk '/DirPath/ {print $3}')" == "$bin" ] \
  || fail "DirPath is not the installed folder"
[ -f "$lon/Types/User/Zev/Zev.enu" ] || fail "resources not installed into the tree"
"$bin/rlx-lnsdb" demo >/dev/null

# The installed interface files describe the installed plug-in.
"$(gio_python)" "$e2e_here/served_interfaces.py" "$prefix/$datadir/dbus-1/interfaces/RLX_Plug.Factory.xml" \
  "$prefix/$datadir/dbus-1/interfaces/RLX_Plug._LNSPlugInAPI.xml" || fail "the installed interface files differ"
wait_plugin_ended "the plug-in ends with its last object"

# The director starts the plug-in through the bus alone.
"$bin/lns-director" --network Demo --show configure "Routers/RLX-LonMark/Internal Modem" || fail "configure"
[ "$("$bin/lns-director" get Visible)" == "true" ] || fail "window not visible"
"$bin/lns-director" --network Demo --show configure Routers/RLX-Explicit || fail "configure explicit"
"$bin/rlx-lnsdb" traffic Routers/RLX-Explicit | grep -q "00 01 48 00" || fail "the explicit router was not probed"
"$bin/rlx-msg" --network Demo --device Routers/RLX-Explicit "00 01 48 00" | grep -q "RLX Explicit" \
  || fail "rlx-msg through the installed control and data server"
# Hiding the explicit window leaves the LonMark window shown; hiding that one
# too ends the plug-in.
"$bin/lns-director" hide
"$bin/lns-director" --network Demo configure "Routers/RLX-LonMark/Internal Modem" || fail "configure again"
"$bin/lns-director" hide
wait_plugin_ended "the plug-in ends after the window was hidden"
echo "install: ok"
