#!/usr/bin/env bash
# The main job: builds, prepares the default machine in build/machine, installs the model's package
# through the installer Pardex as a user does, and prints a sample job end to end, leaving the
# installer's pages and log, the document sheet's pages, the printer's bytes and sheet pictures in
# build/out/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh build

# The installer runs on a machine without the model's driver: the default machine is made afresh on
# every run (a machine given in PALVEX_MACHINE is used as it is).
if [ -z "${PALVEX_MACHINE:-}" ]; then
  export PALVEX_MACHINE=$PWD/build/machine
  rm -rf "$PALVEX_MACHINE"
fi
machine=build/bin/palvex-machine
out=build/out
mkdir -p "$out"
echo "run: machine at $PALVEX_MACHINE"
$machine init

# The printer on the network: net-snmp's snmpd on 127.0.0.1 answers for it as a Palvex QF410 (its
# sysDescr and the model's private object). The machine knows it as 192.168.1.40 on its one adapter.
snmp_dir=$(mktemp -d)
snmpd_pid=
stop_snmpd() {
  if [ -n "$snmpd_pid" ]; then kill "$snmpd_pid" 2>/dev/null || true; wait "$snmpd_pid" 2>/dev/null || true; fi
  rm -rf "$snmp_dir"
}
trap stop_snmpd EXIT
# Its trays (the printer MIB's input table: type, size across and along in micrometres, media): tray
# 1 A4 plain paper, tray 2 B5 thick paper, no tray 3, the manual feed 148 x 100 mm.
cat >"$snmp_dir/snmpd.conf" <<CONF
rocommunity wombat 127.0.0.1
sysdescr Korvel Palvex QF410
override .1.3.6.1.4.1.32473.1.205.1.1.1.0 octet_str "Palvex QF410"
override .1.3.6.1.2.1.43.8.2.1.2.1.1 integer 4
override .1.3.6.1.2.1.43.8.2.1.4.1.1 integer 297000
override .1.3.6.1.2.1.43.8.2.1.5.1.1 integer 210000
override .1.3.6.1.2.1.43.8.2.1.12.1.1 octet_str "Plain"
override .1.3.6.1.2.1.43.8.2.1.2.1.2 integer 3
override .1.3.6.1.2.1.43.8.2.1.4.1.2 integer 257000
override .1.3.6.1.2.1.43.8.2.1.5.1.2 integer 182000
override .1.3.6.1.2.1.43.8.2.1.12.1.2 octet_str "Thick 1"
override .1.3.6.1.2.1.43.8.2.1.2.1.5 integer 5
override .1.3.6.1.2.1.43.8.2.1.4.1.5 integer 148000
override .1.3.6.1.2.1.43.8.2.1.5.1.5 integer 100000
override .1.3.6.1.2.1.43.8.2.1.12.1.5 octet_str "Plain"
CONF
for attempt in 1 2 3 4 5; do
  snmp_port=$((20000 + (RANDOM % 20000)))
  MIBS= SNMP_PERSISTENT_DIR="$snmp_dir" /usr/sbin/snmpd -f -Lf "$snmp_dir/snmpd.log" -C -c "$snmp_dir/snmpd.conf" \
    "udp:127.0.0.1:$snmp_port" &
  snmpd_pid=$!
  for wait in 1 2 3 4 5 6 7 8 9 10; do
    if MIBS= snmpget -v1 -c wombat -r 0 -t 0.5 "127.0.0.1:$snmp_port" .1.3.6.1.2.1.1.1.0 >/dev/null 2>&1; then break 2; fi
    kill -0 "$snmpd_pid" 2>/dev/null || break
  done
  kill "$snmpd_pid" 2>/dev/null || true
  wait "$snmpd_pid" 2>/dev/null || true
  snmpd_pid=
done
if [ -z "$snmpd_pid" ]; then echo "run: snmpd did not start (see $snmp_dir/snmpd.log)" >&2; exit 1; fi
echo "run: the printer's SNMP agent: snmpd at 127.0.0.1:$snmp_port"
$machine network --adapter eth0 192.168.1.20/24 --agent "192.168.1.40=$snmp_port"

# The installer's folder C:\Pardex as the package ships it: the program, its ini and resources, and
# the language folder 0411 with the INF and the driver files the build made.
installer="$PALVEX_MACHINE/C/Pardex"
rm -rf "$installer"
mkdir -p "$installer/0411"
cp -r package/installer/. "$installer/"
cp build/bin/Pardex "$installer/Pardex.exe"
cp build/package/driver/TOVQEB.GPD build/package/driver/TOVQEBRES.DLL build/package/driver/versions/tovqeb{ui,xl,co,pp}.dll \
   "$installer/0411/"

# The user installs: agrees, keeps "install" on the setup menu, waits for the search, ticks the
# printer it found, names it, confirms and installs, then finishes without restarting Windows.
# Each page is left as a picture (pardex-N-PAGE.png).
printer="Palvex QF410"
rm -f "$out"/pardex-*.png
pictures="$PWD/$out"
cat >"$out/pardex.script" <<SCRIPT
picture $pictures/pardex-1-licence.png
click 1010
picture $pictures/pardex-2-setupmenu.png
click 1009
picture $pictures/pardex-3-search.png
wait
picture $pictures/pardex-4-printerport.png
tick 1039 0
click 1009
text 1032 $printer
text 1028 2nd floor, by the window
picture $pictures/pardex-5-printername.png
click 1009
picture $pictures/pardex-6-installconfirm.png
click 1009
picture $pictures/pardex-7-installcomplete.png
dump $pictures/pardex-7-installcomplete.txt
answer 7
click 1034
SCRIPT
PALVEX_PROCESS_IMAGE='C:\Pardex\Pardex.exe' PALVEX_UI_SCRIPT="$out/pardex.script" build/bin/Pardex
installer_log=$(find "$PALVEX_MACHINE/C/Users" -name '*_Install_log.txt' | head -n 1)
# The log is UTF-16 as Windows programs write it; its copy in build/out is UTF-8 for reading here.
iconv -f UTF-16LE -t UTF-8 "$installer_log" | sed '1s/^\xEF\xBB\xBF//' >"$out/pardex-install-log.txt"
echo "run: the installer's log ($out/pardex-install-log.txt):"
tail -n 6 "$out/pardex-install-log.txt"
grep -q '"プリンタードライバーのインストールが完了しました。"' "$out/pardex-7-installcomplete.txt" ||
  { echo "run: the installer did not complete (see $out/pardex-7-installcomplete.txt)" >&2; exit 1; }
echo "run: the installer's pages: $(ls "$out"/pardex-*.png | tr '\n' ' ')"
echo

# The printer sheet's device page: the user asks the printer (at the address of its port) for its
# trays, accepts the answer and its note, looks at the tray list and applies. The page is left as
# printer-1.png and the tray popup as printer-trays.png.
cat >"$out/printer.script" <<SCRIPT
click 25104
answer 1
answer 1
click 25182
picture $PWD/$out/printer-trays.png
click 2
apply
ok
SCRIPT
rm -f "$out"/printer-*.png
$machine properties "$printer" --printer --script "$out/printer.script" --pictures "$out"
echo "run: the printer sheet's device page after asking the printer for its trays: $out/printer-1.png"

# User tracking on for the printer, and the user's held-job and tracking accounts.
$machine printer-settings "$printer" _USRACTPRN_ENABLED=1
$machine set-account "$printer" SecurePrintID=ana SecurePrintPWD=2468 UserManagePrintID=ana.k UserManagePrintPWD=1357

# An application's job: four pages spooled with the DEVMODE the user sets in the document sheet:
# held (secure print) on the Basic page; on the Layout page two pages per sheet (one click on the
# arrows) and the watermark "CONFIDENTIAL", set in its popup to an angle of its own, 45 degrees;
# Apply, then OK. The sheet's pages and the popup are left as pictures (document-N.png,
# document-watermark.png) and the sheet's DEVMODE is what is printed.
cat >"$out/document.script" <<SCRIPT
choose 1141 セキュリティ印刷
tab 1
spin 2254 1
choose 2402 CONFIDENTIAL
click 2450
click 19204
text 19250 45
picture $PWD/$out/document-watermark.png
click 1
apply
ok
SCRIPT
rm -f "$out"/job*.png "$out"/document-*.png
$machine properties "$printer" --document --script "$out/document.script" --pictures "$out" --devmode "$out/job.devmode"
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
