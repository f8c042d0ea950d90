#!/usr/bin/env bash
# Runs every libFuzzer target of the native tree for SECONDS each (default 60)
# from a scratch copy of its committed seed corpus, then prints a table of
# target / executions / result. Exits non-zero when any target found a fault;
# the input that triggered it is kept under build-native/fuzz-findings/.
# Names after SECONDS pick targets (all by default).
# TOVIRA_FUZZ_JOBS=N runs N targets at a time (default 1).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
native="$root/build-native"
seconds="${1:-60}"
jobs="${TOVIRA_FUZZ_JOBS:-1}"
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: ./tovira fuzz [seconds per target [target...]]" >&2; exit 2; }
shift || true

"$root/scripts/native-build.sh"

runs="$native/fuzz-runs"
findings="$native/fuzz-findings"
rm -rf "$runs" && mkdir -p "$runs" "$findings"
mapfile -t targets < "$native/fuzz-targets.txt"
if [ $# -gt 0 ]; then
  for t in "$@"; do
    grep -qx "$t" "$native/fuzz-targets.txt" || { echo "fuzz: no target $t ($(echo "${targets[@]}"))" >&2; exit 2; }
  done
  targets=("$@")
fi

run_one() {
  local t="$1" dir="$runs/$1"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  cp -r "$root/fuzz/corpus/$t/." "$dir/corpus/"
  local dict=()
  [ -f "$root/fuzz/dict/$t.dict" ] && dict=(-dict="$root/fuzz/dict/$t.dict")
  # -timeout: an input that takes this long is a hang, reported as a finding.
  set +e
  nice -n 10 "$native/fuzz_$t" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$dir/artifacts/" "${dict[@]}" "$dir/corpus" \
    > "$dir/log" 2>&1
  echo $? > "$dir/rc"
  set -e
}

echo "fuzz: ${#targets[@]} targets, ${seconds} s each, $jobs at a time"
running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n || true; running=$((running - 1)); fi
done
wait || true

failed=0
bad=0
printf '%-14s %14s  %s\n' target executions result
for t in "${targets[@]}"; do
  dir="$runs/$t"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n1)
  rc=$(cat "$dir/rc")
  if [ "$rc" = 0 ]; then
    result="ok"
  else
    failed=1
    bad=$((bad + 1))
    mkdir -p "$findings/$t"
    cp "$dir"/artifacts/* "$findings/$t/" 2>/dev/null || true
    cp "$dir/log" "$findings/$t/log"
    result="FINDING (exit $rc): $(ls "$dir/artifacts" 2>/dev/null | head -n1 | sed "s|^|$findings/$t/|")"
  fi
  printf '%-14s %14s  %s\n' "$t" "${execs:-?}" "$result"
done
echo "fuzz: $((${#targets[@]} - bad)) passed, $bad failed"
if [ "$failed" != 0 ]; then
  for t in "${targets[@]}"; do
    [ "$(cat "$runs/$t/rc")" = 0 ] && continue
    echo "---- $t"
    grep -E 'ERROR|property failed|runtime error|SUMMARY|Test unit written' "$runs/$t/log" | head -n 20
  done
  exit 1
fi
