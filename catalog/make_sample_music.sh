#!/usr/bin/env bash
# Makes the sample music library that vorel-catalog serves by default, from tones
# synthesised with sox and encoded with lame and flac. Usage: make_sample_music.sh OUTDIR
#
# Naming convention (the one vorel-catalog reads):
#   SINGER - SONG.mp3     standard quality
#   SINGER - SONG.hq.mp3  high quality
#   SINGER - SONG.flac    lossless
# Files directly in OUTDIR answer searches without a site key and for every site key
# without a folder of its own; OUTDIR/wy answers the site key "wy".
#
# Contents:
#   林小雨 - 百花香   standard + high + lossless (FLAC), 3 s
#   陈静 - 花开       standard only: 5 s, constant 128 kbit/s, no Xing/LAME header
#   王芳 - 桃花       standard + high
#   白云乐队 - 长夜   standard only: 135 s at constant 320 kbit/s (about 5.4 MB)
#   ...               13 songs in all whose names contain 花 (two pages of ten)
#   wy/赵雷 - 百花香, wy/赵雷 - 山歌 (standard + high), wy/孙悦 - 月光
set -euo pipefail

out=${1:?usage: make_sample_music.sh OUTDIR}
parent=$(dirname "$out")
mkdir -p "$parent"
work=$(mktemp -d "$parent/.sample-music.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/wy"

# tone FILE.wav SECONDS FREQ... : a chord of sine tones with a short fade in and out.
tone() {
  local file=$1 seconds=$2
  shift 2
  local voices=()
  for freq in "$@"; do voices+=(sine "$freq"); done
  sox -q -n -r 44100 -c 2 -b 16 "$file" synth "$seconds" "${voices[@]}" \
    gain -n -6 fade q 0.05 "$seconds" 0.2
}

# song DIR "SINGER - SONG" QUALITIES SECONDS FREQ...
# QUALITIES: s = standard, h = high, l = lossless (e.g. "shl").
song() {
  local dir=$1 name=$2 qualities=$3 seconds=$4
  shift 4
  local wav="$work/tone.wav"
  tone "$wav" "$seconds" "$@"
  [[ $qualities == *s* ]] && lame --quiet --cbr -b 128 "$wav" "$dir/$name.mp3"
  [[ $qualities == *h* ]] && lame --quiet --cbr -b 320 "$wav" "$dir/$name.hq.mp3"
  [[ $qualities == *l* ]] && flac --silent --force -o "$dir/$name.flac" "$wav"
  rm -f "$wav"
}

top=$work
song "$top" "林小雨 - 百花香" shl 3 440 554.37 659.25
song "$top" "王芳 - 桃花" sh 3 392 493.88
song "$top" "王芳 - 梨花" s 3 349.23 440
song "$top" "李娜娜 - 雪花" s 2 523.25
song "$top" "李娜娜 - 菊花" sh 3 587.33 739.99
song "$top" "周晓 - 兰花" s 2 329.63 415.30
song "$top" "周晓 - 花园" s 3 293.66
song "$top" "吴天 - 花落" s 2 261.63 329.63 392
song "$top" "吴天 - 花影" s 3 698.46
song "$top" "郑海 - 花语" s 2 783.99 987.77
song "$top" "郑海 - 花间" s 3 246.94
song "$top" "刘洋 - 荷花" s 2 880
song "$top" "Lucky组合 - Blue Moon" s 3 220 277.18
song "$top" "孙悦 - 春风" s 2 659.25 830.61

# A plain constant-bitrate stream without the Xing/LAME header (lame -t), long enough
# for the playback tests to pause and resume in.
tone "$work/tone.wav" 5 523.25 659.25
lame --quiet --cbr -b 128 -t "$work/tone.wav" "$top/陈静 - 花开.mp3"
rm -f "$work/tone.wav"

# A large track for the playback benchmark: a soft tone at a fixed 320 kbit/s.
tone "$work/tone.wav" 135 196 246.94
lame --quiet --cbr -b 320 "$work/tone.wav" "$top/白云乐队 - 长夜.mp3"
rm -f "$work/tone.wav"

song "$work/wy" "赵雷 - 百花香" s 3 466.16 587.33
song "$work/wy" "赵雷 - 山歌" sh 2 311.13
song "$work/wy" "孙悦 - 月光" s 2 415.30 523.25

chmod 755 "$work"
rm -rf "$out"
mv "$work" "$out"
trap - EXIT
