#!/bin/sh
# Runs the fuzzers, JOBS at a time, each for SECONDS from its committed seed corpus:
#   mk/fuzz.sh FUZZ_BUILD_DIR SECONDS JOBS NAME...
# What a fuzzer finds new stays in FUZZ_BUILD_DIR/corpus/NAME. Each one's output goes to
# FUZZ_BUILD_DIR/fuzz_NAME.log; a crash leaves its input as FUZZ_BUILD_DIR/fuzz_NAME-crash-*,
# shows the end of the log and fails the run, after the others have finished.
set -u
if [ "$1" = --one ]; then
  dir=$2 seconds=$3 name=$4
  mkdir -p "$dir/corpus/$name"
  # Without a display the editor's code paths stay offscreen, as in every fuzzer run.
  if env -u DISPLAY "$dir/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -artifact_prefix="$dir/fuzz_$name-" \
    "$dir/corpus/$name" "tests/fuzz/corpus/$name" >"$dir/fuzz_$name.log" 2>&1; then
    runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$dir/fuzz_$name.log")
    echo "fuzz_$name: ${runs:-?} runs in $seconds s, nothing found"
  else
    echo "fuzz_$name: FAILED (end of $dir/fuzz_$name.log follows)"
    tail -n 40 "$dir/fuzz_$name.log"
    exit 1
  fi
  exit 0
fi

dir=$1 seconds=$2 jobs=$3
shift 3
printf '%s\n' "$@" | xargs -P "$jobs" -I NAME "$0" --one "$dir" "$seconds" NAME || exit 1
