#!/usr/bin/env bash
# Times Tessel EQ against two other equalisers on the same machine, through
# our own host (tessel-host bench): every plug-in with seven bell/peak bands
# active, 48 kHz, 32-bit, blocks of 512 and 64 frames.
#
#   ours  build/release/bin/TesselEQ.so: 7 Peak bands, non-zero gains, spread frequencies
#   LSP   para-equalizer-x16-stereo: 7 Bell bands switched on, the other 9 off
#   Zam   ZamEQ2 is mono: a stereo path needs two instances, so its figure is
#         twice the per-instance time (and it has only 4 bands: 2 peaks, 2 shelves)
#
# The plug-ins take turns within each round, in a rotating order, over
# several rounds, so machine noise hits all of them alike; the report gives
# the median over rounds of each run's median, in ns per stereo frame, and
# the ratio peer time / our time (above 1: we are faster).
#
# Environment: ROUNDS (default 5), SECONDS_PER_RUN (audio per timed run,
# default 1), RUNS (timed runs per round, default 3), KERNEL (our kernel:
# sse2, avx2 or avx512; unset: the best this processor has), BASELINE (the
# path of another build of our plug-in, timed in the same rounds with the
# same setting and kernel, to compare a change before and after).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh   # installs zam-plugins and lsp-plugins-vst when missing

rounds=${ROUNDS:-5}
seconds=${SECONDS_PER_RUN:-1}
runs=${RUNS:-3}
rate=48000
blocks=(512 64)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSEL_SANITIZE= \
      -DTESSEL_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)" --target TesselEQ tessel-host

host=build/release/bin/tessel-host
ours=build/release/bin/TesselEQ.so
lsp=/usr/lib/vst/lsp-plugins/para-equalizer-x16-stereo.so
zam=/usr/lib/vst/ZamEQ2-vst.so

# Seven bands: frequency (Hz) and gain (dB).
freqs=(100 250 600 1500 3500 8000 14000)
gains=(3 -4 2 -3 5 -2 4)

# Ours by normalised values (index 4*band + field): Type kind/8 (3 = Peak),
# Gain (dB + 15)/30, Frequency log(f/20)/log(1000), Bandwidth 0.5 (1 octave).
ours_args=()
for b in 0 1 2 3 4 5 6; do
  ours_args+=(--set "$((4 * b))=0.375"
              --set "$((4 * b + 1))=$(awk -v g="${gains[b]}" 'BEGIN { printf "%.6f", (g + 15) / 30 }')"
              --set "$((4 * b + 2))=$(awk -v f="${freqs[b]}" 'BEGIN { printf "%.6f", log(f / 20) / log(1000) }')"
              --set "$((4 * b + 3))=0.5")
done
# LSP by natural values (tessel-host finds the value each text shows as).
lsp_args=()
for b in 0 1 2 3 4 5 6; do
  lsp_args+=(--param "ft_$b=Bell" --param "f_$b=${freqs[b]}" --param "g_$b=${gains[b]}" --param "q_$b=1.41")
done
zam_args=(--param "Boost/Cut 1=3" --param "Frequency 1=600" --param "Boost/Cut 2=-3"
          --param "Frequency 2=3500" --param "Boost/Cut L=2" --param "Boost/Cut H=-2")

# Our plug-in may not have its parameters or audio path wired up yet: then it
# is timed as it is (or left out) and the report says so.
ours_note="7 Peak bands"
ours_params=$("$host" info "$ours" 2>/dev/null | awk '$1 == "numParams" { print $2 }' || true)
if [[ -z "$ours_params" ]]; then
  echo "bench-peers: $ours does not load; it is left out" >&2
  ours=""
elif (( ours_params < 28 )); then
  echo "bench-peers: $ours has $ours_params parameters (the bands are not wired up yet): timed at its initial setting" >&2
  ours_args=()
  ours_note="initial setting (no band parameters yet)"
fi
if [[ -n "$ours" ]] && ! "$host" bench "$ours" --terse --seconds 0.01 --runs 1 "${ours_args[@]}" >/dev/null 2>&1; then
  echo "bench-peers: $ours cannot be run yet (no audio path?); it is left out" >&2
  ours=""
fi

baseline=${BASELINE:-}
if [[ -n "${KERNEL:-}" ]]; then
  export TESSEL_KERNEL=$KERNEL   # read by our plug-in when an instance is created
  ours_note+=", kernel $KERNEL"
fi
names=(ours lsp zam)
[[ -n "$baseline" ]] && names+=(baseline)
declare -A label=([ours]="Tessel EQ, $ours_note" [lsp]="LSP Para EQ x16 stereo, 7 Bell bands"
                  [zam]="ZamEQ2 x2 (mono), 2 peaks + 2 shelves" [baseline]="Tessel EQ baseline ($baseline)")
declare -A results=()  # "name block" -> space-separated ns per stereo frame, one per round

bench() {  # name block -> ns per stereo frame
  local name=$1 block=$2 out
  case $name in
    ours) out=$("$host" bench "$ours" --terse --block "$block" --rate "$rate" --seconds "$seconds" --runs "$runs" "${ours_args[@]}") ;;
    baseline) out=$("$host" bench "$baseline" --terse --block "$block" --rate "$rate" --seconds "$seconds" --runs "$runs" "${ours_args[@]}") ;;
    lsp)  out=$("$host" bench "$lsp"  --terse --block "$block" --rate "$rate" --seconds "$seconds" --runs "$runs" "${lsp_args[@]}") ;;
    zam)  out=$("$host" bench "$zam"  --terse --block "$block" --rate "$rate" --seconds "$seconds" --runs "$runs" "${zam_args[@]}") ;;
  esac
  # NS REALTIME CHANNELS; a mono plug-in needs two instances per stereo frame.
  awk '{ printf "%.3f", ($3 == 1 ? 2 * $1 : $1) }' <<<"$out"
}

count=${#names[@]}
echo "bench-peers: $rounds rounds x ${#blocks[@]} block sizes x $count plug-ins, $runs runs of $seconds s each, $rate Hz, 32-bit"
for ((round = 0; round < rounds; round++)); do
  for block in "${blocks[@]}"; do
    for ((k = 0; k < count; k++)); do
      name=${names[(round + k) % count]}
      [[ $name == ours && -z "$ours" ]] && continue
      results["$name $block"]+="$(bench "$name" "$block") "
    done
  done
  echo "  round $((round + 1)) of $rounds done" >&2
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

echo
printf '%-6s %-44s %14s %12s %14s\n' block plug-in "ns/stereo fr" realtime "peer / ours"
for block in "${blocks[@]}"; do
  ours_ns=""
  [[ -n "$ours" ]] && ours_ns=$(median <<<"${results[ours $block]}")
  for name in "${names[@]}"; do
    [[ $name == ours && -z "$ours" ]] && { printf '%-6s %-44s %14s\n' "$block" "Tessel EQ" "not runnable"; continue; }
    ns=$(median <<<"${results[$name $block]}")
    ratio="-"
    [[ -n "$ours_ns" && $name != ours ]] && ratio=$(awk -v p="$ns" -v o="$ours_ns" 'BEGIN { printf "%.2f", p / o }')
    realtime=$(awk -v n="$ns" -v r="$rate" 'BEGIN { printf "%.0fx", 1e9 / (n * r) }')
    printf '%-6s %-44s %14s %12s %14s\n' "$block" "${label[$name]}" "$ns" "$realtime" "$ratio"
  done
done

# The machine's noise, seen round by round: LSP's time over ours within each
# round, where both ran moments apart.
echo
echo "LSP / Tessel EQ per round: median [lowest .. highest]"
for block in "${blocks[@]}"; do
  for name in ours baseline; do
    [[ $name == ours && -z "$ours" ]] && continue
    [[ $name == baseline && -z "$baseline" ]] && continue
    ratios=$(paste <(tr ' ' '\n' <<<"${results[lsp $block]}" | grep -v '^$') \
                   <(tr ' ' '\n' <<<"${results[$name $block]}" | grep -v '^$') |
             awk '{ printf "%.2f ", $1 / $2 }')
    printf '%-6s %-44s %6s [%s .. %s]\n' "$block" "${label[$name]}" "$(median <<<"$ratios")" \
      "$(tr ' ' '\n' <<<"$ratios" | grep -v '^$' | sort -g | head -1)" \
      "$(tr ' ' '\n' <<<"$ratios" | grep -v '^$' | sort -g | tail -1)"
  done
done
