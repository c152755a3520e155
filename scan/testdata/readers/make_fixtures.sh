#!/usr/bin/env bash
# Regenerates the content-reader fixtures in this folder with real tools. Not run by CI; the
# outputs are committed. Needs: imagemagick, sox, lame, id3v2, eyed3, gcc-mingw-w64-x86-64 and
# gcc-mingw-w64-i686 (with their binutils).
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ---- images (checked with identify at the end) ----
convert -size 40x30 xc:red -type TrueColor BMP3:rgb24.bmp
convert -size 2x256 gradient:black-white +dither -colors 256 gray256.gif
convert -size 20x10 gradient:black-white -define png:color-type=0 -define png:bit-depth=16 gray16.png
convert -size 24x12 gradient:red-blue -alpha set -channel A -evaluate set 50% +channel PNG32:rgba8.png
convert -size 24x12 gradient:red-blue -colors 16 PNG8:palette.png
convert -size 48x32 gradient:red-green -quality 40 baseline.jpg
convert -size 48x32 gradient:red-green -quality 40 -interlace Plane progressive.jpg
convert -size 30x20 xc:blue -type TrueColor rgb24.pcx
convert -size 100x50 xc:green -type TrueColor -depth 8 -compress lzw -define tiff:endian=msb rgb-be.tif
convert -size 100x50 xc:green -type TrueColor -depth 8 -compress lzw -define tiff:endian=lsb rgb-le.tif
convert -size 16x8 xc:gray50 -type Grayscale -depth 8 -compress lzw gray8.tif
identify -format '%f %m %wx%h %z-bit %[channels] %[interlace]\n' \
  rgb24.bmp gray256.gif gray16.png rgba8.png palette.png baseline.jpg progressive.jpg rgb24.pcx \
  rgb-be.tif rgb-le.tif gray8.tif

# ---- MP3 tags (checked with id3v2 -l at the end) ----
sox -n -r 8000 -c 1 "$work/tone.wav" synth 0.2 sine 440
lame --silent -b 8 -m m "$work/tone.wav" "$work/plain.mp3"
cp "$work/plain.mp3" v1.mp3
id3v2 -1 -a "Artist" -t "Title" -y 1999 -g 17 v1.mp3
cp "$work/plain.mp3" v11.mp3
id3v2 -1 -a "Band" -t "Song" -A "Album" -y 2001 -g 255 -T 7 \
  -c "A comment that is longer than twenty-eight" v11.mp3
cp "$work/plain.mp3" v23-latin1.mp3
id3v2 -2 -a "Café Müller" -t "Señor" -A "Über" -y 1987 -g 17 -T 3/12 -c "Wörds" v23-latin1.mp3
cp "$work/plain.mp3" v23-utf16.mp3
eyeD3 --quiet --to-v2.3 --encoding utf16 -a "Мумий Тролль" -t "Утекай" -A "Морская" \
  --recording-date 1997 -G "Русский рок" -c "Комментарий" v23-utf16.mp3 >/dev/null
cp "$work/plain.mp3" v24.mp3
eyeD3 --quiet --to-v2.4 -a "Artist" -t "Title" v24.mp3 >/dev/null
cp "$work/plain.mp3" both.mp3
id3v2 -a "Both Artist" -t "Both Title" both.mp3
id3v2 -2 -t "Only In Two" both.mp3
for f in v1.mp3 v11.mp3 v23-latin1.mp3 v23-utf16.mp3 v24.mp3 both.mp3; do
  echo "== $f"; id3v2 -l "$f"
done

# ---- PE version resources ----
cat > "$work/main.c" <<'C'
int entry(void) { return 0; }
C
cat > "$work/full.rc" <<'RC'
1 VERSIONINFO
FILEVERSION 1,2,3,4
PRODUCTVERSION 1,2,0,0
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904B0"
    BEGIN
      VALUE "CompanyName", "Tolvane Test Works"
      VALUE "FileDescription", "Fixture Tool"
      VALUE "FileVersion", "1.2.3.4"
      VALUE "InternalName", "fixture"
      VALUE "LegalCopyright", "(c) 2024 Tolvane"
      VALUE "OriginalFilename", "fixture.exe"
      VALUE "ProductName", "Fixture Suite"
      VALUE "ProductVersion", "1.2"
      VALUE "Comments", "Grüße"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0409, 1200
  END
END
RC
cat > "$work/company.rc" <<'RC'
1 VERSIONINFO
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040704E4"
    BEGIN
      VALUE "CompanyName", "Only Company"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0407, 1252
  END
END
RC
cat > "$work/same.rc" <<'RC'
1 VERSIONINFO
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904B0"
    BEGIN
      VALUE "FileDescription", "Same Name"
      VALUE "ProductName", "Same Name"
      VALUE "ProductVersion", "2.0"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0409, 1200
  END
END
RC
build() {  # build <prefix> <rc or -> <output>
  local cc=$1-w64-mingw32-gcc res=$1-w64-mingw32-windres objs=("$work/main.c")
  if [ "$2" != - ]; then
    "$res" -c 65001 "$2" -O coff -o "$work/res.o"
    objs+=("$work/res.o")
  fi
  local entry=entry
  [ "$1" = i686 ] && entry=_entry  # 32-bit symbols carry a leading underscore
  "$cc" -Os -s -nostdlib -Wl,-e,$entry -Wl,--subsystem,console -o "$3" "${objs[@]}"
}
build x86_64 "$work/full.rc" version64.exe
build i686 "$work/full.rc" version32.exe
build x86_64 "$work/company.rc" company64.dll
build x86_64 "$work/same.rc" same64.exe
build x86_64 - nover64.exe

# ---- the fuzzer's seeds ----
seeds=../../../fuzz/corpus/ContentDesc
mkdir -p "$seeds"
cp rgb24.bmp gray256.gif rgba8.png baseline.jpg rgb24.pcx rgb-be.tif v1.mp3 v23-utf16.mp3 \
  version32.exe "$seeds"/
ls -l
