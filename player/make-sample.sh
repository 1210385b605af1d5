#!/usr/bin/env bash
# Makes the demo's music: eight seconds of 16-bit stereo PCM at 44.1 kHz, synthesised with sox
# (a kick on every beat, a plucked chord progression, a hi-hat), so that no recording is shipped.
#   make-sample.sh OUT.wav
set -euo pipefail
out=${1:?usage: make-sample.sh OUT.wav}
mkdir -p "$(dirname "$out")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fmt=(-r 44100 -b 16)

# One beat (0.5 s) of kick, repeated for 16 beats.
sox -n "${fmt[@]}" -c 1 "$work/kick.wav" synth 0.5 sine 110-40 fade q 0.002 0.5 0.45 gain -4 repeat 15
# Hi-hat on the off-beats: a short burst of filtered noise after 0.25 s of silence.
sox -n "${fmt[@]}" -c 1 "$work/hat.wav" synth 0.05 whitenoise gain -14 highpass 7000 fade q 0.001 0.05 0.045 \
    pad 0.25 0.2 repeat 15
# Four chords of two seconds each.
chords=("A2 C4 E4" "F2 A3 C4" "C3 E4 G4" "G2 B3 D4")
parts=()
for i in "${!chords[@]}"; do
    read -r a b c <<<"${chords[$i]}"
    # Three generators make three channels; remix folds them into one.
    sox -n "${fmt[@]}" "$work/chord$i.wav" synth 2 pluck "$a" pluck "$b" pluck "$c" delay 0 0.03 0.06 remix - \
        gain -8 trim 0 2
    parts+=("$work/chord$i.wav")
done
sox "${parts[@]}" "$work/chords.wav"
# Left: kick, chords and hat; right: kick, chords and a quieter hat.
sox -M "$work/kick.wav" "$work/chords.wav" "$work/hat.wav" "${fmt[@]}" -c 2 "$out" \
    remix 1v0.9,2v0.8,3v1.0 1v0.9,2v0.8,3v0.5 trim 0 8 norm -1
