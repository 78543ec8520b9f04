#!/usr/bin/env bash
# Builds and runs the frame benchmarks on a virtual display and prints the ratios:
# the designer's frame against the display-list replay of the same figure and
# against the floor, the share of each frame's instructions spent in the
# designer's own code, and the time from process start to the first frame.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release --target korvath-bench >/dev/null
bench=build/release/bench/korvath-bench
out=build/release/bench-results
mkdir -p "$out"
on_display() { xvfb-run -a -s "-screen 0 1024x768x24" "$@"; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"

# 1-3. Frame times, all in one run of one process.
on_display "$bench" --benchmark_min_time=2 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out/frames.csv" --benchmark_out_format=csv | tee "$out/frames.txt"
median() { grep "^\"$1_median\"" "$out/frames.csv" | cut -d, -f3; }
designer=$(median "designer frame")
replay=$(median "display-list replay")
floor=$(median "floor frame")

# 4. Instructions by object file, counted by callgrind over every thread. The
# difference between a long and a short run leaves out start-up and keeps the frames.
count_by_object() {
  on_display valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.$1" "$bench" --frames "$1" >/dev/null 2>&1
  awk '
    /^ob=/ { name = $0; sub(/^ob=\([0-9]+\) ?/, "", name); id = $1; sub(/^ob=/, "", id); sub(/\).*/, ")", id)
             if (name != "") objects[id] = name; current = (name != "") ? name : objects[id]; next }
    /^calls=/ { skip = 1; next }
    /^[0-9+-]/ { if (skip) { skip = 0; next } cost[current] += $2; next }
    END { for (o in cost) printf "%s\t%d\n", o, cost[o] }
  ' "$out/callgrind.$1" | sort
}
short=10 long=60
count_by_object $short >"$out/objects.$short"
count_by_object $long >"$out/objects.$long"
join -t $'\t' -a 2 -e 0 -o 0,1.2,2.2 "$out/objects.$short" "$out/objects.$long" |
  awk -F'\t' -v frames=$((long - short)) '
    { per = ($3 - $2) / frames; if (per <= 0) next
      group = $1
      if (group ~ /korvath-bench/) group = "designer (own code)"
      else if (group ~ /libGLU/) group = "GLU"
      else if (group ~ /libglut/) group = "freeglut"
      else if (group ~ /_dri|libGL|libglapi|libLLVM|^\?\?\?$/) group = "Mesa (GL, llvmpipe, JIT)"
      else group = "other (libc, libm, X11, ...)"
      sum[group] += per; total += per }
    END { printf "\ninstructions per frame (callgrind, all threads)\n"
          for (g in sum) printf "  %-32s %14.0f  %6.2f%%\n", g, sum[g], 100 * sum[g] / total
          printf "  %-32s %14.0f\n", "total", total }
  ' | tee "$out/instructions.txt"
own=$(awk '/designer \(own code\)/ { print $(NF) }' "$out/instructions.txt")

# 5. Process start to first presented frame, median of five.
for _ in 1 2 3 4 5; do
  on_display bash -c 'start=$(date +%s%N); presented=$("$0" --first-frame); echo $(( (presented - start) / 1000000 ))' "$bench"
done | sort -n >"$out/first-frame.txt"
first=$(sed -n 3p "$out/first-frame.txt")

printf '\n| measure | value |\n|---|---|\n'
printf '| designer frame (initial state) | %s ms |\n' "$designer"
printf '| display-list replay of the same figure | %s ms |\n' "$replay"
printf '| floor (clear, camera, swap) | %s ms |\n' "$floor"
awk -v d="$designer" -v r="$replay" -v f="$floor" 'BEGIN {
  printf "| designer frame / display-list replay | %.2f |\n", d / r
  printf "| designer frame / floor | %.2f |\n", d / f }'
printf '| own code share of frame instructions | %s |\n' "$own"
printf '| process start to first frame (median of 5) | %s ms |\n' "$first"
