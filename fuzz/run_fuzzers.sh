#!/usr/bin/env bash
# Runs every fuzz target in turn for the given number of seconds, one process at
# a time, starting from the seeds that make_seeds writes. Findings are kept as
# build/fuzz/findings/<target>-crash-*; the script fails if any target found one.
# Usage: fuzz/run_fuzzers.sh <build folder> <seconds per target> [target...]
set -u
build=${1:?build folder}
seconds=${2:?seconds per target}
shift 2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(blob_addr blob_lmb blob_wpb blob_snd blob_pst lexicon_words text_conversions mempool_ops intake
           text_intake)
fi

corpus="$build/fuzz/corpus"
findings="$build/fuzz/findings"
mkdir -p "$findings"
"$build/fuzz/make_seeds" "$corpus" || exit 1

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for target in "${targets[@]}"; do
  echo "== fuzz_$target for ${seconds}s"
  if ! "$build/fuzz/fuzz_$target" "$corpus/$target" -max_total_time="$seconds" \
      -max_len=8192 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/$target-" 2>"$build/fuzz/$target.log"; then
    failed+=("$target")
    tail -n 40 "$build/fuzz/$target.log"
  fi
  grep -E "^stat::number_of_executed_units|^Done|^stat::peak_rss" "$build/fuzz/$target.log" || true
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]} (inputs under $findings)"
  exit 1
fi
echo "fuzzing: no findings"
