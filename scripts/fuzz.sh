#!/usr/bin/env bash
# Fuzzes every parser of outside input: builds the fuzz targets with clang,
# libFuzzer, AddressSanitizer and UBSan in build-fuzz, then runs each target
# for SECONDS_PER_TARGET seconds (default 60) on a copy of its committed corpus.
# New inputs and crash reproducers go to build-fuzz/findings/<run>/<target>/;
# the committed corpus is not changed.  Exits 1 when any target crashed, hung
# or ran out of memory, after naming each reproducer.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]
# FUZZ_TARGETS="DeviceFile RegistryFile" limits the run to some targets;
# FUZZ_ARGS passes further libFuzzer options (e.g. "-max_len=65536").
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((seconds == 0)); then
  echo "usage: scripts/fuzz.sh [SECONDS_PER_TARGET]" >&2
  exit 2
fi

scripts/install-deps.sh clang-14 libclang-rt-14-dev

build=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
      -DCMAKE_CXX_COMPILER=clang++-14 -DQUILLET_FUZZ=ON -DQUILLET_WITH_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_all

root=$(pwd)
run="$root/$build/findings/$(date -u +%Y%m%dT%H%M%SZ)"
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
targets=${FUZZ_TARGETS:-$(cd fuzz/corpus && ls)}
failed=()
for target in $targets; do
  binary="$root/$build/fuzz/fuzz_$target"
  if [ ! -x "$binary" ]; then
    echo "fuzz: no target $target" >&2
    failed+=("$target (not built)")
    continue
  fi
  work="$run/$target"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -rp "fuzz/corpus/$target/." "$work/corpus/"
  echo "== $target: ${seconds}s"
  # -timeout: one input running longer than 10 s counts as a hang.
  # shellcheck disable=SC2086
  if (cd "$work" && "$binary" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" ${FUZZ_ARGS:-} corpus >"$work/log.txt" 2>&1); then
    grep -E '^stat::number_of_executed_units' "$work/log.txt" | sed "s/^/   /" || true
  else
    echo "   FAILED: see $work/log.txt"
    for reproducer in "$work"/artifacts/*; do
      [ -e "$reproducer" ] && echo "   reproducer: $reproducer"
    done
    failed+=("$target")
  fi
done

echo "findings and logs: $run"
if ((${#failed[@]})); then
  echo "fuzz: failures in ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: no failures"
