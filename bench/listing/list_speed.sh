#!/usr/bin/env bash
# Times `quillet list` (text and --json) on a protected record file of 65,535
# memos of about 200 bytes against bench_read_decrypt, a program that only
# reads the file and decrypts every body, as whole processes side by side, and
# prints the median of each with the ratios to the baseline.
#
#   bench/listing/list_speed.sh BUILD_DIR [--runs N] [--kind ascii|japanese|both]
#                               [--same-output-as OTHER_QUILLET]
#
# BUILD_DIR is a build folder configured with QUILLET_WITH_BENCH=ON in which the
# targets quillet, bench_make_listing_file and bench_read_decrypt are built.
# --same-output-as compares, byte for byte, the output of this build's quillet
# with that of another quillet program (an older build, say) on a file of
# awkward texts and on the timed files, and fails when they differ.
set -euo pipefail

usage() {
  echo "usage: $0 BUILD_DIR [--runs N] [--kind ascii|japanese|both] [--same-output-as OTHER_QUILLET]" >&2
  exit 2
}

[[ $# -ge 1 ]] || usage
build=$1
shift
runs=9
kinds=(ascii japanese)
other=
while [[ $# -gt 0 ]]; do
  case $1 in
    --runs) [[ $# -ge 2 ]] || usage; runs=$2; shift 2 ;;
    --kind)
      [[ $# -ge 2 ]] || usage
      case $2 in ascii | japanese) kinds=("$2") ;; both) kinds=(ascii japanese) ;; *) usage ;; esac
      shift 2 ;;
    --same-output-as) [[ $# -ge 2 ]] || usage; other=$2; shift 2 ;;
    *) usage ;;
  esac
done

quillet=$build/tools/quillet/quillet
maker=$build/bench/listing/bench_make_listing_file
baseline=$build/bench/listing/bench_read_decrypt
for program in "$quillet" "$maker" "$baseline" ${other:+"$other"}; do
  [[ -x $program ]] || { echo "$0: $program is not built" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-list-speed.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Milliseconds of one run of a command, its output thrown away: the elapsed
# time, then the processor time (user and system).
time_ms() {
  local TIMEFORMAT='%3R %3U %3S' times
  times=$({ time "$@" >/dev/null; } 2>&1)
  awk -v t="$times" 'BEGIN { split(t, v, " "); printf "%.1f %.1f\n", v[1] * 1000, (v[2] + v[3]) * 1000 }'
}

# The median of one column of a file of timings.
median() {
  cut -d' ' -f"$1" "$2" | sort -n |
    awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Runs quillet list in each of its forms on one file, both programs, and
# compares the outputs.
same_output() {
  local dir=$1 form status=0
  for form in "" "--json" "--all" "--all --json"; do
    # shellcheck disable=SC2086
    "$quillet" list "$dir/record.dat" $form --password-file "$dir/password" >"$dir/new.out"
    # shellcheck disable=SC2086
    "$other" list "$dir/record.dat" $form --password-file "$dir/password" >"$dir/old.out"
    if cmp -s "$dir/new.out" "$dir/old.out"; then
      echo "same output: list ${form:-(text)} on $(basename "$dir") ($(wc -c <"$dir/new.out") bytes)"
    else
      echo "DIFFERENT OUTPUT: list ${form:-(text)} on $(basename "$dir")" >&2
      status=1
    fi
  done
  return $status
}

status=0
if [[ -n $other ]]; then
  mkdir "$work/mixed"
  "$maker" "$work/mixed" --kind mixed --count 5000
  same_output "$work/mixed" || status=1
fi

echo "median of $runs runs; elapsed time first, processor time (user + system) in parentheses"
printf '%-9s %18s %18s %18s %15s %15s\n' file baseline_ms text_ms json_ms text_ratio json_ratio
for kind in "${kinds[@]}"; do
  dir=$work/$kind
  mkdir "$dir"
  "$maker" "$dir" --kind "$kind"
  if [[ -n $other ]]; then same_output "$dir" >&2 || status=1; fi
  file=$dir/record.dat
  pass=$dir/password
  # One untimed round warms the page cache; the rounds then interleave the
  # three programs so that a change in the machine's load touches all alike.
  "$baseline" "$file" "$pass" >/dev/null
  : >"$dir/base.ms"; : >"$dir/text.ms"; : >"$dir/json.ms"
  for ((r = 0; r < runs; r++)); do
    time_ms "$baseline" "$file" "$pass" >>"$dir/base.ms"
    time_ms "$quillet" list "$file" --password-file "$pass" >>"$dir/text.ms"
    time_ms "$quillet" list "$file" --json --password-file "$pass" >>"$dir/json.ms"
  done
  awk -v k="$kind" \
    -v b="$(median 1 "$dir/base.ms")" -v t="$(median 1 "$dir/text.ms")" -v j="$(median 1 "$dir/json.ms")" \
    -v bc="$(median 2 "$dir/base.ms")" -v tc="$(median 2 "$dir/text.ms")" -v jc="$(median 2 "$dir/json.ms")" \
    'BEGIN { printf "%-9s %8.1f (%7.1f) %8.1f (%7.1f) %8.1f (%7.1f) %6.2fx (%5.2fx) %6.2fx (%5.2fx)\n",
             k, b, bc, t, tc, j, jc, t / b, tc / bc, j / b, jc / bc }'
done
exit $status
