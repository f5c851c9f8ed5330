#!/usr/bin/env bash
# The main job: builds, prepares the default machine in build/machine, installs the model's package
# and prints a sample job end to end, leaving the printer's bytes and sheet pictures in build/out/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh build

export PALVEX_MACHINE=${PALVEX_MACHINE:-$PWD/build/machine}
machine=build/bin/palvex-machine
printer="Palvex QX500"
out=build/out
mkdir -p "$out"
echo "run: machine at $PALVEX_MACHINE"
$machine init
# The package: the compiled description and the resource library, as the build leaves them.
$machine install build/package/driver
# User tracking on for the printer, and the user's held-job and tracking accounts.
$machine printer-settings "$printer" _USRACTPRN_ENABLED=1
$machine set-account "$printer" SecurePrintID=ana SecurePrintPWD=2468 UserManagePrintID=ana.k UserManagePrintPWD=1357

# An application's job: four pages spooled with the DEVMODE the user sets in the document sheet:
# held (secure print) on the Basic page; Apply, then OK. The sheet's pages are left as pictures
# (document-N.png) and its DEVMODE is what is printed, with two pages per sheet and the watermark
# "CONFIDENTIAL" at 45 degrees given on the command line on top of it.
cat >"$out/document.script" <<SCRIPT
choose 1141 Secure print
tab 1
apply
ok
SCRIPT
layout_settings=(--set _NUP_PAGES=1 --set _WMK_ENABLED=1 --set _WMK_TEXT=CONFIDENTIAL --set _WMK_ANGLE=3
                 --set _WMK_DEGREE=45 --set _WMK_1STPAGEONLY=0)
rm -f "$out"/job*.png "$out"/document-*.png
$machine properties "$printer" --document --script "$out/document.script" --pictures "$out" --devmode "$out/sheet.devmode"
$machine devmode "$printer" "$out/job.devmode" --from "$out/sheet.devmode" "${layout_settings[@]}"
build/bin/palvex-spool "$out/sample.spl" --pages 4 --devmode "$out/job.devmode" --document "Quarterly report"
printed=$($machine print "$out/sample.spl" --printer "$printer" --document "Quarterly report" --devmode "$out/job.devmode" \
          --pictures "$out")
echo "$printed"
result=$(tail -n 1 <<<"$printed")

# "job N printed: bytes FROM to TO of PORTFILE": this job's bytes of the port's file.
read -r from to port < <(sed -E 's/^job [0-9]+ printed: bytes ([0-9]+) to ([0-9]+) of (.*)$/\1 \2 \3/' <<<"$result")
tail -c +"$((from + 1))" "$port" | head -c "$((to - from))" >"$out/job.prn"
echo
echo "run: the job's PJL header:"
head -c 600 "$out/job.prn" | strings | sed -n '1,/ENTER LANGUAGE/p'
echo
# Each watermark drawing starts with PushGS, SetPageDefaultCTM and a real32_xy CharScale; the font
# goes once, under the face's name.
count() { { LC_ALL=C grep -obUaP "$1" "$out/job.prn" || true; } | wc -l; }
drawings=$(count '\x61\x74\xD5')
fonts=$(count 'Arial_WM\xF8\xA8\xC0\x00\xF8\xA9\x4F')
echo "run: watermark "CONFIDENTIAL" at 45 degrees: font Arial_WM downloaded $fonts time(s), drawn $drawings time(s) on the job's pages"
echo "run: the printer's bytes ($((to - from)) bytes): $out/job.prn (port file $port)"
echo "run: sheet pictures: $(ls "$out"/job*.png | tr '\n' ' ')"
echo "run: the document sheet's pages: $(ls "$out"/document-*.png | tr '\n' ' ')"

# The installer on the same machine, from its folder C:\Pardex: a user who reads the first page and
# closes the wizard (answering Yes to the cancel question). Its window and its log are left in build/out/.
installer="$PALVEX_MACHINE/C/Pardex"
mkdir -p "$installer"
cp -r package/installer/. "$installer/"
cat >"$out/pardex.script" <<SCRIPT
picture $PWD/$out/pardex-licence.png
dump $PWD/$out/pardex-licence.txt
answer 6
close
SCRIPT
PALVEX_PROCESS_IMAGE='C:\Pardex\Pardex.exe' PALVEX_UI_SCRIPT="$out/pardex.script" build/bin/Pardex
installer_log=$(find "$PALVEX_MACHINE/C/Users" -name '*_Install_log.txt' | head -n 1)
echo
echo "run: the installer's window: $out/pardex-licence.png, its log: $installer_log"
iconv -f UTF-16LE -t UTF-8 "$installer_log" | tail -n 4
