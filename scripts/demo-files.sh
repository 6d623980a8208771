#!/usr/bin/env bash
# The desktop files demo: builds the project, writes two demo memo files (one of them
# protected by the password "quillet") with the quillet tool, and lists, shows and
# adds memos in them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
quillet=build/tools/quillet/quillet
plain=demo-out/plain/record.dat
secret=demo-out/protected/record.dat

# Prints a command, then runs it.
run() { printf '\n$ quillet'; printf ' %q' "${@:2}"; printf '\n'; "$@"; }

rm -rf demo-out
run $quillet demo demo-out
run $quillet list $plain
printf '\n$ echo quillet | quillet list %s --password-stdin\n' $secret
echo quillet | $quillet list $secret --password-stdin
run $quillet show $plain 2
run $quillet add $plain --category 1 --text $'Call the printer\nabout the new business cards'
run $quillet list $plain --all
