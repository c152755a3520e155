#!/usr/bin/env bash
# Rebuilds the archive fixtures of the archive tests with the real tools. Run from anywhere; the
# results are committed, so the tests need none of these tools:
#   apt-get install zip p7zip-full arj jlha-utils gcab python3
# Every file of the sample tree gets a fixed date so that listings can be compared exactly.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC LC_ALL=C.UTF-8

# The sample tree: a file at the top, a folder entry with a file, a file two folders deep, a
# non-ASCII name and an empty folder.
tree=$work/tree
mkdir -p "$tree/a/b" "$tree/dir" "$tree/empty"
printf 'top level file\n' >"$tree/x.txt"
printf 'inside dir\n' >"$tree/dir/y.txt"
printf 'deep file c\n' >"$tree/a/b/c.txt"
printf 'non-ascii name\n' >"$tree/dir/Grüße €.txt"
head -c 3000 /dev/zero | tr '\0' 'z' >"$tree/big.txt"
find "$tree" -exec touch -h -d '2021-03-04 05:06:08' {} +
cd "$tree"

rm -f "$here"/sample.* "$here"/named.txt.gz "$here"/noname.gz "$here"/hostile.zip "$here"/sfx.exe "$here"/plain.exe
zip -q -X -r "$here/sample.zip" x.txt dir a/b/c.txt big.txt empty
tar --owner=0 --group=0 --numeric-owner -czf "$here/sample.tar.gz" x.txt dir a big.txt
tar --owner=0 --group=0 --numeric-owner -cf "$here/sample.tar" x.txt a
7z a -bd -bso0 "$here/sample.7z" x.txt dir a big.txt >/dev/null
arj a -y "$here/sample.arj" x.txt dir/y.txt "dir/Grüße €.txt" a/b/c.txt big.txt >/dev/null
lha -aq "$here/sample.lzh" x.txt dir/y.txt a/b/c.txt big.txt
gcab -c -z "$here/sample.cab" x.txt dir/y.txt big.txt
gzip -c x.txt >"$here/named.txt.gz"
gzip -n -c dir/y.txt >"$here/noname.gz"

# Hostile ZIP: names that climb out of or sit at the root of the target, and a symbolic link
# followed by an entry that would be written through it.
python3 - "$here/hostile.zip" <<'PY'
import stat, sys, zipfile
def add(z, name, data, mode=0o100644):
    info = zipfile.ZipInfo(name, date_time=(2021, 3, 4, 5, 6, 8))
    info.external_attr = mode << 16
    info.create_system = 3
    z.writestr(info, data)
with zipfile.ZipFile(sys.argv[1], "w") as z:
    add(z, "good.txt", b"good\n")
    add(z, "../evil.txt", b"evil\n")
    add(z, "/abs.txt", b"absolute\n")
    add(z, "sub/../../escape.txt", b"escape\n")
    add(z, "lnk", b"../outside", stat.S_IFLNK | 0o777)
    add(z, "lnk/through.txt", b"through the link\n")
PY

# Self-extractor: a minimal PE program (one 512-byte section) with a ZIP appended, and the
# same program alone.
python3 - "$here/plain.exe" <<'PY'
import struct, sys
mz = bytearray(0x40)
mz[0:2] = b"MZ"
struct.pack_into("<I", mz, 0x3C, 0x40)
coff = struct.pack("<4sHHIIIHH", b"PE\0\0", 0x14C, 1, 0, 0, 0, 0xE0, 0x0102)
opt = bytearray(0xE0)
struct.pack_into("<H", opt, 0, 0x10B)
section = struct.pack("<8sIIIIIIHHI", b".text\0\0\0", 0x200, 0x1000, 0x200, 0x200, 0, 0, 0, 0, 0x60000020)
head = bytes(mz) + coff + bytes(opt) + section
image = head + bytes(0x200 - len(head)) + b"\xC3" + bytes(0x1FF)
open(sys.argv[1], "wb").write(image)
PY
cat "$here/plain.exe" "$here/sample.zip" >"$here/sfx.exe"
ls -l "$here"
