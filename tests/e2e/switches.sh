#!/usr/bin/env bash
# The installation switches of RLX_Plug, run as an installer runs them.
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_folder "$1"
lon="$work/Lon Works"  # a tree whose path holds a blank
mkdir -p "$lon/Import" "$lon/Types"

"$bin/rlx-reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null

# "/deregplugin" on a machine where it was never registered ends silently.
"$bin/RLX_Plug" /deregplugin || fail "deregplugin on a clean machine"

# Mixed case and blanks around the switch still register.
"$bin/RLX_Plug" "  /RegPlugin " || fail "regplugin"
out=$("$bin/rlx-reg" query 'HKLM\SOFTWARE\LonWorks\LCA\Plug-Ins\RLX_Plug')
expected=$(printf '\nHKEY_LOCAL_MACHINE\\SOFTWARE\\LonWorks\\LCA\\Plug-Ins\\RLX_Plug\n    (Default)    REG_SZ    RLX_Plug.LNSPlugInAPI\n    Name    REG_SZ    RLX_Plug\n    Description    REG_SZ    RLX_Plug UTILITY\n    Scope    REG_SZ     2\n    ManufacturerName    REG_SZ    Zev Prodcucts Inc\n    Version    REG_SZ    2.10b\n    LcaVersion    REG_SZ    1.5\n    DirPath    REG_SZ    %s\n' "$(cd "$bin" && pwd)")
[ "$out" == "$expected" ] || { diff <(echo "$expected") <(echo "$out"); fail "registry entry"; }

for f in "$lon/Import/Rlxtlc32.xif" "$lon/Import/Rlxtlc20.xif" "$lon/Types/User/Zev/Zev.enu" \
         "$lon/Types/User/Zev/Zev.fmt" "$lon/Types/User/Zev/Zev.fpt" "$lon/Types/User/Zev/Zev.typ"; do
  [ -f "$f" ] || fail "missing $f"
done
grep -qxF "$lon\\types\\user\\ZEV\\" "$lon/Types/ldrf.cat" || fail "catalog entry"

# Any further text after the switch is not a switch: the dialog opens (and
# stays open), so the entry must survive.
timeout 3 "$bin/RLX_Plug" /deregplugin now && fail "dialog should keep running" || true
"$bin/rlx-reg" query 'HKLM\SOFTWARE\LonWorks\LCA\Plug-Ins\RLX_Plug' /ve >/dev/null || fail "entry lost"

"$bin/RLX_Plug" /DEREGPLUGIN || fail "deregplugin"
if "$bin/rlx-reg" query 'HKLM\SOFTWARE\LonWorks\LCA\Plug-Ins\RLX_Plug' 2>/dev/null; then fail "entry still there"; fi

# The version record is readable from the binary.
if command -v readelf >/dev/null; then
  readelf -p .rlx_version "$bin/RLX_Plug" | grep -q 'FileDescription=RLX_IM UTILITY' || fail "version record"
  readelf -p .rlx_version "$bin/Enrol" | grep -q 'ProductName=Enrol' || fail "Enrol version record"
fi
echo "switches: ok"
