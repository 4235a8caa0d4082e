#!/usr/bin/env bash
# The desktop program on Windows, end to end under Wine with a virtual
# display and real input:
#   1. the setup program installs silently (/S) into a Wine prefix of the
#      test's own: the programs, the Start menu shortcut, the uninstaller and
#      the sample theater in the user's documents;
#   2. the installed lorvane.exe, started by the shortcut (the sample open
#      with its first tile), loads tile H001.PCX through the tile dialog,
#      draws three segments, undoes one and saves with the proposed name;
#   3. the native lorvane does the same on a copy of the native sample, and
#      the two saves, lorvane-cli.exe info --json of the one and lorvane-cli
#      info --json of the other, and render's PNG of the drawn tile from
#      each side are the same bytes;
#   4. the settings are in HKEY_CURRENT_USER\Software\Hollin\Quistral (wine
#      reg query), the recovery journal was in %APPDATA%\Hollin\Recovery,
#      the theaters came from the start-up folder's Quistral.ini;
#   5. the uninstaller (/S) leaves nothing of the program but the user's
#      files.
# Wine's status is never taken as the answer (a setup stub that cannot run
# still exits 0): every step checks the files and keys it should have made.
#
# Environment: LORVANE_SETUP (the setup program), LORVANE_APP and
# LORVANE_NATIVE_CLI (the native build's), LORVANE_NATIVE_SAMPLE, and
# LORVANE_WINE_HOME (a folder in the build for the prefix and its home).
# LORVANE_SCREENSHOT_DIR, when set, receives screenshots of the steps.
set -euo pipefail

for tool in Xvfb xvfb-run xdotool import python3; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing (tools/install_deps.sh installs it)"; exit 0; }
done
: "${LORVANE_SETUP:?}" "${LORVANE_APP:?}" "${LORVANE_NATIVE_CLI:?}" "${LORVANE_NATIVE_SAMPLE:?}" "${LORVANE_WINE_HOME:?}"

here=$(dirname "$(readlink -f "$0")")
inputs=$here/../scripts/e2e_inputs.sh
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && "$wineserver" -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# wait_for SECONDS DESCRIPTION COMMAND...: until the command succeeds.
wait_for() {
  local limit=$1 what=$2
  shift 2
  for ((i = 0; i < limit * 4; ++i)); do
    "$@" && return 0
    sleep 0.25
  done
  fail "$what (waited $limit s)"
}

# --- the prefix: its own home, so the documents folder is inside the build
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader=$(command -v wine64)
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
rm -rf "$LORVANE_WINE_HOME"
mkdir -p "$LORVANE_WINE_HOME/home"
export HOME=$LORVANE_WINE_HOME/home WINEPREFIX=$LORVANE_WINE_HOME/prefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY
wine() { "$loader" "$@"; }
# The Windows name of a file of the prefix.
winepath() { DISPLAY= "$loader" winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }
DISPLAY= wine wineboot.exe --init >/dev/null 2>&1
"$wineserver" -w
user_dir=$WINEPREFIX/drive_c/users/$(id -un)
# The shell folders are links to the home; the documents become a folder of
# the prefix, as on Windows.
rm -f "$user_dir/Documents"
mkdir -p "$user_dir/Documents"
# Wine's own fonts, and the dialog fonts mapped to DejaVu Sans, the font of
# the native program under Xvfb.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
cat >"$work/fonts.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Shell Dlg"="DejaVu Sans"
"MS Shell Dlg 2"="DejaVu Sans"
"Tahoma"="DejaVu Sans"
"Segoe UI"="DejaVu Sans"
REG
DISPLAY= wine regedit.exe /S "$(winepath "$work/fonts.reg")" >/dev/null 2>&1
"$wineserver" -w

install_dir=$user_dir/AppData/Local/Programs/Lorvane
sample=$user_dir/Documents/Lorvane/Sample
shortcut=$user_dir/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Lorvane.lnk
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lorvane'

# --- 1. the silent install
cp "$LORVANE_SETUP" "$work/setup.exe"
(cd "$work" && DISPLAY= wine setup.exe /S) >/dev/null 2>&1 || true
wait_for 60 "the setup installed lorvane.exe" test -f "$install_dir/lorvane.exe"
wait_for 60 "the setup made the uninstaller" test -f "$install_dir/Uninstall.exe"
"$wineserver" -w
for file in lorvane-cli.exe liblorvane-image-writer.dll sample/Texture.bin LICENSES/LGPL-3.0-only.txt; do
  [ -f "$install_dir/$file" ] || fail "the setup did not install $file"
done
[ -f "$shortcut" ] || fail "no Start menu shortcut"
cmp -s "$sample/Texture.bin" "$LORVANE_NATIVE_SAMPLE/Texture.bin" || fail "no sample theater in the documents"
[ -f "$sample/Quistral.ini" ] || fail "no Quistral.ini in the documents' sample"
DISPLAY= wine reg query "$uninstall_key" /v UninstallString 2>/dev/null | grep -q 'Uninstall.exe' ||
  fail "no uninstall entry"

# --- 2. the drawing steps, the same on both sides
cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
# drive.sh INPUTS TILE SAVED: the steps, on the display of $DISPLAY, with
# the program already starting; TILE is typed into the tile dialog and SAVED
# is the file the save writes.
set -uo pipefail
source "$1"
tile=$2 saved=$3
wait_loaded
# The tile's own place on the screen, the sample's water found in a
# screenshot: the window's menu bar is Qt's on Linux and the system's on
# Windows, one pixel apart in height, and the viewer, which fills the
# window, centres the tile. The clicks are placed from it (tile_origin).
tile_origin "Texture.bin$" water
shot 1-opened
# Load Tile (Alt+L): the tile dialog takes the typed path.
keys_to "Texture.bin$" alt+l
keys_to "^Select a Tile or Enter Tile Offset Number$" ctrl+a
xdotool type --delay 40 "$tile"
sleep 0.3
xdotool key Return
sleep 1
shot 2-tile
# New Path (Alt+P) as proposed; three segments, a right click ends the
# path. The points are clicked where points of the feet grid (100 feet,
# set in both programs' settings) lie on the screen, clear of the tile's
# river: each click snaps to its grid point, so a tile a pixel larger on
# one side still gives the same feet.
keys_to "Texture.bin$" alt+p
keys_to "^New Path$" Return
for feet in "500 400" "1200 900" "700 1600" "400 2600"; do
  read -r px py <<<"$(at_feet $feet)"
  xdotool mousemove --sync "$px" "$py"; sleep 0.3
  click "$px" "$py"
done
click "$px" "$py" 3
shot 3-path
if [ -n "${JOURNAL_FOLDER:-}" ]; then
  for ((i = 0; i < 240; ++i)); do compgen -G "$JOURNAL_FOLDER/*.journal" >/dev/null && break; sleep 0.25; done
  compgen -G "$JOURNAL_FOLDER/*.journal" >/dev/null && touch "$JOURNAL_SEEN"
fi
# Undo one segment.
keys_to "Texture.bin$" ctrl+z
shot 4-undone
# Save (Alt+S) with the proposed name, the opened file; wait for it.
before=$(cksum <"$saved")
keys_to "Texture.bin$" alt+s
keys_to "^Save Texture.bin File$" Return
for ((i = 0; i < 240; ++i)); do
  [ "$(cksum <"$saved")" != "$before" ] && break
  sleep 0.25
done
sleep 1
shot 5-saved
DRIVE
chmod +x "$work/drive.sh"

[ -z "${LORVANE_SCREENSHOT_DIR:-}" ] || mkdir -p "$LORVANE_SCREENSHOT_DIR/linux" "$LORVANE_SCREENSHOT_DIR/windows"
# The native side: a copy of the native sample, the program started in it
# as make run starts it.
mkdir -p "$work/linux/home/.config/Hollin"
printf '[Editor]\nGridStep=100\n' >"$work/linux/home/.config/Hollin/Quistral.conf"
cp -r "$LORVANE_NATIVE_SAMPLE" "$work/linux/Sample"
native_save=$work/linux/Sample/Texture.bin
(
  cd "$work/linux/Sample"
  export HOME=$work/linux/home XDG_CONFIG_HOME=$work/linux/home/.config
  LORVANE_SCREENSHOT_DIR=${LORVANE_SCREENSHOT_DIR:+$LORVANE_SCREENSHOT_DIR/linux} \
    timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
      "$0" Texture.bin tiles/H000.PCX >"$1/app.log" 2>&1 &
      app=$!
      "$2" "$3" "$4" "$5"
      status=$?
      kill $app 2>/dev/null
      exit $status' "$LORVANE_APP" "$work/linux" "$work/drive.sh" "$inputs" \
      "$work/linux/Sample/tiles/H001.PCX" "$native_save"
) || { cat "$work/linux/app.log" 2>/dev/null; fail "the native steps failed"; }
cmp -s "$native_save" "$LORVANE_NATIVE_SAMPLE/Texture.bin" && fail "the native program did not save"

# The Windows side: the installed program, started by its shortcut, on its
# own X server.
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$work/display" 2>/dev/null &
xvfb_pid=$!
wait_for 60 "Xvfb gave no display" test -s "$work/display"
export DISPLAY=:$(head -1 "$work/display")
journal_folder=$user_dir/AppData/Roaming/Hollin/Recovery
# The program is started by its shortcut: in the sample folder, with the
# sample database and its first tile.
# Wine's desktop process must start on the display: the server of the
# headless steps before ends first.
tile_name=$(winepath "$sample/tiles/H001.PCX")
# The Fusion style, as the native program has under Xvfb: the Windows
# style's wider scroll bars would leave the viewer fewer pixels, and the
# same clicks would be other feet. Wine passes no QT_ variable of the Unix
# environment on; the user's environment in the registry it does.
DISPLAY= wine reg add 'HKCU\Environment' /v QT_STYLE_OVERRIDE /d fusion /f >/dev/null 2>&1
# The feet grid of the drawing steps, as on the native side.
DISPLAY= wine reg add 'HKCU\Software\Hollin\Quistral\Editor' /v GridStep /d 100 /f >/dev/null 2>&1
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true
wine start /unix "$shortcut" >"$work/wine.log" 2>&1 || true
JOURNAL_FOLDER=$journal_folder JOURNAL_SEEN=$work/journal-seen \
  LORVANE_SCREENSHOT_DIR=${LORVANE_SCREENSHOT_DIR:+$LORVANE_SCREENSHOT_DIR/windows} \
  timeout 300 "$work/drive.sh" "$inputs" "$tile_name" \
  "$sample/Texture.bin" || { cat "$work/wine.log"; fail "the steps under Wine failed"; }
[ -f "$work/journal-seen" ] || fail "no recovery journal in %APPDATA%\\Hollin\\Recovery while the drawing was unsaved"
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true
windows_save=$sample/Texture.bin
cmp -s "$windows_save" "$LORVANE_NATIVE_SAMPLE/Texture.bin" && fail "lorvane.exe did not save"

# --- 3. the same bytes from both sides
cli_exe() { (cd "$sample" && DISPLAY= wine "$install_dir/lorvane-cli.exe" "$@"); }
"$LORVANE_NATIVE_CLI" info --json "$native_save" >"$work/native.json"
cli_exe info --json Texture.bin >"$work/windows.json"
# Three segments drawn, one undone: the save holds two more than the sample.
"$LORVANE_NATIVE_CLI" info --json "$LORVANE_NATIVE_SAMPLE/Texture.bin" >"$work/sample.json"
segments() { grep -o '"startX"' "$1" | wc -l; }
[ "$(segments "$work/native.json")" -eq $(($(segments "$work/sample.json") + 2)) ] ||
  fail "the native save does not hold the 2 segments: $(cat "$work/native.json")"
if ! cmp "$work/native.json" "$work/windows.json"; then
  # The text about the first difference, from each side.
  at=$(cmp "$work/native.json" "$work/windows.json" | sed -n 's/.* byte \([0-9]*\),.*/\1/p' || true)
  from=$((at > 200 ? at - 200 : 1))
  echo "native:  $(cut -c "$from-$((at + 200))" "$work/native.json")" >&2
  echo "windows: $(cut -c "$from-$((at + 200))" "$work/windows.json")" >&2
  fail "info --json of the two saves differ"
fi
cmp "$native_save" "$windows_save" || fail "the two saves differ"
(cd "$work/linux/Sample" && "$LORVANE_NATIVE_CLI" render tiles/H001.PCX --texture Texture.bin -o "$work/native.png")
cli_exe render tiles/H001.PCX --texture Texture.bin -o H001-drawn.png
cmp "$work/native.png" "$sample/H001-drawn.png" || fail "render's pictures of the drawn tile differ"
rm -f "$sample/H001-drawn.png"

# --- 4. where the program keeps its things
settings=$(DISPLAY= wine reg query 'HKCU\Software\Hollin\Quistral' 2>/dev/null | tr -d '\r')
echo "$settings"
grep -q 'File1.*REG_SZ.*Texture\.bin' <<<"$settings" || fail "the recent files are not in HKCU\\Software\\Hollin\\Quistral"
[ -d "$journal_folder" ] || fail "no recovery folder %APPDATA%\\Hollin\\Recovery"
# TileInfo.dat goes to the start-up folder at every save: the shortcut's
# folder, the sample's, where Quistral.ini was read.
[ -f "$sample/TileInfo.dat" ] || fail "no TileInfo.dat in the start-up folder"

# --- 5. the silent uninstall
(cd "$work" && DISPLAY= wine "$install_dir/Uninstall.exe" /S) >/dev/null 2>&1 || true
wait_for 60 "the uninstaller left the program folder" test ! -e "$install_dir"
"$wineserver" -w
[ ! -e "$shortcut" ] || fail "the shortcut is left"
if DISPLAY= wine reg query "$uninstall_key" >/dev/null 2>&1; then fail "the uninstall entry is left"; fi
if DISPLAY= wine reg query 'HKCU\Software\Classes\Applications\lorvane.exe' >/dev/null 2>&1; then
  fail "the Open with entry is left"
fi
cmp -s "$sample/Texture.bin" "$native_save" || fail "the user's saved Texture.bin did not stay"
echo "PASS"
