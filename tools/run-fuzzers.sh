#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang into build/fuzz and runs each for a fixed time on a
# scratch copy of its seed corpus (the repository's corpus is never written to), then prints one line per
# target. Exits non-zero when any target found a crash, a leak or a timeout.
#
#   tools/run-fuzzers.sh [SECONDS_PER_TARGET [TARGET...]]    default 60 seconds, every target
#
# Findings are kept in build/fuzz/runs/<target>/artifacts/ with the log beside them; replay one with
# `build/fuzz/<target> <file>`.
set -euo pipefail
cd "$(dirname "$0")/.."

# The profile reader cuts values at 10239 bytes, so its inputs may grow well past that; the other targets
# gain nothing from texts longer than a few lines.
declare -A max_len=([split_text_fuzzer]=4096 [text_to_int_fuzzer]=4096 [bytes_to_text_fuzzer]=4096
                    [profile_fuzzer]=20000)
declare -A dictionary=([split_text_fuzzer]=text.dict [text_to_int_fuzzer]=text.dict
                       [bytes_to_text_fuzzer]=text.dict [profile_fuzzer]=profile.dict)
targets=(split_text_fuzzer text_to_int_fuzzer bytes_to_text_fuzzer profile_fuzzer)

seconds=${1:-60}
[ $# -le 1 ] || targets=("${@:2}")
usage_error=
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || usage_error=1
for target in "${targets[@]}"; do
  [ -n "${max_len[$target]:-}" ] || usage_error=1
done
if [ -n "$usage_error" ]; then
  echo "usage: $0 [SECONDS_PER_TARGET [TARGET...]]    targets: split_text_fuzzer text_to_int_fuzzer" \
    "bytes_to_text_fuzzer profile_fuzzer" >&2
  exit 2
fi

# clang and its fuzzing runtime are needed only here.
tools/setup.sh clang-14 libclang-rt-14-dev

build=build/fuzz
cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build"

failed=0
summary=()
for target in "${targets[@]}"; do
  work=$build/runs/$target
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp tests/fuzz/corpus/"$target"/* "$work/corpus/"
  echo "Fuzzing $target for ${seconds}s"
  status=0
  "$build/$target" "$work/corpus" -dict="tests/fuzz/${dictionary[$target]}" -max_total_time="$seconds" \
    -max_len="${max_len[$target]}" -timeout=10 -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
    >"$work/log" 2>&1 || status=$?

  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log")
  last=$(grep -E '^#[0-9]+' "$work/log" | tail -n 1 || true)
  coverage=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  features=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  crashes=$(find "$work/artifacts" -type f | wc -l)
  summary+=("$(printf '%-21s %11s executions %8s exec/s  cov %4s  ft %5s  crashes %s' "$target" \
    "${executions:-?}" "${rate:-?}" "${coverage:-?}" "${features:-?}" "$crashes")")
  if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
    failed=1
    summary+=("  FAILED (exit status $status): see $work/log and $work/artifacts/")
  fi
done

echo
printf '%s\n' "${summary[@]}"
exit "$failed"
