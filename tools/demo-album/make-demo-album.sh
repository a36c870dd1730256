#!/usr/bin/env bash
# Makes the demo album beside a built program: PROGRAM_FOLDER/Albums/Demo
# with a dozen pictures of each item picture format (.jpg, .bmp, .tif, in
# several depths and codings) and short clips of each video kind (.mpg,
# .mpeg, .erm, .avi). Nothing happens when PROGRAM_FOLDER/Albums holds
# anything: the user's albums are never touched. Needs ImageMagick's convert and ffmpeg.
#   tools/demo-album/make-demo-album.sh PROGRAM_FOLDER
set -euo pipefail
folder=${1:?usage: make-demo-album.sh PROGRAM_FOLDER}
albums=$folder/Albums
# An albums folder with anything in it is the user's; an empty one (left by an
# older build) is filled.
if [ -e "$albums" ]; then
  [ -d "$albums" ] && [ -z "$(ls -A "$albums")" ] || exit 0
fi

work=$(mktemp -d "$folder/.demo-album.XXXXXX")
trap 'rm -rf "$work"' EXIT
demo=$work/Albums/Demo
mkdir -p "$demo"

# Twelve scenes, 640 x 480 or portrait 480 x 640, drawn by ImageMagick.
scenes=(
  "640x480 plasma:steelblue-orange"
  "640x480 gradient:#fcb045-#833ab4"
  "480x640 radial-gradient:#e0f7fa-#006064"
  "640x480 plasma:darkgreen-khaki"
  "640x480 gradient:#0f2027-#2c5364"
  "480x640 plasma:firebrick-gold"
  "640x480 radial-gradient:white-navy"
  "640x480 plasma:purple-pink"
  "640x480 gradient:#ff512f-#dd2476"
  "480x640 plasma:sienna-wheat"
  "640x480 radial-gradient:yellow-black"
  "640x480 plasma:black-white"
)
names=(Harbour Dusk Lagoon Meadow Night Ember Moon Orchid Sunset Dune Eclipse Storm)

for i in "${!scenes[@]}"; do
  read -r size source <<<"${scenes[$i]}"
  name=${names[$i]}
  convert -size "$size" -seed $((i + 1)) "$source" -depth 8 "$work/$name.ppm"
  # JPEG: baseline, progressive every third, grey every fourth.
  jpeg=(-quality 88)
  ((i % 3 == 2)) && jpeg+=(-interlace Plane)
  ((i % 4 == 3)) && jpeg+=(-colorspace Gray)
  convert "$work/$name.ppm" "${jpeg[@]}" "$demo/$name.jpg"
  # BMP: 24-bit, every third with a 256-colour table.
  if ((i % 3 == 1)); then
    convert "$work/$name.ppm" -colors 256 -type Palette BMP3:"$demo/$name bitmap.bmp"
  else
    convert "$work/$name.ppm" BMP3:"$demo/$name bitmap.bmp"
  fi
  # TIFF: LZW, uncompressed every other, grey every fourth.
  tiff=(-compress lzw)
  ((i % 2 == 1)) && tiff=(-compress none)
  ((i % 4 == 0)) && tiff+=(-colorspace Gray)
  convert "$work/$name.ppm" "${tiff[@]}" "$demo/$name scan.tif"
  rm "$work/$name.ppm"
done

# Clips of two seconds from FFmpeg's test pictures.
clip() { # source, codec options..., output
  ffmpeg -nostdin -loglevel error -f lavfi -i "$1" -t 2 "${@:2}"
}
clip "testsrc2=size=352x288:rate=25" -c:v mpeg1video -b:v 1500k -f mpeg "$demo/Test card.mpg"
clip "mandelbrot=size=720x576:rate=25" -c:v mpeg2video -b:v 4000k -f vob "$demo/Fractal.mpeg"
clip "smptebars=size=320x240:rate=25" -c:v mjpeg -q:v 4 "$demo/Colour bars.avi"
# A recording: an MPEG-2 program stream followed by the 16-byte trailer whose
# first four bytes (little-endian) hold kind 1, a recording with video.
clip "life=size=320x240:rate=25:mold=10:ratio=0.3" -pix_fmt yuv420p -c:v mpeg2video -b:v 2000k -f vob \
  "$work/recording.mpg"
{ cat "$work/recording.mpg"; printf '\001\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000'; } \
  >"$demo/Life recording.erm"

[ -d "$albums" ] && rmdir "$albums"
mv "$work/Albums" "$albums"
