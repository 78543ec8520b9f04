#!/usr/bin/env bash
# Before a release: the robustness test's random storms, a million events or more in the
# optimised build and again under AddressSanitizer and UndefinedBehaviorSanitizer, across
# several seeds, a frame only every few dozen events and the same checks after each frame;
# then, in headless Chromium, the browser storm of real input on the web build (100,000
# events or more across the same seeds) and the browser soak (10,000 frames).
# Prints the events, frames and seconds of each build, and stops at the first failure,
# naming the seed and the events that broke it. Not part of the test command.
#   scripts/storm.sh [SEED...]    (default: eight seeds)
set -euo pipefail
cd "$(dirname "$0")/.."

total_events=1000000  # at least this many in each build
most_per_frame=48     # a frame after 1 to 48 events: one every 24.5 on average
web_events=100000  # at least this many in the browser
soak_frames=10000
storms=(
  RandomStorm.EveryInputMixedKeepsTheDesignerSound
  RandomStorm.PosingWhileTheFigureSwaysKeepsEveryAngleBounded
  RandomStorm.DragsAndReshapesAnywhereKeepTheCameraOnItsOrbit
)
logs=build/storm

# One storm of one seed in one build, in a process of its own: the test kit arms a
# toolkit timer for every idle tick it feeds, and the toolkit keeps them in a list it
# walks on every insertion, so that a long storm in one process slows down as it goes.
run_storm() {
  local build=$1 seed=$2 storm=$3 events=$4 log=$5
  KORVATH_STORM_SEED=$seed KORVATH_STORM_EVENTS=$events KORVATH_STORM_BURST=$most_per_frame \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build/$build/tests/robustness_test" --gtest_filter="$storm" --gtest_fail_fast >"$log" 2>&1
}

# On the virtual display: every build, every seed, every storm, in that order.
if [[ "${1:-}" == --on-display ]]; then
  shift
  seeds=("$@")
  per_storm=$(((total_events + ${#seeds[@]} * ${#storms[@]} - 1) / (${#seeds[@]} * ${#storms[@]})))
  mkdir -p "$logs"
  for build in release sanitize; do
    build_events=0 build_frames=0 started=$SECONDS
    for seed in "${seeds[@]}"; do
      for storm in "${storms[@]}"; do
        log=$logs/$build-$seed-${storm#RandomStorm.}.log
        if ! run_storm "$build" "$seed" "$storm" "$per_storm" "$log"; then
          cat "$log"
          echo "storm: FAILED in the $build build, seed $seed, $storm (log: $log)" >&2
          echo "storm: to replay: KORVATH_STORM_SEED=$seed KORVATH_STORM_EVENTS=$per_storm" \
            "KORVATH_STORM_BURST=$most_per_frame xvfb-run -a build/$build/tests/robustness_test" \
            "--gtest_filter=$storm" >&2
          exit 1
        fi
        # The test's summary line: "seed 7: 41667 events, 1702 frames, 881 idle ticks".
        summary=$(sed -n 's/^seed [0-9]*: \([0-9]*\) events, \([0-9]*\) frames.*/\1 \2/p' "$log")
        [[ -n "$summary" ]] || { cat "$log"; echo "storm: no summary from seed $seed, $storm" >&2; exit 1; }
        read -r events frames <<<"$summary"
        build_events=$((build_events + events)) build_frames=$((build_frames + frames))
      done
      echo "storm: $build build, seed $seed: $build_events events and $build_frames frames so far"
    done
    echo "storm: $build build: $build_events events, $build_frames frames, $((SECONDS - started)) seconds"
  done
  exit 0
fi

seeds=("$@")
if ((${#seeds[@]} == 0)); then seeds=(1 2 3 4 5 6 7 8); fi
for seed in "${seeds[@]}"; do
  [[ "$seed" =~ ^[0-9]+$ ]] || { echo "storm: a seed is a whole number, not '$seed'" >&2; exit 2; }
done

scripts/install-deps.sh >/dev/null
for preset in release sanitize; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target robustness_test >/dev/null
done
xvfb-run -a -s "-screen 0 1920x1200x24" "$0" --on-display "${seeds[@]}"

# In the browser: the web build's storm of real input, one page for each seed, then the soak.
scripts/web.sh --build >/dev/null
npm ci --prefix tests/web --silent
export KORVATH_SITE=$PWD/build/web/site
mkdir -p "$logs"
per_seed=$(((web_events + ${#seeds[@]} - 1) / ${#seeds[@]}))
web_total=0 web_frames=0 started=$SECONDS
for seed in "${seeds[@]}"; do
  log=$logs/web-$seed.log
  if ! node tests/web/storm.mjs --seed "$seed" --events "$per_seed" >"$log" 2>&1; then
    cat "$log"
    echo "storm: FAILED in the browser, seed $seed (log: $log)" >&2
    exit 1
  fi
  # The storm's summary line: "web storm seed 7: 12500 events, 488 frames, 402 seconds".
  read -r events frames <<<"$(sed -n 's/^web storm seed [0-9]*: \([0-9]*\) events, \([0-9]*\) frames.*/\1 \2/p' "$log")"
  web_total=$((web_total + events)) web_frames=$((web_frames + frames))
  echo "storm: browser, seed $seed: $web_total events and $web_frames frames so far"
done
echo "storm: browser: $web_total events, $web_frames frames, $((SECONDS - started)) seconds"
if ! node tests/web/soak.mjs --frames "$soak_frames" >"$logs/web-soak.log" 2>&1; then
  cat "$logs/web-soak.log"
  echo "storm: the browser soak FAILED (log: $logs/web-soak.log)" >&2
  exit 1
fi
echo "storm: $(tail -n 1 "$logs/web-soak.log")"
