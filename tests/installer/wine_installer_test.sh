#!/usr/bin/env bash
# End-to-end test of installer.exe under Wine, in a fresh prefix under the build folder:
#   1. "-silent" with four entries (a program, a help file, one "NEIN!", one "VERLOK!"):
#      files, Start-menu and desktop links (read back through the shell's link object),
#      the uninstall entry's two values, nothing started;
#   2. a corrupted script: the "corrupted" message, closed with xdotool, nothing installed;
#   3. a normal run driven with xdotool: "Next >", the completion message, the same result,
#      and the installed program started.
# Usage: wine_installer_test.sh WIN32_BUILD_DIR LINKPROBE_DIR WORK_DIR. Exit 77 (skipped) without
# Wine.
set -euo pipefail

exe_dir=$(cd "$1" && pwd)
probe_dir=$(cd "$2" && pwd)
work=$(mkdir -p "$3" && cd "$3" && pwd)
for tool in wine wineboot wineserver; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed; the Win32 installer is not tested under Wine."
    exit 77
  fi
done
for tool in xvfb-run xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "FAIL: $tool is missing; scripts/setup installs it."
    exit 1
  fi
done
if [ -z "${INSTALLER_TEST_DISPLAY:-}" ]; then
  INSTALLER_TEST_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

rm -rf "$work"
mkdir -p "$work/home"
export WINEPREFIX="$work/prefix" WINEARCH=win64 HOME="$work/home" WINEDEBUG=-all
# No Mono or Gecko prompts, and no menu entries of the host from the links the installer makes.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_file() { [ -f "$1" ] || fail "missing $1"; }
expect_none() { [ ! -e "$1" ] || fail "unexpected $1"; }

# Waits up to $2 seconds for a window titled $1 and prints its id.
wait_window() {
  local id
  for _ in $(seq 1 $(($2 * 4))); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | tail -1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.25
  done
  return 1
}

# Waits up to $2 seconds for process $1 to end.
wait_process() {
  for _ in $(seq 1 $(($2 * 4))); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.25
  done
  return 1
}

echo "Preparing the Wine prefix..."
wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
wineserver -w || true

pkg="$work/package"
mkdir -p "$pkg"
cp "$exe_dir/installer.exe" "$pkg/"
cp "$probe_dir/linkprobe.exe" "$pkg/main.exe"
head -c 5000 /dev/urandom >"$pkg/help.chm"
printf 'read me\r\n' >"$pkg/readme.txt"
head -c 3000 /dev/urandom >"$pkg/uninst.exe"

write_script() { # $1 header line
  printf '%s\r\nNicht ver\xe4ndern, nicht l\xf6schen!\r\nSample\r\nC:\\Programme\\Sample\r\nSample Group\r\nunused\r\n4\r\nmain.exe\r\nSample\r\nhelp.chm\r\nSample Help\r\nreadme.txt\r\nNEIN!\r\nuninst.exe\r\nVERLOK!\r\n\r\n' "$1" >"$pkg/Install.log"
}

drive_c="$WINEPREFIX/drive_c"
dest="$drive_c/Program Files/Sample"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sample'

find_link() { find -L "$drive_c/users" -path "*$1" -print -quit 2>/dev/null || true; }

check_link() { # $1 unix path of the .lnk, $2 expected Windows target
  local out="$work/link.txt"
  rm -f "$out"
  wine "$probe_dir/linkprobe.exe" "$(winepath -w "$1")" "$(winepath -w "$out")" >/dev/null 2>&1 || true
  if [ ! -f "$out" ]; then fail "link $1 not readable"; return; fi
  local target folder show
  { read -r target; read -r folder; } < <(tr -d '\r' <"$out")
  # The shell reads any show command but three as "normal"; the file keeps what was set.
  show=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  [ "$target" = "$2" ] || fail "link $1 points at '$target', expected '$2'"
  [ "$folder" = 'C:\Program Files\Sample\' ] || fail "link $1 works in '$folder'"
  [ "$show" = 5 ] || fail "link $1 show command $show"
}

check_installed() { # $1 "started" or "not started"
  for f in main.exe help.chm readme.txt; do
    cmp -s "$pkg/$f" "$dest/$f" || fail "$f not installed byte for byte"
  done
  expect_none "$dest/uninst.exe"
  cmp -s "$pkg/uninst.exe" "$drive_c/windows/uninst.exe" || fail "uninst.exe not in the Windows folder"
  local group
  group=$(find_link "/Programs/Sample Group/Sample.lnk")
  [ -n "$group" ] || fail "no Start-menu link Sample.lnk"
  [ -z "$group" ] || check_link "$group" 'C:\Program Files\Sample\main.exe'
  local help
  help=$(find_link "/Programs/Sample Group/Sample Help.lnk")
  [ -n "$help" ] || fail "no Start-menu link Sample Help.lnk"
  [ -z "$help" ] || check_link "$help" 'C:\Program Files\Sample\help.chm'
  [ -z "$(find_link "/Programs/Sample Group/readme.txt.lnk")$(find_link "/Programs/Sample Group/NEIN!.lnk")" ] ||
    fail "a link for the NEIN! entry"
  [ -z "$(find_link "/Programs/Sample Group/Uninstall.lnk")" ] || fail "Uninstall.lnk in a machine-wide installation"
  local desktop
  desktop=$(find_link "/Desktop/Sample.lnk")
  [ -n "$desktop" ] || fail "no desktop link Sample.lnk"
  [ -z "$desktop" ] || check_link "$desktop" 'C:\Program Files\Sample\main.exe'
  [ -z "$(find_link "/Desktop/Sample Help.lnk")" ] || fail "a desktop link for the help file"
  local values
  values=$(wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
  grep -q 'DisplayName    REG_SZ    Sample$' <<<"$values" || fail "DisplayName: $values"
  grep -qF 'UninstallString    REG_SZ    C:\windows\uninst.exe "C:\Program Files\Sample\"' <<<"$values" ||
    fail "UninstallString: $values"
  if [ "$1" = started ]; then
    for _ in $(seq 1 40); do [ -f "$dest/started.txt" ] && break; sleep 0.25; done
    expect_file "$dest/started.txt"
  else
    expect_none "$dest/started.txt"
  fi
}

uninstall() {
  rm -rf "$dest" "$drive_c/windows/uninst.exe"
  find -L "$drive_c/users" \( -name 'Sample Group' -o -name 'Sample.lnk' \) -exec rm -rf {} + 2>/dev/null || true
  wine reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
}

echo "1. Silent installation"
write_script "Tolvar Instavor 2.0 - Install.log"
timeout 60 wine "$pkg/installer.exe" -silent >/dev/null 2>&1 || fail "silent run did not end"
check_installed "not started"

echo "2. Corrupted script"
uninstall
write_script "tolvar instavor 2.0 - Install.log"
wine "$pkg/installer.exe" >/dev/null 2>&1 &
pid=$!
if box=$(wait_window "Installation canceled!" 30); then
  xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key --clearmodifiers Return
  wait_process "$pid" 20 || fail "installer did not end after the corrupted message"
else
  fail "no \"Installation canceled!\" message"
fi
kill "$pid" 2>/dev/null || true
expect_none "$dest"
[ -z "$(find_link "/Desktop/Sample.lnk")" ] || fail "a desktop link from a corrupted script"

echo "3. Installation through the windows"
write_script "Tolvar Instavor 2.0 - Install.log"
wine "$pkg/installer.exe" >/dev/null 2>&1 &
pid=$!
if welcome=$(wait_window "Tolvar Install" 30); then
  # Without a window manager Wine's X window is the client area: "Next >" lies 194 pixels left
  # of its right edge and 290 below its top, 89 x 25.
  eval "$(xdotool getwindowgeometry --shell "$welcome")"
  xdotool mousemove --window "$welcome" $((WIDTH - 194 + 44)) $((290 + 12))
  xdotool click 1
  if box=$(wait_window "Installation finished" 60); then
    xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key --clearmodifiers Return
  else
    fail "no \"Installation finished\" message"
  fi
  wait_process "$pid" 30 || fail "installer did not end after the completion message"
else
  fail "no welcome window"
fi
kill "$pid" 2>/dev/null || true
check_installed started

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s); the prefix stays in $work for a look"
  exit 1
fi
# A prefix takes several hundred megabytes: only a failed run keeps it.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
rm -rf "$work"
echo "All Wine installer checks passed."
