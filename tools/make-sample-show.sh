#!/usr/bin/env bash
# Regenerates the sample show in assets/Default/ from the sources in tools/sample-show/: the three GBK texts
# with CR LF line ends, the two heart button pictures, the animated background and the song.
#
# usage: tools/make-sample-show.sh
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
src="$here/sample-show"
out="$(cd "$here/.." && pwd)/assets/Default"

# Each needed command and the Debian package that brings it.
missing=()
for pair in python3:python3 sox:sox lame:lame convert:imagemagick identify:imagemagick iconv:libc-bin; do
  command -v "${pair%%:*}" >/dev/null 2>&1 || missing+=("${pair#*:}")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "make-sample-show: missing tools; install them with:" >&2
  echo "  apt-get install $(printf '%s\n' "${missing[@]}" | sort -u | tr '\n' ' ')" >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stage="$work/Default"
mkdir -p "$stage"

# Texts: UTF-8 sources to GBK with CR LF line ends.
to_gbk_crlf() {
  sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//' -e 's/$/\r/' "$src/$1" | iconv -f UTF-8 -t GBK >"$stage/$2"
}
to_gbk_crlf config.ini.txt Config.ini
to_gbk_crlf subtitle.txt Subtitle.txt
to_gbk_crlf msgbox.txt MsgBox.txt

lines="$(grep -c '' "$src/msgbox.txt")"
bad="$(grep -vc '^[^|]\+|[^|]\+$' "$src/msgbox.txt" || true)"
if [ "$lines" -ne 30 ] || [ "$bad" -ne 0 ]; then
  echo "make-sample-show: msgbox.txt needs 30 lines of message|title ($lines lines, $bad malformed)" >&2
  exit 1
fi

# The heart buttons: 100x100 24-bit BMPs on exact magenta.
python3 -B "$src/hearts.py" "$stage"

# The background: 20 frames at 10 frames a second, looping forever. Each frame after the first keeps only the
# pixels that change (the rest transparent, disposal none); then one palette is made for all frames.
mkdir "$work/frames"
python3 -B "$src/background.py" "$work/frames"
convert -delay 10 -loop 0 "$work"/frames/frame-*.ppm -layers OptimizeTransparency +dither +remap "$stage/MGH_BG.gif"

# The song: notes synthesised by sox, mixed, then encoded at 80 kbit/s, 44.1 kHz stereo.
python3 -B "$src/melody.py" "$work/song.wav" "$work/notes"
lame --quiet --noreplaygain -b 80 --resample 44.1 "$work/song.wav" "$stage/Music_BG.mp3"

mkdir -p "$out"
for f in Config.ini Subtitle.txt MsgBox.txt MGH_Default.bmp MGH_Focus.bmp MGH_BG.gif Music_BG.mp3; do
  cp "$stage/$f" "$out/$f"
  printf '  %-16s %8d bytes\n' "$f" "$(wc -c <"$out/$f")"
done
echo "make-sample-show: wrote $out"
