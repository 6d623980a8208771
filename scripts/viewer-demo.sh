#!/usr/bin/env bash
# Opens the demo's memos in the memo viewer (quillet-viewer).  Runs the HotSync
# demo first when its files are not there yet, then adds a few Japanese memos
# to the desktop file so that the list has something to sort and filter.
#
# The memos are protected: type the demo password "quillet" into the prompt.
# The window needs a display ($DISPLAY or Wayland).  Everything stays under
# demo-out/hotsync.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
demo=$PWD/demo-out/hotsync
export QUILLET_HOME=$demo/home
export QUILLET_CONFIG_HOME=$demo/config
unset XDG_DATA_HOME XDG_CONFIG_HOME
desktop="$QUILLET_HOME/HotSync/Ann Smith/Quillet/record.dat"
if [ ! -f "$desktop" ] || [ ! -x "$build/hosts/viewer/quillet-viewer" ]; then
  scripts/demo.sh >/dev/null
fi
quillet=$build/tools/quillet/quillet
secrets=$(mktemp -d)
trap 'rm -rf "$secrets"' EXIT
(umask 077 && printf 'quillet\n' >"$secrets/password")
if ! "$quillet" list "$desktop" --password-file "$secrets/password" | grep -q '会議'; then
  add() { "$quillet" add "$desktop" --password-file "$secrets/password" "$@" >/dev/null; }
  add --text $'会議の資料を印刷する\n第3会議室、10時から' --category 1
  add --text $'誕生日プレゼント\n花束とケーキを予約' --category 2
  add --text $'週末の買い物リスト\n卵、牛乳、りんご' --category 3
  add --text $'旅行の計画\n京都、紅葉の季節に二泊' --category 0
fi
printf 'The memos are protected: the password is "quillet".\n'
exec "$build/hosts/viewer/quillet-viewer" "$@"
