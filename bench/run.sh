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
# difference between a long and a short run leaves out start-up and keeps the frames;
# with the shader cache off, both runs compile the same shaders.
count_by_object() {  # mode frames
  MESA_SHADER_CACHE_DISABLE=true on_display valgrind --tool=callgrind \
    --callgrind-out-file="$out/callgrind$1.$2" "$bench" "$1" "$2" >/dev/null 2>&1
  awk '
    # Object names are given once, on an ob= or cob= line, then referred to by number.
    /^c?ob=/ { id = $0; sub(/^c?ob=/, "", id); sub(/\).*/, ")", id)
               name = $0; sub(/^c?ob=\([0-9]+\) ?/, "", name); if (name != "") names[id] = name
               if ($0 ~ /^ob=/) current = names[id]; next }
    /^calls=/ { skip = 1; next }
    /^[0-9+*-]/ { if (skip) { skip = 0; next } cost[current] += $2; next }
    END { for (o in cost) printf "%s\t%.0f\n", o, cost[o] }
  ' "$out/callgrind$1.$2" | LC_ALL=C sort
}
per_frame() {  # mode: instructions per frame, by group of object files
  local short=10 long=60
  count_by_object "$1" $short >"$out/objects$1.$short"
  count_by_object "$1" $long >"$out/objects$1.$long"
  LC_ALL=C join -t $'\t' -a 2 -e 0 -o 0,1.2,2.2 "$out/objects$1.$short" "$out/objects$1.$long" |
    awk -F'\t' -v frames=$((long - short)) '
      { group = $1
        if (group ~ /korvath-bench/) group = "designer (own code)"
        else if (group ~ /libGLU/) group = "GLU"
        else if (group ~ /libglut/) group = "freeglut"
        else if (group ~ /libLLVM|^\?\?\?$/) group = "Mesa: LLVM and JIT-compiled shaders"
        else if (group ~ /_dri|libGL|libglapi/) group = "Mesa: GL and llvmpipe"
        else group = "other (libc, libm, X11, ...)"
        sum[group] += ($3 - $2) / frames }
      END { for (g in sum) printf "%s\t%.0f\n", g, sum[g] }' | LC_ALL=C sort
}
per_frame --frames >"$out/designer-instructions.tsv"
per_frame --replay-frames >"$out/replay-instructions.tsv"
LC_ALL=C join -t $'\t' -a 1 -a 2 -e 0 -o 0,1.2,2.2 "$out/designer-instructions.tsv" "$out/replay-instructions.tsv" |
  awk -F'\t' '{ d[$1] = $2; r[$1] = $3; td += $2; tr += $3 }
    END { printf "\ninstructions per frame (callgrind, every thread)\n"
          printf "  %-38s %14s %8s %14s\n", "", "designer", "share", "replay"
          for (g in d) printf "  %-38s %14.0f %7.3f%% %14.0f\n", g, d[g], 100 * d[g] / td, r[g]
          printf "  %-38s %14.0f %8s %14.0f\n", "total", td, "", tr }' | tee "$out/instructions.txt"
own=$(awk '/designer \(own code\)/ { print $(NF - 1) }' "$out/instructions.txt")

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
