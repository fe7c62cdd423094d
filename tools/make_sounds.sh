#!/usr/bin/env bash
# Generates the game's sounds with sox (installed here when missing) and writes them to
# GAME/Assets/Audio (or the folder given as the first argument):
#
#   menuHover.wav    a short high blip (menu buttons under the pointer)
#   menuRevert.wav   a short falling tone (menu back)
#   playerWin.wav    a rising four-note arpeggio
#   playerDie.wav    a falling, wavering sweep
#   ringRinging.wav  a bright bell-like ring with a long decay (rings sent between the hands)
#   BGMmain.ogg      an eight-second loop of soft chords (background music)
#   AMBrain.ogg      a six-second loop of filtered noise (rain ambience)
#
# All mono, small, and the same on every run (sox's noise generator is seeded).
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-GAME/Assets/Audio}"

if ! command -v sox >/dev/null 2>&1; then
  if [ "$(id -u)" -eq 0 ]; then as_root=(); elif command -v sudo >/dev/null 2>&1; then as_root=(sudo); else
    echo "make_sounds: sox is missing and neither root nor sudo can install it" >&2
    exit 1
  fi
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
    sox libsox-fmt-base
fi

mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# -R: no dithering, so the output does not change from run to run.
s() { sox -R "$@"; }
rate=(-r 22050 -c 1 -b 16)
ogg=(-r 22050 -c 1)

s -n "${rate[@]}" "$out/menuHover.wav" synth 0.07 sine 1250 fade q 0.004 0.07 0.04 vol 0.5
s -n "${rate[@]}" "$out/menuRevert.wav" synth 0.18 sine 900-450 fade q 0.005 0.18 0.09 vol 0.5

notes=(523.25 659.25 783.99 1046.50)
parts=()
for i in "${!notes[@]}"; do
  length=0.13
  [ "$i" -eq 3 ] && length=0.5
  s -n "${rate[@]}" "$work/win$i.wav" synth "$length" triangle "${notes[$i]}" \
    fade q 0.005 "$length" 0.08 vol 0.45
  parts+=("$work/win$i.wav")
done
s "${parts[@]}" "$out/playerWin.wav"

s -n "${rate[@]}" "$out/playerDie.wav" synth 0.9 sawtooth 520-70 vol 0.4 tremolo 9 50 \
  lowpass 2000 fade q 0.01 0.9 0.5

s -n "${rate[@]}" "$work/ring1.wav" synth 0.7 sine 1318.5 fade q 0.002 0.7 0.68 vol 0.35
s -n "${rate[@]}" "$work/ring2.wav" synth 0.7 sine 3296.3 fade q 0.002 0.7 0.69 vol 0.12
s -m "$work/ring1.wav" "$work/ring2.wav" "${rate[@]}" "$out/ringRinging.wav" vol 2

# Four chords of two seconds (C, A minor, F, G), each three triangle voices.
chords=("261.63 329.63 392.00" "220.00 261.63 329.63" "174.61 220.00 261.63" "196.00 246.94 293.66")
parts=()
for i in "${!chords[@]}"; do
  voices=()
  j=0
  for frequency in ${chords[$i]}; do
    s -n "${rate[@]}" "$work/chord${i}_$j.wav" synth 2 triangle "$frequency" \
      fade q 0.15 2 0.3 vol 0.18
    voices+=("$work/chord${i}_$j.wav")
    j=$((j + 1))
  done
  s -m "${voices[@]}" "${rate[@]}" "$work/chord$i.wav" vol 3
  parts+=("$work/chord$i.wav")
done
s "${parts[@]}" "${ogg[@]}" "$out/BGMmain.ogg"

s -n "${ogg[@]}" "$out/AMBrain.ogg" synth 6 pinknoise highpass 400 lowpass 5000 vol 0.25 \
  fade q 0.05 6 0.05
