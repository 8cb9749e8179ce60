#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang with AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each for a bounded time on a fresh
# work copy of its seeds in tests/fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS is each target's running time (default 60); naming targets runs only
# those, e.g. scripts/fuzz.sh 600 config_dialog_fuzz. Work copies go to
# build/fuzz/work/<target>/, the full output to build/fuzz/logs/<target>.log,
# and whatever a target finds to build/fuzz/artifacts/<target>/. The status is
# non-zero when any target finds a crash, a broken invariant, a sanitizer
# report, a leak, a timeout or an out-of-memory input; the end of its log is
# printed with the command that replays the input.
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(command_line_fuzz config_dialog_fuzz settings_scene_fuzz)

usage() {
  echo "usage: $0 [SECONDS] [TARGET...]   (targets: ${all_targets[*]})" >&2
  exit 2
}

seconds=60
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
[ "$seconds" -ge 1 ] || usage
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
for target in "${targets[@]}"; do
  [[ " ${all_targets[*]} " == *" $target "* ]] || usage
done

if ! command -v clang++ >/dev/null || ! compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; then
  echo "fuzz: clang and libFuzzer are missing; install them with scripts/deps.sh all" >&2
  exit 1
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

build="$(pwd)/build/fuzz"
supp="$(pwd)/tests/sanitizers/lsan.supp"
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"

# One run of settings_scene_fuzz may take seconds: the worst stored settings
# (500 movers of each kind, DENSITY 1, STAR_SIZE 255 or more with smoothing)
# took 5 to 12 s in this build on a two-core machine, depending on its other
# load. A hang still shows well within this bound.
timeout_for() {
  case $1 in
    settings_scene_fuzz) echo 30 ;;
    *) echo 10 ;;
  esac
}

passed=0
failed=()
for target in "${targets[@]}"; do
  work="$build/work/$target"
  artifacts="$build/artifacts/$target"
  log="$build/logs/$target.log"
  rm -rf "$work" "$artifacts"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  cp tests/fuzz/corpus/"$target"/* "$work"/

  echo "fuzz: $target for ${seconds} s (log: $log)"
  status=0
  "$build/tests/fuzz/$target" "$work" \
    -max_total_time="$seconds" -timeout="$(timeout_for "$target")" -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1 || status=$?

  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" |
    sed 's/^/  /' || true
  # Inputs over -report_slow_units (10 s) are kept as slow-unit-* but fail
  # nothing; crash-, leak-, timeout- and oom- inputs do.
  found=$(find "$artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | sort)
  for slow in $(find "$artifacts" -type f -name 'slow-unit-*' | sort); do
    echo "fuzz: $target: an input ran over 10 s: $slow"
  done
  if [ "$status" -eq 0 ] && [ -z "$found" ]; then
    passed=$((passed + 1))
    continue
  fi
  failed+=("$target")
  echo "fuzz: $target FAILED (status $status); the end of its log:"
  tail -n 60 "$log" | sed 's/^/  | /'
  for artifact in $found; do
    echo "fuzz: reproduce with: ASAN_OPTIONS=$ASAN_OPTIONS UBSAN_OPTIONS=$UBSAN_OPTIONS LSAN_OPTIONS=$LSAN_OPTIONS $build/tests/fuzz/$target $artifact"
  done
done

echo "fuzz: ${passed} passed, ${#failed[@]} failed${failed[*]:+ (${failed[*]})}"
[ ${#failed[@]} -eq 0 ]
