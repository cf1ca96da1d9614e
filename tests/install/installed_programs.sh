#!/usr/bin/env bash
# Installs the build into a throw-away root (DESTDIR and a prefix of its own) and uses the
# installed programs from there, away from the build tree, as a user would.
# Usage: installed_programs.sh BUILD_DIR   (run under xvfb-run)
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
zefra_pid=
cleanup() {
  [[ -n $zefra_pid ]] && kill "$zefra_pid" 2>/dev/null
  chmod -R u+w "$work"
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix=/opt/zefra-test
DESTDIR="$work/root" cmake --install "$build" --prefix "$prefix" >/dev/null
installed="$work/root$prefix"
# Moving the whole tree shows that nothing in it names where it was installed.
mv "$installed" "$work/moved"
installed="$work/moved"

for file in bin/zefra bin/zefra-convert share/zefra/fa_50k.txt share/zefra/LICENSE-fa_50k \
  share/man/man1/zefra.1.gz share/man/man1/zefra-convert.1.gz \
  share/bash-completion/completions/zefra-convert share/icons/hicolor/scalable/apps/com.quorvel.Zefra.svg \
  share/icons/hicolor/48x48/apps/com.quorvel.Zefra.png share/icons/hicolor/256x256/apps/com.quorvel.Zefra.png; do
  [[ -s "$installed/$file" ]] || fail "$file is not installed"
done
# ibus-daemon starts the input method by the absolute name its component file gives.
if [[ -x "$build/ibus/zefra-ibus" ]]; then
  [[ -x "$installed/libexec/zefra-ibus" ]] || fail "libexec/zefra-ibus is not installed"
  grep -q "<exec>$prefix/libexec/zefra-ibus " "$installed/share/ibus/component/zefra.xml" ||
    fail "the IBus component file does not name the installed engine"
fi
desktop-file-validate "$installed/share/applications/com.quorvel.Zefra.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$installed/share/metainfo/com.quorvel.Zefra.metainfo.xml" >/dev/null ||
  fail "AppStream metadata"

# Without aspell on the PATH, only the installed frequency list can make "ketab" کتاب.
converted=$(echo 'ketab' | env -i PATH=/nonexistent "$installed/bin/zefra-convert" --smart=on)
[[ $converted == 'کتاب' ]] || fail "zefra-convert gave '$converted', not the listed spelling"

# The window, as a new user: the first-run note comes before anything is saved.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
settings="$XDG_CONFIG_HOME/Quorvel Software Company/Zefra.reg"
# Installed where the user may not write, the dictionary is the user's own.
if [[ $(id -u) -ne 0 ]]; then
  chmod a-w "$installed/bin"
  dictionary="$XDG_DATA_HOME/Quorvel Software Company/Zefra/Zefra.txt"
else
  dictionary="$installed/bin/Zefra.txt"
fi
"$installed/bin/zefra" 2>"$work/zefra.err" &
zefra_pid=$!
note=$(timeout 30 xdotool search --sync --onlyvisible --pid "$zefra_pid" --name '^Zefra$' | head -1) ||
  fail "no first-run note: $(cat "$work/zefra.err")"
[[ ! -e $settings ]] || fail "settings were written before the first-run note was read"
# No window manager runs here to activate it: the focus is set directly.
xdotool windowfocus --sync "$note" key --clearmodifiers Return
timeout 30 xdotool search --sync --onlyvisible --pid "$zefra_pid" --name '^Advanced Romanesh' >/dev/null ||
  fail "no main window after the note"
for _ in $(seq 100); do [[ -s $settings ]] && break; sleep 0.1; done
[[ -s $settings ]] || fail "the settings were not written after the note"
kill -TERM "$zefra_pid"
wait "$zefra_pid" || fail "zefra ended with status $?"
zefra_pid=
[[ -f $dictionary ]] || fail "the dictionary was not saved as $dictionary"
echo "installed programs work"
