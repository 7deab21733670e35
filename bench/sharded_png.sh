#!/usr/bin/env bash
# A sharded print: the records of one job printed to PNG pages as --records ranges in separate
# processes (xargs -P), beside one process printing them all on one thread. Reports the time of
# each shard and of both runs, and fails unless both runs made the same files, byte for byte.
#
#   bench/sharded_png.sh [VELMORA_PRINT] [RECORDS] [SHARDS] [PARALLEL]
#
# Defaults: build/test/src/app/velmora-print, 200 records of the sample form, 4 shards, 2 at once.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
print=${1:-$root/build/test/src/app/velmora-print}
records=${2:-200}
shards=${3:-4}
parallel=${4:-2}
form=$root/examples/sample.frm
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The sample form has eleven fields; each record numbers its values.
for ((r = 1; r <= records; ++r)); do
    line=""
    for ((f = 1; f <= 11; ++f)); do
        line+="${line:+,}\"Record $r value $f\""
    done
    printf '%s\r\n' "$line"
done >"$work/records.csv"

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

start=$(now)
"$print" "$form" --csv "$work/records.csv" --png "$work/whole" --threads 1 --quiet
whole=$(seconds "$start" "$(now)")

# One line per shard: its first and last record.
per=$(((records + shards - 1) / shards))
for ((first = 1; first <= records; first += per)); do
    last=$((first + per - 1 < records ? first + per - 1 : records))
    echo "$first $last"
done >"$work/shards"

export print form work
start=$(now)
# shellcheck disable=SC2016  # the shard's own shell expands these, with the record range as $0 and $1
xargs -P "$parallel" -L 1 bash -c '
    begin=$(date +%s.%N)
    "$print" "$form" --csv "$work/records.csv" --png "$work/sharded" --records "$0-$1" --threads 1 --quiet
    awk -v a="$begin" -v b="$(date +%s.%N)" -v f="$0" -v l="$1" "BEGIN { printf \"shard %s-%s: %.2f s\\n\", f, l, b - a }"
' <"$work/shards"
sharded=$(seconds "$start" "$(now)")

echo "one process, one thread: $whole s for $records pages"
echo "$shards shards, $parallel at once: $sharded s"
if diff -r "$work/whole" "$work/sharded" >/dev/null; then
    echo "pages: $(find "$work/whole" -name '*.png' | wc -l) files, byte-identical"
else
    echo "pages differ between the runs" >&2
    exit 1
fi
