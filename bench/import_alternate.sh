#!/usr/bin/env bash
# Times the tile store import of two builds on the same LAS file, round after
# round in alternating order (A B, B A, ...), so that whatever else loads the
# machine meanwhile weighs on both alike.
#
#   bench/import_alternate.sh BUILD_A BUILD_B [points] [rounds]
#
# BUILD_A and BUILD_B are build folders holding bench/velmo_bench (each loads
# its own libvelmo through its run path, so two builds need two folders).
# The corridor LAS of `points` points (20000000) is generated once by
# BUILD_B's velmo_bench, in a first import that is not counted, into $WORK/b
# ($WORK: /tmp/corvane-import-alternate) and reused; rounds defaults to 7,
# threads to $THREADS (8).  Every import prints its phase times
# (CORVANE_IMPORT_TIMES=1) where the build reports them; the end gives per
# build the median, least and most seconds of each phase, of the whole import
# and of the processor time it took (user and system, all threads: on a
# loaded machine it tells more than the wall clock), the load before and
# after, and whether the two builds' stores are the same byte for byte.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 BUILD_A BUILD_B [points] [rounds]" >&2
    exit 2
fi
build_a=$(cd "$1" && pwd)
build_b=$(cd "$2" && pwd)
points=${3:-20000000}
rounds=${4:-7}
threads=${THREADS:-8}
work=${WORK:-/tmp/corvane-import-alternate}

for build in "$build_a" "$build_b"; do
    if [ ! -x "$build/bench/velmo_bench" ]; then
        echo "$build/bench/velmo_bench is missing: build the velmo_bench target there" >&2
        exit 1
    fi
done
mkdir -p "$work/a" "$work/b"
# velmo_bench writes its corridor to a LAS file of this name in its folder,
# or reuses the one there with the right point count.
las=$work/b/corridor-gentle-$points.las
if [ ! -s "$las" ]; then
    echo "generating $las"
    "$build_b/bench/velmo_bench" --points "$points" --dir "$work/b" --threads "$threads" --no-sections >/dev/null
fi
ln -sf "$las" "$work/a/corridor-gentle-$points.las"

times_file=$work/times.txt
: >"$times_file"

# One import of one build: "side phase seconds" lines into the times file.
run_one() {
    local side=$1 build=$2 out err
    out=$(mktemp) err=$(mktemp)
    if ! CORVANE_IMPORT_TIMES=1 "$build/bench/velmo_bench" --points "$points" --dir "$work/$side" \
        --threads "$threads" --no-sections >"$out" 2>"$err"; then
        cat "$err" >&2
        rm -f "$out" "$err"
        echo "velmo_bench of $build failed" >&2
        exit 1
    fi
    awk -v s="$side" '$1 == "import" && $4 == "s" { print s, $2, $3 }' "$err" >>"$times_file"
    awk -v s="$side" -F= '$1 == "import_s" { print s, "total", $2 }
        $1 ~ /^import_cpu_s_threads_/ { print s, "cpu", $2 }' "$out" >>"$times_file"
    printf '  %s %s s\n' "$side" "$(awk -F= '$1 == "import_s" { print $2 }' "$out")"
    rm -f "$out" "$err"
}

echo "A: $build_a"
echo "B: $build_b"
echo "file: $las ($points points), $threads threads, $rounds rounds"
echo "load before: $(uptime)"
for ((r = 1; r <= rounds; ++r)); do
    echo "round $r: $(cut -d' ' -f1-3 /proc/loadavg) load"
    if ((r % 2)); then
        run_one a "$build_a"
        run_one b "$build_b"
    else
        run_one b "$build_b"
        run_one a "$build_a"
    fi
done
echo "load after: $(uptime)"

# Median, least and most of each build's phases, in the order they ran.
awk '
    { key = $1 " " $2; v[key, ++n[key]] = $3
      if (!(key in seen)) { seen[key] = 1; order[++keys] = key } }
    END {
        printf "%-6s %-8s %8s %8s %8s\n", "build", "phase", "median", "min", "max"
        for (side = 0; side < 2; ++side)
            for (k = 1; k <= keys; ++k) {
                key = order[k]; split(key, part, " ")
                if (part[1] != (side ? "b" : "a")) continue
                m = n[key]
                for (i = 1; i <= m; ++i) s[i] = v[key, i]
                for (i = 2; i <= m; ++i)
                    for (j = i; j > 1 && s[j - 1] > s[j]; --j) { t = s[j]; s[j] = s[j - 1]; s[j - 1] = t }
                med = m % 2 ? s[(m + 1) / 2] : (s[m / 2] + s[m / 2 + 1]) / 2
                printf "%-6s %-8s %8.3f %8.3f %8.3f\n", toupper(part[1]), part[2], med, s[1], s[m]
            }
    }' "$times_file"

if cmp -s "$work/a/corridor.tiles" "$work/b/corridor.tiles"; then
    echo "stores: the same byte for byte"
else
    echo "stores: they differ"
fi
