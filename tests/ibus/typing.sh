#!/usr/bin/env bash
# Types Romanesh with xdotool into a GTK 3 entry and a Qt line edit while ibus-daemon, on the
# session bus of its own that dbus-run-session gives, runs the built engine; what arrives must
# be what zefra-convert makes of the same text. Run as:
#   xvfb-run -a dbus-run-session -- typing.sh BUILD_DIR QT_PROBE [sanitized]
# ("sanitized": a sanitizer build, whose shadow memory leaves the engine's size unmeasured).
# Exits 77 (skipped) when ibus, its GTK module or xdotool is missing.
set -uo pipefail
build=$(realpath "$1")
qt_probe=$2
sanitized=${3:-}
here=$(dirname "$(realpath "$0")")
python=/usr/bin/python3

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; [[ -n ${work:-} ]] && tail -n 20 "$work"/*.out "$work/daemon.log"; exit 1; }
command -v ibus-daemon >/dev/null && command -v ibus >/dev/null || skip "no ibus-daemon"
command -v xdotool >/dev/null || skip "no xdotool"
compgen -G "/usr/lib/*/gtk-3.0/3.0.0/immodules/im-ibus.so" >/dev/null || skip "no ibus-gtk3"
"$python" -c 'import gi; gi.require_version("Gtk", "3.0")' 2>/dev/null || skip "no GTK 3 for Python"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A user of its own: settings, dictionary and ibus-daemon's files all in the work folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/run GSETTINGS_BACKEND=memory
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/component" "$work/app"
chmod 700 "$XDG_RUNTIME_DIR"
# The engine takes $work/app for the window's directory: the dictionary stands there, and the
# shipped data beside it.
ln -s "$build/share" "$work/share"
sed "s|--program-dir [^<]*|--program-dir $work/app|" "$build/ibus/component/zefra.xml" \
  >"$work/component/zefra.xml"
export IBUS_COMPONENT_PATH=$work/component

# Waits up to 10 s for a command to succeed.
within() {
  local deadline=$((SECONDS + 10))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

ibus-daemon -v --panel=disable --emoji-extension=disable --config=disable --cache=none \
  >"$work/daemon.log" 2>&1 &
pids+=($!)
within bash -c 'ibus list-engine 2>/dev/null | grep -q "zefra - Persian (Zefra Romanesh)"' ||
  fail "ibus-daemon does not list the engine"
within ibus engine zefra 2>/dev/null || fail "the engine cannot be chosen"

convert() { printf '%s\n' "$1" | "$build/tools/zefra-convert" "${@:2}"; }
last() { grep "^$2:" "$work/$1.out" | tail -n 1 | cut -d: -f2-; }
# Waits until the program's last line of the kind shows the text.
expect() {
  within bash -c "[[ \"\$(grep '^$2:' '$work/$1.out' | tail -n 1 | cut -d: -f2-)\" == \"\$0\" ]]" "$3" ||
    fail "$1 shows $2 '$(last "$1" "$2")', not '$3'"
}

# Starts a program whose window is titled name and gives it the keyboard.
start() {
  local name=$1
  shift
  "$@" "$name" >"$work/$name.out" 2>"$work/$name.err" &
  pids+=($!)
  local window
  window=$(timeout 10 xdotool search --sync --name "^$name\$" | head -n 1)
  [[ -n $window ]] || fail "$name did not open"
  xdotool windowfocus --sync "$window" || fail "$name did not take the focus"
}

type_into() {
  local name=$1
  local sentence='salam, khoobi? mer30 az hame; '
  xdotool type --delay 40 "$sentence"
  local text
  text=$(convert "$sentence")
  expect "$name" TEXT "$text"
  xdotool type --delay 40 'ketab'
  expect "$name" PREEDIT "$(convert ketab)"
  # Escape gives the word in Latin letters.
  xdotool key Escape
  text+=ketab
  expect "$name" TEXT "$text"
  # The second candidate: the first similar word whose Persian differs. In the first program,
  # with an empty dictionary as the window writes it, the choice is added to it.
  [[ $name == zefra-gtk ]] && for section in 'Whole Words' 'Polite Words' 'Chat Words' \
    'Suffix Words' 'Prefix Words' 'Middle Words' 'English Words'; do
    printf '[%s]\r\n\r\n' "$section"
  done >"$work/app/Zefra.txt"
  xdotool type --delay 40 'sabt'
  xdotool key Tab Down Return
  text+=$(convert 'sabt`')
  expect "$name" TEXT "$text"
}

start zefra-gtk env GTK_IM_MODULE=ibus "$python" "$here/gtk_entry.py"
type_into zefra-gtk
within grep -q '^sabt=sabt`' "$work/app/Zefra.txt" || fail "the chosen spelling was not added"
rm "$work/app/Zefra.txt"
start zefra-qt env QT_IM_MODULE=ibus QT_QPA_PLATFORM=xcb "$qt_probe"
type_into zefra-qt

# Caps Lock: the word goes unchanged, and in small letters, for Caps Lock is off again.
text=$(last zefra-qt TEXT)
xdotool key Caps_Lock
xdotool type --delay 40 'salam '
xdotool key Caps_Lock
xdotool type --delay 40 'salam '
expect zefra-qt TEXT "${text}salam $(convert 'salam ')"

# Without the window's files the engine uses the defaults, and says so once.
notes=$(grep -c "zefra-ibus: no settings in" "$work/daemon.log")
((notes == 1)) || fail "the missing settings were told $notes times"

# ibus-daemon restarted: the engine comes back as it was.
ibus restart >/dev/null 2>&1 || fail "ibus-daemon did not restart"
within bash -c 'ibus list-engine 2>/dev/null | grep -q "Zefra Romanesh"' || fail "no engine after the restart"
within ibus engine zefra 2>/dev/null || fail "the engine cannot be chosen after the restart"
text=$(last zefra-qt TEXT)
xdotool type --delay 40 'khoobi? '
expect zefra-qt TEXT "${text}$(convert 'khoobi? ')"

# The window's files change: the engine reads them again without a restart.
printf '[English Words]\nzefra=Whole\n' >"$work/app/Zefra.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvel Software Company"
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Quorvel Software Company\\Zefra]\n"Trans.Chat Mode"=dword:00000000\n"Trans.Smart Spelling"=dword:00000001\n' \
  >"$XDG_CONFIG_HOME/Quorvel Software Company/Zefra.reg"
sentence='zefra mer30 ketab '
xdotool key ctrl+a BackSpace
xdotool type --delay 40 "$sentence"
expect zefra-qt TEXT "$(convert "$sentence" --dictionary "$work/app/Zefra.txt" --chat=off --smart=on)"

# With smart spelling's word lists loaded, the engine's own memory stays under 50 MB; the
# libraries' pages (Qt Core, GLib, IBus) come on top, shared with the desktop's other programs.
engine=$(pgrep -f "zefra-ibus --ibus --program-dir $work/app" | head -n 1)
[[ -n $engine ]] || fail "no engine runs"
own=$(awk '/^Anonymous:/ { print $2 }' "/proc/$engine/smaps_rollup")
resident=$(awk '/^Rss:/ { print $2 }' "/proc/$engine/smaps_rollup")
echo "zefra-ibus: $((own / 1024)) MB of its own, $((resident / 1024)) MB resident"
[[ -n $sanitized ]] || ((own < 50 * 1024)) || fail "zefra-ibus holds $((own / 1024)) MB of its own"
echo "PASS"
