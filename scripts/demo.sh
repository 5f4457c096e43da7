#!/usr/bin/env bash
# Builds the plug-in (release, baseline x86-64), shows what a host sees of it,
# then plays a test signal through it with a musical setting, measures the
# gain at a few frequencies, draws its response into build/demo/response.png
# and takes a screenshot of its editor, build/demo/editor.png, with the
# output's spectrum behind the curve while noise plays through it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF >/dev/null
cmake --build build/release -j "$(nproc)" --target TesselEQ tessel-host

host=build/release/bin/tessel-host
plugin=build/release/bin/TesselEQ.so
out=build/demo
mkdir -p "$out"

"$host" info "$plugin"

# A musical setting: a warm low shelf, less mud, a little presence and air
# (the texts the plug-in displays: kinds by name, bandwidths in octaves).
setting=(
  --param "Filter 2 Type=Lowshelf" --param "Filter 2 Gain=3"    --param "Filter 2 Frequency=120"
  --param "Filter 3 Type=Peak"     --param "Filter 3 Gain=-2.5" --param "Filter 3 Frequency=350"  --param "Filter 3 Bandwidth=1.00"
  --param "Filter 5 Type=Peak"     --param "Filter 5 Gain=2"    --param "Filter 5 Frequency=4000" --param "Filter 5 Bandwidth=0.63"
  --param "Filter 6 Type=Highshelf" --param "Filter 6 Gain=3"   --param "Filter 6 Frequency=10000"
)
echo
echo "== Test signal: a 5 s logarithmic sweep, 20 Hz - 20 kHz"
"$host" tone "$out/sweep.wav" --kind sweep --seconds 5
"$host" render "$plugin" "$out/sweep.wav" "$out/sweep-eq.wav" "${setting[@]}"

echo
echo "== Gain measured by rendering sines through the plug-in"
for hz in 60 120 350 1000 4000 12000; do
  "$host" tone "$out/sine.wav" --freq "$hz" --seconds 1 --format float >/dev/null
  gain=$("$host" render "$plugin" "$out/sine.wav" "$out/sine-eq.wav" "${setting[@]}" |
         sed -n 's/.*(gain \([-+0-9.]*\) dB).*/\1/p')
  printf '  %6s Hz  %s dB\n' "$hz" "$gain"
done
rm -f "$out/sine.wav" "$out/sine-eq.wav"

echo
echo "== Magnitude response from the impulse response"
"$host" response "$plugin" "${setting[@]}" --png "$out/response.png"
echo
echo "== The editor with that setting, playing noise with the analyser on (on a private X server"
echo "   when there is no display; its settings in $out/config, so yours stay as they are)"
mkdir -p "$out/config/Dravik"
printf 'GUI Style=1\nAnalyser=1\n' >"$out/config/Dravik/TesselEQ.conf"
"$host" tone "$out/noise.wav" --kind noise --seconds 3 --level -6 >/dev/null
XDG_CONFIG_HOME="$PWD/$out/config" "$host" editor "$plugin" "${setting[@]}" --input "$out/noise.wav" \
  --wait 2000 --png "$out/editor.png"
echo
echo "demo: listen to $out/sweep.wav and $out/sweep-eq.wav; the response is drawn in $out/response.png,"
echo "the editor in $out/editor.png"
