#!/bin/bash
# Draws every picture and synthesises every sound the program ships with.
#
# Needs ImageMagick 6 (convert), sox, fonts-dejavu-core and fonts-liberation2.
# Re-running it rewrites smile/, sound/ and pictures/ with byte-identical files: shapes are drawn
# at S times their final size and averaged down, PNG files carry no time stamps, and sox runs with
# a fixed random seed and no dither.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$here/smile" "$here/sound" "$here/pictures"

S=8 # supersampling factor: everything is drawn S times larger, then box-filtered down

font_sans_bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
font_serif_bold_italic=/usr/share/fonts/truetype/dejavu/DejaVuSerif-BoldItalic.ttf
font_title=/usr/share/fonts/truetype/liberation2/LiberationSans-BoldItalic.ttf
for f in "$font_sans_bold" "$font_serif_bold_italic" "$font_title"; do
  [[ -f $f ]] || { echo "missing font $f (install fonts-dejavu-core fonts-liberation2)" >&2; exit 1; }
done

# ImageMagick writes the creation time into PNG files unless told not to.
png_clean=(-strip -define png:exclude-chunks=date,time)

# Multiplies a length given in final pixels by S.
big() { awk -v v="$1" -v s="$S" 'BEGIN { printf "%d", v * s + 0.5 }'; }

# Prints the arguments of a radial gradient centred at (cx, cy) with radius r, all in final pixels.
radial() {
  echo "-define gradient:center=$(big "$1"),$(big "$2") -define gradient:radii=$(big "$3"),$(big "$3") radial-gradient:$4-$5"
}

# MVG prologue: draw in final-pixel units with round strokes.
pen="scale $S,$S stroke-linecap round stroke-linejoin round"

# outline IN OUT COLOUR WIDTH: puts a ring of the given colour and width (final pixels) around
# everything drawn in a large layer.
outline() {
  convert "$1" \( +clone -alpha extract -morphology EdgeOut Disk:"$(big "$4")" -background "$3" -alpha shape \) \
    -compose DstOver -composite "$2"
}

# mask_fill OUT W H MASK-ARGS... -- GRADIENT-ARGS...: the white parts of a large black canvas, drawn
# with the ImageMagick arguments before "--", filled with the gradient image after it.
mask_fill() {
  local out=$1 w=$2 h=$3; shift 3
  local mask=()
  while [[ $1 != -- ]]; do mask+=("$1"); shift; done
  shift
  convert \( -size "$(big "$w")x$(big "$h")" "$@" \) \
    \( -size "$(big "$w")x$(big "$h")" xc:black -fill white -stroke white "${mask[@]}" \) \
    -alpha off -compose CopyOpacity -composite "$out"
}

# small_gif BIG OUT W H: averages a large drawing down to W x H and makes it a GIF. GIF has only
# on/off transparency, so edge pixels that are mostly covered are blended over white (the
# transcript's page colour) and kept; the rest become transparent.
small_gif() {
  convert "$1" -filter box -resize "$3x$4!" \
    \( +clone -alpha extract -threshold 45% \) \
    \( -clone 0 -background white -alpha remove -alpha off \) \
    -delete 0 +swap -alpha off -compose CopyOpacity -composite -strip "$2"
}

# small_png BIG OUT W H: averages a large drawing down to W x H, keeping full alpha.
small_png() {
  convert "$1" -filter box -resize "$3x$4!" "${png_clean[@]}" "PNG32:$2"
}

# ---------------------------------------------------------------------------------------------
# Smileys: yellow faces, 20 x 20, drawn in a 20-unit space with the face centred at (10, 10).

ink='#3f260b'      # eyes, mouths, brows
rim='#8f5605'      # face outline
face_light='#fff5b3'
face_dark='#f5b20f'

# face OUT W H CX CY R [LIGHT DARK]: a shaded face disc with its outline, large.
face() {
  local out=$1 w=$2 h=$3 cx=$4 cy=$5 r=$6 light=${7:-$face_light} dark=${8:-$face_dark}
  local hx hy
  hx=$(awk -v c="$cx" -v r="$r" 'BEGIN { print c - r * 0.35 }')
  hy=$(awk -v c="$cy" -v r="$r" 'BEGIN { print c - r * 0.4 }')
  mask_fill "$work/disc.miff" "$w" "$h" -draw "$pen circle $cx,$cy $cx,$(awk -v c="$cy" -v r="$r" 'BEGIN { print c - r }')" \
    -- $(radial "$hx" "$hy" "$(awk -v r="$r" 'BEGIN { print r * 1.55 }')" "$light" "$dark")
  convert "$work/disc.miff" -draw "$pen fill none stroke '$rim' stroke-width 0.95 circle $cx,$cy $cx,$(awk -v c="$cy" -v r="$r" 'BEGIN { print c - r + 0.1 }')" "$out"
}

# smiley_frame OUT MVG [LIGHT DARK]: a 20 x 20 face with the given features.
smiley_frame() {
  local out=$1 mvg=$2
  face "$work/f.miff" 20 20 10 10 9.3 "${3:-$face_light}" "${4:-$face_dark}"
  convert "$work/f.miff" -draw "$pen $mvg" "$work/big.miff"
  small_gif "$work/big.miff" "$out" 20 20
}
smiley() { local name=$1; shift; smiley_frame "$here/smile/$name.gif" "$@"; }

# animate OUT DELAY FRAME...: loops the frames (centiseconds per frame).
animate() {
  local out=$1 delay=$2; shift 2
  convert -delay "$delay" -dispose Background "$@" -loop 0 -strip "$out"
}

eyes="fill '$ink' stroke none ellipse 7,7.9 1.15,1.75 0,360 ellipse 13,7.9 1.15,1.75 0,360"
glints="fill white stroke none circle 7.35,7.2 7.35,6.75 circle 13.35,7.2 13.35,6.75"
happy_eyes="fill none stroke '$ink' stroke-width 1.1 path 'M 5.6,8.6 Q 7,6.4 8.4,8.6' path 'M 11.6,8.6 Q 13,6.4 14.4,8.6'"
line="fill none stroke '$ink' stroke-width 1.2"

smiley smile "$eyes $glints $line path 'M 5.6,12.2 Q 10,16.6 14.4,12.2'"

smiley biggrin "$happy_eyes
  fill '#8e2a16' stroke '$ink' stroke-width 0.8 path 'M 4.9,11 Q 10,12 15.1,11 Q 14.6,17.2 10,17.2 Q 5.4,17.2 4.9,11 Z'
  fill white stroke none path 'M 5.5,11.55 Q 10,12.5 14.5,11.55 L 14.2,13.1 Q 10,13.9 5.8,13.1 Z'
  fill '#e4707a' stroke none path 'M 7.4,16.2 Q 10,14.6 12.6,16.2 Q 10,17 7.4,16.2 Z'"

smiley confusedS "fill '$ink' stroke none ellipse 7,8.2 1.1,1.6 0,360 ellipse 13,7.6 1.3,1.95 0,360 $glints
  $line stroke-width 0.9 path 'M 5,5.4 L 8.4,4.7' path 'M 11.8,4.2 Q 13.2,3.6 14.8,4.6'
  $line path 'M 5.4,13.6 C 6.9,11.4 8.5,11.4 10,13.6 C 11.5,15.8 13.1,15.8 14.6,13.6'"

smiley confused2 "fill white stroke '$ink' stroke-width 0.6 ellipse 7,8 1.9,2.2 0,360 ellipse 13,8 1.9,2.2 0,360
  fill '$ink' stroke none circle 6.2,7 6.2,6 circle 12.2,7 12.2,6
  $line stroke-width 0.9 path 'M 4.6,4.9 L 8.6,4.5' path 'M 11.4,3.8 Q 13,3 15,4.2'
  $line path 'M 6.4,14.6 L 13.8,12.6'"

# disgust has a sickly, greenish face
smiley disgust "fill '$ink' stroke none ellipse 7,8.6 1.25,0.95 0,360 ellipse 13,8.6 1.25,0.95 0,360
  $line stroke-width 1 path 'M 4.7,5.6 L 8.6,6.9' path 'M 15.3,5.6 L 11.4,6.9'
  $line path 'M 5.8,15.4 Q 7.6,12.4 10,13.9 Q 12.4,12.4 14.2,15.4'" '#f4f8b0' '#b7c73a'

# yes: nods (the features look down, then up); no: shakes (the features look left, then right).
nod() { # DY
  echo "translate 0,$1 $happy_eyes $line path 'M 5.4,11.6 Q 10,16.4 14.6,11.6'"
}
smiley_frame "$work/yes1.gif" "$(nod 0.9)"
smiley_frame "$work/yes2.gif" "$(nod -1.3)"
animate "$here/smile/yes.gif" 35 "$work/yes1.gif" "$work/yes2.gif"

shake() { # DX
  echo "translate $1,0 $eyes $line stroke-width 1 path 'M 5.2,5.4 L 8.6,5.2' path 'M 14.8,5.4 L 11.4,5.2'
    $line path 'M 6.4,14.4 Q 10,12.4 13.6,14.4'"
}
smiley_frame "$work/no1.gif" "$(shake -1.4)"
smiley_frame "$work/no2.gif" "$(shake 1.4)"
animate "$here/smile/no.gif" 25 "$work/no1.gif" "$work/no2.gif"

smiley lol "fill none stroke '$ink' stroke-width 1.1 path 'M 5.2,6.4 L 8.2,7.9 L 5.2,9.4' path 'M 14.8,6.4 L 11.8,7.9 L 14.8,9.4'
  fill '#8e2a16' stroke '$ink' stroke-width 0.8 path 'M 5,11 Q 10,11.8 15,11 Q 14,17.6 10,17.6 Q 6,17.6 5,11 Z'
  fill white stroke none path 'M 5.6,11.5 Q 10,12.3 14.4,11.5 L 14.1,12.8 Q 10,13.5 5.9,12.8 Z'
  fill '#e4707a' stroke none path 'M 7.3,16.5 Q 10,14.6 12.7,16.5 Q 10,17.4 7.3,16.5 Z'
  fill '#6ec3ff' stroke '#2f7fc8' stroke-width 0.5 path 'M 3.1,9.4 Q 2.2,11.6 3.1,12.2 Q 4,11.6 3.1,9.4 Z' path 'M 16.9,9.4 Q 16,11.6 16.9,12.2 Q 17.8,11.6 16.9,9.4 Z'"

smiley unsure "fill '$ink' stroke none ellipse 6.6,8.4 1.1,1.6 0,360 ellipse 12.6,8.4 1.1,1.6 0,360
  $line stroke-width 0.9 path 'M 4.9,5.9 L 8.3,5' path 'M 11.4,5 L 14.8,5.9'
  $line stroke-width 1.1 path 'M 6.4,13.9 Q 7.8,12.8 9.2,13.9 Q 10.6,15 12,13.9 Q 12.9,13.2 13.7,13.6'"

smiley brow "fill '$ink' stroke none ellipse 7,8.1 1.2,1.85 0,360 ellipse 13,8.7 1.25,1 0,360 circle 7.35,7.3 7.35,6.85
  $line stroke-width 1.05 path 'M 4.8,4.7 Q 6.8,2.6 8.9,4.3' path 'M 11.2,6.8 L 15.1,6.5'
  $line path 'M 6.8,13.8 Q 10.4,15.4 14.1,12.2'"

smiley crazy "fill white stroke '$ink' stroke-width 0.6 circle 6.7,7.6 6.7,4.9 circle 13.5,8.2 13.5,6.6
  fill '$ink' stroke none circle 7.3,6.7 7.3,5.7 circle 13,8.8 13,8.1
  $line path 'M 5,12.2 Q 6.6,14 8.2,12.6 Q 9.8,11.2 11.4,12.8 Q 13,14.4 15,12.4'
  fill '#e4707a' stroke '#9a2f38' stroke-width 0.55 path 'M 9.6,13 Q 9.2,17.4 11.3,17.2 Q 13,16.9 12.4,13.2 Z'
  fill none stroke '#9a2f38' stroke-width 0.4 path 'M 11,13.6 L 11.2,15.8'"

# excl and question: glossy marks, red and blue, with a dark edge
mask_fill "$work/m.miff" 20 20 -draw "$pen path 'M 8,2.8 Q 10,1.4 12,2.8 L 11.1,12.4 Q 10,13.2 8.9,12.4 Z' circle 10,16.4 10,14.5" \
  -- -define gradient:angle=90 gradient:'#ff7a5c'-'#d0140a'
outline "$work/m.miff" "$work/big.miff" '#6e0804' 0.75
small_gif "$work/big.miff" "$here/smile/excl.gif" 20 20

mask_fill "$work/m.miff" 20 20 -font "$font_sans_bold" -pointsize "$(big 20)" -gravity center -annotate +0+"$(big 0.3)" '?' \
  -- -define gradient:angle=90 gradient:'#6fb6ff'-'#1d5fd0'
outline "$work/m.miff" "$work/big.miff" '#0b2e6e' 0.75
small_gif "$work/big.miff" "$here/smile/question.gif" 20 20

smiley cool "fill '#1b1b22' stroke '#000000' stroke-width 0.4
  path 'M 3.4,6.7 L 16.6,6.7 L 16.4,7.8 Q 16,10.6 13.2,10.6 Q 11,10.6 10.6,8.3 L 9.4,8.3 Q 9,10.6 6.8,10.6 Q 4,10.6 3.6,7.8 Z'
  fill none stroke '#8fa6c8' stroke-width 0.55 path 'M 4.9,7.7 L 6.6,7.7' path 'M 11.9,7.7 L 13.6,7.7'
  $line path 'M 6.4,13.2 Q 10.4,16.2 14.2,12.4'"

smiley cry "fill none stroke '$ink' stroke-width 0.95 path 'M 4.8,6.6 L 8.4,5.2' path 'M 15.2,6.6 L 11.6,5.2'
  stroke-width 1.05 path 'M 5.7,8.6 Q 7,9.8 8.3,8.6' path 'M 11.7,8.6 Q 13,9.8 14.3,8.6'
  $line path 'M 6.2,15.6 Q 10,11.8 13.8,15.6'
  fill '#7cc8ff' stroke '#2f7fc8' stroke-width 0.45 path 'M 6.4,9.9 L 6.2,16.6 Q 5.2,17.6 4.9,16.3 Z' path 'M 13.6,9.9 L 13.8,16.6 Q 14.8,17.6 15.1,16.3 Z'"

# bye2: a face with a raised hand that waves; 24 x 20.
wave() { # ANGLE OUT
  face "$work/f.miff" 24 20 8.6 11.2 8.2
  mask_fill "$work/hand.miff" 24 20 -draw "$pen translate 19.2,16 rotate $1 translate -19.2,-16 stroke-width 1.7
      line 17.2,10.6 15.9,5.4 line 18.6,10 18.2,3.6 line 20.1,10 20.6,4 line 21.4,10.6 22.6,6.2 line 17,13 14.9,11
      stroke-width 0.1 ellipse 19.3,12.4 3,3.4 0,360 rectangle 17.4,13 21,17" \
    -- $(radial 17.5 7 9 "$face_light" "$face_dark")
  outline "$work/hand.miff" "$work/hand2.miff" "$rim" 0.55
  convert "$work/f.miff" -draw "$pen translate -1.4,1.2 scale 0.88,0.88 $eyes $line path 'M 5.4,11.8 Q 10,16 14.6,11.8'" \
    "$work/hand2.miff" -compose Over -composite "$work/big.miff"
  small_gif "$work/big.miff" "$2" 24 20
}
wave 10 "$work/bye1.gif"
wave -12 "$work/bye2.gif"
animate "$here/smile/bye2.gif" 30 "$work/bye1.gif" "$work/bye2.gif"

# idea: a glowing light bulb
mask_fill "$work/glass.miff" 20 20 -draw "$pen path 'M 7.4,13.2 Q 7.3,11.6 6,10.2 Q 4.4,8.4 4.6,6.4 Q 5,1.6 10,1.5 Q 15,1.6 15.4,6.4 Q 15.6,8.4 14,10.2 Q 12.7,11.6 12.6,13.2 Z'" \
  -- $(radial 9 5.5 8 '#fffef0' '#ffd21a')
convert "$work/glass.miff" -draw "$pen fill none stroke '#9a7400' stroke-width 0.75
    path 'M 7.4,13.2 Q 7.3,11.6 6,10.2 Q 4.4,8.4 4.6,6.4 Q 5,1.6 10,1.5 Q 15,1.6 15.4,6.4 Q 15.6,8.4 14,10.2 Q 12.7,11.6 12.6,13.2 Z'
    stroke '#e08a00' stroke-width 0.6 path 'M 8.7,12.8 L 8.4,8.6 Q 9.2,7.8 10,8.6 Q 10.8,7.8 11.6,8.6 L 11.3,12.8'
    fill '#b8bec8' stroke '#5d6470' stroke-width 0.6 path 'M 7.3,13.4 L 12.7,13.4 L 12.5,16.6 Q 12.2,17.6 11.2,17.8 L 8.8,17.8 Q 7.8,17.6 7.5,16.6 Z'
    stroke '#7a818c' stroke-width 0.55 path 'M 7.6,14.9 L 12.4,14.5' path 'M 7.7,16.3 L 12.3,15.9'
    fill '#5d6470' stroke none path 'M 9,17.8 L 11,17.8 L 10.6,18.8 L 9.4,18.8 Z'
    fill none stroke '#ffb300' stroke-width 0.8 path 'M 1.3,6.5 L 2.7,6.6' path 'M 17.3,6.6 L 18.7,6.5'
    path 'M 2.7,1.9 L 3.8,2.8' path 'M 17.3,1.9 L 16.2,2.8'" "$work/big.miff"
small_gif "$work/big.miff" "$here/smile/idea.gif" 20 20

# sun: a smiling sun with rays, 31 x 31
sunrays=$(awk 'BEGIN {
  pi = atan2(0, -1); printf "path \047"
  for (i = 0; i < 12; i++) {
    a = i * pi / 6; l = (i % 2) ? 13.6 : 15; w = 0.26
    printf "M %.2f,%.2f L %.2f,%.2f L %.2f,%.2f Z ", 15.5 + 9.6 * cos(a - w), 15.5 + 9.6 * sin(a - w),
      15.5 + l * cos(a), 15.5 + l * sin(a), 15.5 + 9.6 * cos(a + w), 15.5 + 9.6 * sin(a + w)
  }
  printf "\047" }')
face "$work/f.miff" 31 31 15.5 15.5 9.6 '#fff7a8' '#ffa51a'
convert \( -size "$(big 31)x$(big 31)" xc:none -draw "$pen fill '#ffb321' stroke '#d06f00' stroke-width 0.7 $sunrays" \) \
  "$work/f.miff" -compose Over -composite \
  -draw "$pen translate 5.5,5.6 $happy_eyes fill '#ff8a5c' fill-opacity 0.55 stroke none ellipse 5.2,11.4 1.4,0.9 0,360 ellipse 14.8,11.4 1.4,0.9 0,360
    fill-opacity 1 $line path 'M 6,12.2 Q 10,16.2 14,12.2'" "$work/big.miff"
small_gif "$work/big.miff" "$here/smile/sun.gif" 31 31

echo "smileys done"

# ---------------------------------------------------------------------------------------------
# Sounds: soft sine chimes and beeps, 22050 Hz mono 16-bit, kept well below full scale.

soxr() { sox -R -D "$@"; } # fixed seed, no dither: the same bytes on every run

# note OUT FREQ LENGTH DELAY: a bell-like tone (fundamental plus a faint octave and twelfth) that
# starts DELAY seconds in, with a soft attack and a long logarithmic decay.
note() {
  local out=$1 f=$2 len=$3 delay=$4
  local tone_format=(-n -r 44100 -c 1 -e floating-point -b 32)
  soxr "${tone_format[@]}" "$work/n1.wav" synth "$len" sine "$f"
  soxr "${tone_format[@]}" "$work/n2.wav" synth "$len" sine "$(awk -v f="$f" 'BEGIN { print 2 * f }')"
  soxr "${tone_format[@]}" "$work/n3.wav" synth "$len" sine "$(awk -v f="$f" 'BEGIN { print 3 * f }')"
  soxr -m -v 1 "$work/n1.wav" -v 0.22 "$work/n2.wav" -v 0.06 "$work/n3.wav" -e floating-point -b 32 "$out" \
    fade l 0.015 "$len" "$(awk -v l="$len" 'BEGIN { print l - 0.016 }')" pad "$delay"
}

# beep OUT FREQ LENGTH DELAY: a short, rounded tone for the system sound.
beep() {
  local out=$1 f=$2 len=$3 delay=$4
  local tone_format=(-n -r 44100 -c 1 -e floating-point -b 32)
  soxr "${tone_format[@]}" "$work/n1.wav" synth "$len" sine "$f"
  soxr "${tone_format[@]}" "$work/n2.wav" synth "$len" sine "$(awk -v f="$f" 'BEGIN { print 2 * f }')"
  soxr -m -v 1 "$work/n1.wav" -v 0.3 "$work/n2.wav" -e floating-point -b 32 "$out" \
    fade h 0.012 "$len" 0.03 pad "$delay"
}

# mixdown OUT PEAK NOTE...: mixes the notes and writes the final 16-bit file, padded with a short
# silence so that no player cuts the tail.
mixdown() {
  local out=$1 peak=$2; shift 2
  local inputs=()
  for n in "$@"; do inputs+=(-v 1 "$n"); done
  if (( $# > 1 )); then
    soxr -m "${inputs[@]}" -e floating-point -b 32 "$work/mix.wav"
  else
    cp "$1" "$work/mix.wav"
  fi
  soxr "$work/mix.wav" -r 22050 -c 1 -e signed-integer -b 16 "$out" gain -n "$peak" pad 0 0.02
}

# message: a soft rising two-tone chime (G5, C6)
note "$work/a.wav" 783.99 0.34 0
note "$work/b.wav" 1046.50 0.36 0.11
mixdown "$here/sound/message.wav" -9 "$work/a.wav" "$work/b.wav"

# pmprivate: a brighter three-note rising chime (C6, E6, G6)
note "$work/a.wav" 1046.50 0.28 0
note "$work/b.wav" 1318.51 0.28 0.09
note "$work/c.wav" 1567.98 0.34 0.18
mixdown "$here/sound/pmprivate.wav" -9 "$work/a.wav" "$work/b.wav" "$work/c.wav"

# system: a low double beep (A4 twice)
beep "$work/a.wav" 440 0.09 0
beep "$work/b.wav" 440 0.09 0.16
mixdown "$here/sound/system.wav" -13 "$work/a.wav" "$work/b.wav"

echo "sounds done"

# ---------------------------------------------------------------------------------------------
# Pictures built into the program.

pic() { echo "$here/pictures/$1"; }

# bubble X0 Y0 X1 Y1 R TAIL_A TAIL_B TIP_X TIP_Y: the MVG path of a speech bubble, a rounded
# rectangle whose bottom edge grows a tail from TAIL_A..TAIL_B to the tip.
bubble() {
  awk -v x0="$1" -v y0="$2" -v x1="$3" -v y1="$4" -v r="$5" -v a="$6" -v b="$7" -v tx="$8" -v ty="$9" 'BEGIN {
    printf "path \047M %g,%g H %g A %g,%g 0 0,1 %g,%g V %g A %g,%g 0 0,1 %g,%g H %g Q %g,%g %g,%g Q %g,%g %g,%g H %g A %g,%g 0 0,1 %g,%g V %g A %g,%g 0 0,1 %g,%g Z\047",
      x0 + r, y0, x1 - r, r, r, x1, y0 + r, y1 - r, r, r, x1 - r, y1, b,
      b - (b - tx) * 0.15, y1 + (ty - y1) * 0.5, tx, ty, a + (tx - a) * 0.3, y1 + (ty - y1) * 0.35, a, y1,
      x0 + r, r, r, x0, y1 - r, y0 + r, r, r, x0 + r, y0 }'
}

blue_bubble=$(bubble 4 17 48 50 11 12 23 7 61)
yellow_bubble=$(bubble 22 5 60 35 10 42 51 57 44)

# logo_layer OUT LINE: the program's mark, two speech bubbles, on a transparent 64 x 64 unit
# canvas; LINE is the outline width, thicker for the small icon sizes.
logo_layer() {
  local out=$1 lw=$2
  mask_fill "$work/yb.miff" 64 64 -draw "$pen $yellow_bubble" -- $(radial 30 8 40 '#fff3a0' '#f4a800')
  mask_fill "$work/bb.miff" 64 64 -draw "$pen $blue_bubble" -- $(radial 14 20 48 '#7cc0ff' '#1240b8')
  convert "$work/yb.miff" -draw "$pen fill none stroke '#8f5a00' stroke-width $lw $yellow_bubble" \
    "$work/bb.miff" -compose Over -composite \
    -draw "$pen fill none stroke '#0a2a78' stroke-width $lw $blue_bubble
           fill white fill-opacity 0.22 stroke none roundrectangle 9,20.5 43,30 7,5 fill-opacity 1
           fill white stroke '#0a2a78' stroke-width $(awk -v w="$lw" 'BEGIN { print w * 0.35 }')
           circle 15,34.5 15,30.6 circle 26,34.5 26,30.6 circle 37,34.5 37,30.6" "$out"
}

logo_layer "$work/logo.miff" 2.4
small_png "$work/logo.miff" "$(pic korvani.png)" 64 64
logo_layer "$work/logo32.miff" 3.2
small_png "$work/logo32.miff" "$(pic korvani-32.png)" 32 32
logo_layer "$work/logo16.miff" 4.6
small_png "$work/logo16.miff" "$(pic korvani-16.png)" 16 16

echo "icons done"

# Sign-on banner, 206 x 168: the program's mark and name on a blue gradient that ends in the
# sign-on window's own background colour, RGB(0, 0, 192), so the banner runs into the window.
convert -size 206x168 gradient:'#4f8ef0'-'#0000c0' \
  \( -size 206x168 -define gradient:center=40,20 -define gradient:radii=170,130 radial-gradient:'#ffffff'-'#000000' \
     -evaluate multiply 0.28 \) -compose Screen -composite \
  -fill 'rgba(255,255,255,0.06)' -draw "circle 190,20 190,-40 circle 10,150 10,105" \
  \( -size 206x168 -define gradient:center=103,58 -define gradient:radii=75,60 radial-gradient:'#ffffff'-'#000000' \
     -evaluate multiply 0.35 \) -compose Screen -composite \
  \( "$work/logo.miff" -filter box -resize 96x96 \) -geometry +55+10 -compose Over -composite \
  \( -size 206x168 xc:none -font "$font_title" -pointsize 40 -gravity north -fill '#00106a' -annotate +2+114 'Korvani' \
     -blur 0x2.2 \) -compose Over -composite \
  -font "$font_title" -pointsize 40 -gravity north -fill white -stroke '#0a2a78' -strokewidth 0.6 -annotate +0+111 'Korvani' \
  -alpha off "${png_clean[@]}" "PNG24:$(pic banner.png)"

# About logo, 250 x 230: the same mark and name, larger, on a light panel. The window squeezes it
# and hides its bottom 20 pixels, so nothing of weight sits there.
convert -size 250x230 gradient:'#ffffff'-'#c9d9f2' \
  \( -size 250x230 -define gradient:center=125,75 -define gradient:radii=120,90 radial-gradient:'#ffffff'-'#000000' \
     -evaluate multiply 0.6 \) -compose Screen -composite \
  \( "$work/logo.miff" -filter box -resize 120x120 \) -geometry +65+14 -compose Over -composite \
  \( -size 250x230 xc:none -font "$font_title" -pointsize 44 -gravity north -fill '#0a2a78' -annotate +2+144 'Korvani' \
     -blur 0x2.5 -channel A -evaluate multiply 0.45 +channel \) -compose Over -composite \
  -font "$font_title" -pointsize 44 -gravity north -fill '#1448c0' -stroke '#0a2a78' -strokewidth 0.7 -annotate +0+141 'Korvani' \
  -alpha off "${png_clean[@]}" "PNG24:$(pic about_logo.png)"

# Skins, 200 x 300, stretched over the chat window's background: a vertical gradient with a soft
# light from the upper left and a faint diagonal sheen.
skin() { # NAME TOP BOTTOM
  convert -size 200x300 gradient:"$2"-"$3" \
    \( -size 200x300 -define gradient:center=30,20 -define gradient:radii=220,260 radial-gradient:'#ffffff'-'#000000' \
       -evaluate multiply 0.22 \) -compose Screen -composite \
    \( -size 200x300 xc:black -fill white -draw "polygon 0,170 200,60 200,110 0,240" -blur 0x24 -evaluate multiply 0.07 \) \
    -compose Screen -composite \
    -alpha off "${png_clean[@]}" "PNG24:$(pic "$1.png")"
}
skin skin1 '#3b73d1' '#0c2466'   # blue
skin skin2 '#4aa55a' '#0f4520'   # green
skin skin3 '#f5d75c' '#b8860b'   # yellow
skin skin4 '#cf3f42' '#5a0d12'   # red
skin skin5 '#4a4d55' '#0a0b0e'   # black

# Header of the user column, 121 x 21: a light bar for a bold dark caption.
convert -size 121x21 gradient:'#fbfcfe'-'#d3dbe8' \
  -fill none -stroke '#ffffff' -draw "line 1,1 119,1" \
  -stroke '#8d9ab0' -draw "rectangle 0,0 120,20" \
  -alpha off "${png_clean[@]}" "PNG24:$(pic userlist_header.png)"

# Decorative strip along the bottom of the options window, 550 x 50; its buttons show it too, so
# it stays light and calm.
convert -size 550x50 gradient:'#f4f7fb'-'#d2dbe8' \
  -fill none -stroke '#a9b6ca' -draw "line 0,0 549,0" -stroke '#ffffff' -draw "line 0,1 549,1" \
  -stroke none -fill 'rgba(20,72,192,0.06)' -draw "circle 30,44 30,4 circle 80,12 80,-14 circle 118,46 118,26" \
  -alpha off "${png_clean[@]}" "PNG24:$(pic options_strip.png)"

# Shaded panel behind the smiley picker and the private-message window, 200 x 150.
convert -size 200x150 gradient:'#f7f9fd'-'#d8e0ec' \
  \( -size 200x150 -define gradient:center=60,20 -define gradient:radii=200,150 radial-gradient:'#ffffff'-'#000000' \
     -evaluate multiply 0.25 \) -compose Screen -composite \
  -fill none -stroke '#ffffff' -draw "line 0,0 199,0 line 0,0 0,149" \
  -stroke '#aab6c8' -draw "line 0,149 199,149 line 199,0 199,149" \
  -alpha off "${png_clean[@]}" "PNG24:$(pic panel.png)"

echo "backgrounds done"

# ---------------------------------------------------------------------------------------------
# Toolbar icons, 24 x 24 with transparent background.

tool() { small_png "$work/big.miff" "$(pic "tool_$1.png")" 24 24; }
navy='#1d2b4a'
blank24() { echo -size "$(big 24)x$(big 24)" xc:none; }

# options: a steel gear
gear=$(awk 'BEGIN {
  pi = atan2(0, -1); d = pi / 180; printf "path \047"
  for (i = 0; i < 8; i++) {
    a = i * 45 * d
    printf "%s %.2f,%.2f L %.2f,%.2f L %.2f,%.2f L %.2f,%.2f ", (i ? "L" : "M"),
      12 + 8 * cos(a - 15 * d), 12 + 8 * sin(a - 15 * d), 12 + 10.6 * cos(a - 9 * d), 12 + 10.6 * sin(a - 9 * d),
      12 + 10.6 * cos(a + 9 * d), 12 + 10.6 * sin(a + 9 * d), 12 + 8 * cos(a + 15 * d), 12 + 8 * sin(a + 15 * d)
  }
  printf "Z M 8.4,12 A 3.6,3.6 0 1,0 15.6,12 A 3.6,3.6 0 1,0 8.4,12 Z\047" }')
mask_fill "$work/g.miff" 24 24 -draw "$pen fill-rule evenodd $gear" -- $(radial 9 8 15 '#eef3f9' '#6a7d96')
convert "$work/g.miff" -draw "$pen fill none stroke '#33415a' stroke-width 0.9 $gear
  stroke '#ffffff' stroke-opacity 0.55 stroke-width 0.8 circle 12,12 12,5.9" "$work/big.miff"
tool options

# bold, underline, italic: the letters themselves
convert $(blank24) -fill "$navy" -font "$font_sans_bold" -pointsize "$(big 21)" -gravity center -annotate +0+"$(big 0.5)" 'B' "$work/big.miff"
tool bold
convert $(blank24) -fill "$navy" -font "$font_sans_bold" -pointsize "$(big 18)" -gravity center -annotate +0-"$(big 1.6)" 'U' \
  -gravity northwest -draw "$pen fill '#1448c0' stroke none roundrectangle 4.5,19 19.5,21.4 0.6,0.6" "$work/big.miff"
tool underline
convert $(blank24) -fill "$navy" -font "$font_serif_bold_italic" -pointsize "$(big 21)" -gravity center -annotate +0+"$(big 0.5)" 'I' "$work/big.miff"
tool italic

# smile: the smiley face, a little larger
face "$work/f.miff" 24 24 12 12 10.6
convert "$work/f.miff" -draw "$pen translate 12,12 scale 1.14,1.14 translate -10,-10 $eyes $glints $line path 'M 5.6,12.2 Q 10,16.6 14.4,12.2'" "$work/big.miff"
tool smile

# hr: a strong rule between faint lines of text
convert $(blank24) -draw "$pen fill none stroke '#9aa6b8' stroke-width 1.4 line 4,4.5 20,4.5 line 4,8 15,8 line 4,16 20,16 line 4,19.5 13,19.5
  stroke '#0a2a78' stroke-width 2.8 line 2.5,12 21.5,12 stroke '#5b93e6' stroke-width 1 line 2.9,11.5 21.1,11.5" "$work/big.miff"
tool hr

# link: two chain links
chain() { # CX CY
  echo "push graphic-context translate $1,$2 rotate -45 fill none
    stroke '#22416f' stroke-width 3.2 roundrectangle -5.2,-2.9 5.2,2.9 2.9,2.9
    stroke '#8fbdf0' stroke-width 1.5 roundrectangle -5.2,-2.9 5.2,2.9 2.9,2.9 pop graphic-context"
}
convert $(blank24) -draw "$pen $(chain 8.4 15.6) $(chain 15.6 8.4)
  push graphic-context translate 8.4,15.6 rotate -45 fill none
    stroke '#22416f' stroke-width 3.2 line 5.2,-1.2 5.2,0.4 stroke '#8fbdf0' stroke-width 1.5 line 5.2,-1.2 5.2,0.4
  pop graphic-context" "$work/big.miff"
tool link

# print: a printer with a sheet coming out
mask_fill "$work/p.miff" 24 24 -draw "$pen roundrectangle 2.5,9 21.5,18 2,2" -- -define gradient:angle=180 gradient:'#f1f3f6'-'#98a2b1'
convert $(blank24) -draw "$pen fill white stroke '#59616e' stroke-width 0.9 rectangle 6.5,2.5 17.5,10" \
  "$work/p.miff" -compose Over -composite \
  -draw "$pen fill none stroke '#454d5a' stroke-width 0.9 roundrectangle 2.5,9 21.5,18 2,2
    fill '#3c434f' stroke none rectangle 5.5,14 18.5,15.4
    fill '#2ecc40' stroke '#1b7a26' stroke-width 0.4 circle 18.6,11.6 18.6,10.7
    fill white stroke '#59616e' stroke-width 0.9 rectangle 6.5,14.6 17.5,21.5
    stroke '#9aa6b8' stroke-width 0.8 line 8.5,17 15.5,17 line 8.5,19.2 13.5,19.2" "$work/big.miff"
tool print

# about: a white "i" on a blue disc
mask_fill "$work/a.miff" 24 24 -draw "$pen circle 12,12 12,1.6" -- $(radial 9 7 16 '#9fd2ff' '#1440b0')
convert "$work/a.miff" -draw "$pen fill none stroke '#0a2a78' stroke-width 1 circle 12,12 12,1.8
  fill white stroke none circle 12,6.9 12,5.1 roundrectangle 10.5,9.6 13.5,18.2 0.8,0.8 rectangle 9.2,9.6 13.5,11 rectangle 9.2,16.8 14.8,18.2" "$work/big.miff"
tool about

# exit: a white cross on a red disc
mask_fill "$work/a.miff" 24 24 -draw "$pen circle 12,12 12,1.6" -- $(radial 9 7 16 '#ff9a8a' '#c0150c')
convert "$work/a.miff" -draw "$pen fill none stroke '#6e0804' stroke-width 1 circle 12,12 12,1.8
  stroke white stroke-width 2.8 line 8,8 16,16 line 16,8 8,16" "$work/big.miff"
tool exit

echo "toolbar done"
