#!/usr/bin/env bash
# The main job on the built-in demo: builds the project, makes a simulated handheld with memos in
# several categories and protects them with a password, HotSyncs it with this
# desktop (quillet-hotsync loads the Quillet conduit), edits a memo on each side,
# HotSyncs again and shows the HotSync log and the memos of both sides.  It
# ends in the organizer: the extension is registered with it and the
# organizer opens on the demo user's memos (type the password "quillet").  On
# a machine without a display the organizer runs on the offscreen platform
# and saves a picture of its window instead (demo-out/organizer.png).
#
# Everything goes to demo-out/hotsync (the handheld, the HotSync folder, the
# registry); the password file lives in a temporary folder that is removed at
# the end.  Nothing outside those two folders is touched.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -n "${QUILLET_SKIP_BUILD:-}" ] || scripts/build.sh
build=${BUILD_DIR:-build}
hotsync=$build/hosts/hotsync/quillet-hotsync
handheld=$build/tools/quillet-handheld/quillet-handheld
quillet=$build/tools/quillet/quillet
regsvr=$build/tools/regsvr/quillet-regsvr
organizer=$build/hosts/organizer/quillet-organizer

demo=$PWD/demo-out/hotsync
rm -rf "$demo"
mkdir -p "$demo"
export QUILLET_HOME=$demo/home
export QUILLET_CONFIG_HOME=$demo/config
unset XDG_DATA_HOME XDG_CONFIG_HOME QUILLET_CONDUIT
secrets=$(mktemp -d)
trap 'rm -rf "$secrets"' EXIT
password=$secrets/password
(umask 077 && printf 'quillet\n' >"$password")
user="Ann Smith"
desktop="$QUILLET_HOME/HotSync/$user/Quillet/record.dat"

# Prints a command (program name without its folder), then runs it.
run() {
  printf '\n$ %s' "$(basename "$1")"
  printf ' %q' "${@:2}"
  printf '\n'
  "$@"
}
# The desktop position of the memo whose listing contains TEXT.
desktop_position() {
  "$quillet" list "$desktop" --password-file "$password" | awk -v text="$1" 'index($0, text) { print $1; exit }'
}

printf '== A handheld with memos in four categories\n'
run "$handheld" init --user "$user"
run "$handheld" category add Work
run "$handheld" category add Home
run "$handheld" category add 買い物
run "$handheld" add --text "Pick up the dry cleaning"
run "$handheld" add --text $'Quarterly review\nslides due Friday' --category Work
run "$handheld" add --text "Call the plumber about the leak" --category Home
run "$handheld" add --text "牛乳とパンを買う" --category 買い物
run "$handheld" add --text "Bank PIN hint: the blue notebook" --private

printf '\n== The memos are protected with a password (read from a file, never an argument)\n'
run "$handheld" password set --hint "the usual one" --password-file "$password"
run "$handheld" list --password-file "$password"

printf '\n== First HotSync: the handheld never met this desktop, so the sync is slow\n'
run "$hotsync" sync
run "$quillet" list "$desktop" --password-file "$password"

printf '\n== A memo changes on each side\n'
run "$handheld" edit 1 --text "Pick up the dry cleaning before 6pm" --password-file "$password"
position=$(desktop_position "Call the plumber")
run "$quillet" edit "$desktop" "$position" --text "Plumber booked for Tuesday" --password-file "$password"
run "$quillet" add "$desktop" --text "Renew the car insurance" --category 2 --password-file "$password"

printf '\n== Second HotSync: a fast one, changes travel both ways\n'
run "$hotsync" sync

printf '\n== The HotSync log\n'
run "$hotsync" log

printf '\n== Both sides now hold the same memos\n'
run "$quillet" list "$desktop" --password-file "$password"
run "$handheld" list --password-file "$password"

printf '\nDemo files are in %s\n' "$demo"

printf '\n== The organizer: its extension manager and QuilletExt are registered, then it opens\n'
run "$regsvr" "$build/hosts/organizer/libQuilletHostManager.so"
run "$regsvr" "$build/extension/libQuilletExt.so"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QUILLET_DEMO_SCREENSHOT:-}" ]; then
  printf 'The memos are protected: type the password "quillet" into the prompt.\n'
  run "$organizer" --user "$user"
else
  shot=$PWD/demo-out/organizer.png
  printf 'No display: the organizer runs offscreen and answers the password prompt from the password file.\n'
  QT_QPA_PLATFORM=offscreen run "$organizer" --user "$user" --screenshot "$shot" --password-file "$password" \
    2> >(grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR >&2)
  printf 'A picture of the organizer showing the memos is in %s\n' "$shot"
fi
