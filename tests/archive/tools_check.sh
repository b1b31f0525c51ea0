#!/usr/bin/env bash
# The archives the run-time writes, read by other tools (bsdtar, lha, Python's
# zipfile), and hostile archives made by Python unpacked by the run-time:
# nothing lands outside the destination folder.
#   tools_check.sh TAMAKAZU
set -u
bin=$(realpath "$1")
command -v bsdtar >/dev/null || { echo "bsdtar is not installed"; exit 77; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }
run() {  # run PROGRAM-TEXT: runs it and prints what it shows
  printf '%s\n' "$1" > prog.tmk
  TMPDIR="$work" timeout 120 "$bin" --headless -security low prog.tmk 2>stderr.txt
}

mkdir -p data/sub
printf 'one\n' > data/a.txt
printf 'two\n' > data/sub/b.txt
printf 'kanji\n' > 'data/漢字の名前.txt'
python3 - <<'PY'
import random
r = random.Random(7)
words = ["alpha", "beta", "gamma", "delta", "archive", "member", "header", "\n"]
with open("data/big.txt", "w") as f:
    f.write("".join(r.choice(words) + " " for _ in range(60000)))
with open("data/noise.bin", "wb") as f:
    f.write(bytes(r.randrange(256) for _ in range(5000)))
with open("data/empty.txt", "wb"):
    pass
PY

run '『data/*』を、『x.lzh』へ、圧縮
『data/*』を、『x.zip』へ、圧縮
『data/*』を、『x.7z』へ、圧縮
『data/*』を、『x.tar.gz』へ、圧縮
『data/*』を、『x.tar.bz2』へ、圧縮
『data/*』を、『x.tar』へ、圧縮' > out.txt
check "packing printed nothing" '[ ! -s out.txt ] && [ ! -s stderr.txt ]'

for f in x.lzh x.zip x.7z x.tar.gz x.tar.bz2 x.tar; do
  names=$(LC_ALL=C.UTF-8 bsdtar --options lha:hdrcharset=CP932 -tf "$f" 2>&1 | sort | tr '\n' ' ')
  check "$f lists its members ($names)" '[ "$names" = "a.txt big.txt empty.txt noise.bin sub/b.txt 漢字の名前.txt " ]'
  check "$f holds big.txt" 'LC_ALL=C.UTF-8 bsdtar --options lha:hdrcharset=CP932 -xOf "$f" big.txt | cmp -s - data/big.txt'
  check "$f holds noise.bin" 'LC_ALL=C.UTF-8 bsdtar --options lha:hdrcharset=CP932 -xOf "$f" noise.bin | cmp -s - data/noise.bin'
done

# the LHA archive: level-2 headers, -lh5- and -lh0- members, CRCs right
if command -v lha >/dev/null; then
  check "lha tests x.lzh" 'lha t x.lzh >lha.txt 2>&1'
  check "lha lists big.txt as lh5" 'lha v x.lzh 2>/dev/null | grep -q "lh5"'
  check "lha lists noise.bin as lh0" 'lha v x.lzh 2>/dev/null | grep -q "lh0"'
  mkdir lx && (cd lx && lha xq ../x.lzh >/dev/null 2>&1)
  check "lha unpacks big.txt" 'cmp -s lx/big.txt data/big.txt'
  check "lha unpacks sub/b.txt" 'cmp -s lx/sub/b.txt data/sub/b.txt'
else
  echo "lha is not installed: its checks are skipped"
fi
# the names of the LHA archive are Shift-JIS
check "x.lzh stores the name in Shift-JIS" 'grep -q "$(printf "漢字の名前" | iconv -f UTF-8 -t CP932)" x.lzh'

# ZIP: a name outside ASCII in UTF-8 with its flag
check "zip marks UTF-8 names" 'python3 -c "
import zipfile, sys
z = zipfile.ZipFile(\"x.zip\")
i = z.getinfo(\"漢字の名前.txt\")
sys.exit(0 if i.flag_bits & 0x800 and z.read(i) == b\"kanji\n\" else 1)"'

# a ZIP whose names are Shift-JIS without the flag, and hostile archives
python3 - <<'PY'
import io, os, tarfile, zipfile
name = "日本語.txt".encode("cp932")
place = b"x" * len(name)
buf = io.BytesIO()
with zipfile.ZipFile(buf, "w") as z:
    z.writestr(place.decode(), "sjis name\n")
data = buf.getvalue().replace(place, name)
open("sjis.zip", "wb").write(data)

with zipfile.ZipFile("dots.zip", "w") as z:
    z.writestr("good.txt", "good\n")
    z.writestr("../evil.txt", "evil\n")
with tarfile.open("abs.tar", "w") as t:
    for n in ("good.txt", os.path.abspath("abs_evil.txt")):
        info = tarfile.TarInfo(n)
        info.size = 5
        t.addfile(info, io.BytesIO(b"evil\n"))
with tarfile.open("link.tar", "w") as t:
    info = tarfile.TarInfo("lnk")
    info.type = tarfile.SYMTYPE
    info.linkname = os.path.abspath("outside")
    t.addfile(info)
    info = tarfile.TarInfo("lnk/f.txt")
    info.size = 5
    t.addfile(info, io.BytesIO(b"evil\n"))
    info = tarfile.TarInfo("good.txt")
    info.size = 5
    t.addfile(info, io.BytesIO(b"good\n"))
with tarfile.open("rel.tar", "w") as t:
    info = tarfile.TarInfo("up")
    info.type = tarfile.SYMTYPE
    info.linkname = ".."
    t.addfile(info)
    info = tarfile.TarInfo("up/rel_evil.txt")
    info.size = 5
    t.addfile(info, io.BytesIO(b"evil\n"))
PY
mkdir outside
run 『sjis.zip』を、『u1』へ、解凍 >/dev/null
check "a Shift-JIS name of a ZIP is read" '[ "$(cat u1/日本語.txt)" = "sjis name" ]'

want="解凍のエラー。解凍先\"d\"、解凍元\"ARCH\"。オプション=\"-a1 -r2 -x1 -jp1 -c0 -m1\"。書庫の中に解凍先の外を指す名前があります。"
for a in dots.zip abs.tar link.tar rel.tar; do
  rm -rf d
  got=$(run "エラーを無視
『$a』を、『d』へ、解凍
エラーメッセージを、表示")
  check "$a is refused with the message ($got)" '[ "${got#*理由は,}" = "${want/ARCH/$a}" ]'
  check "$a: the good member is unpacked" '[ "$a" = rel.tar ] || [ -f d/good.txt ]'
done
check "nothing was written outside" '[ ! -e evil.txt ] && [ ! -e abs_evil.txt ] && [ -z "$(ls outside)" ] && [ ! -e rel_evil.txt ]'

# a failed packing keeps the archive that was there, and leaves no temporary file
run '『data/a.txt』を、『keep.lzh』へ、圧縮' >/dev/null
cp keep.lzh keep.before
ln -s nowhere data/dangling.txt
got=$(run 'エラーを無視
『data/*.txt』を、『keep.lzh』へ、圧縮
エラーメッセージを、表示
『data/*.txt』を、『keep.zip』へ、圧縮
エラーメッセージを、表示')
check "the failure is reported ($got)" 'printf "%s" "$got" | grep -qF "理由は,ファイル圧縮のエラー。コマンドライン=\"u -+ -a1 -l1 -o2 -p1 -x1 -ji0 -jp1 -jso1  \"keep.lzh\" \"data/\" \"a.txt\" \"big.txt\" \"dangling.txt\""'
check "the zip failure has no command line" 'printf "%s" "$got" | grep -qF "理由は,ファイル圧縮のエラー。コマンドライン=\"\"。オプション=\"-a1 -r2 -x1 -l1 -jp1 -o2 -ji0\"。"'
check "the old archive is kept" 'cmp -s keep.lzh keep.before'
check "no temporary file is left" '[ -z "$(ls -A | grep tamakazu)" ] && [ -z "$(ls -A data | grep tamakazu)" ]'
# the base folder is that of the longest line; other lines stay as they are
printf 'long\n' > data/sub/longer_name.txt
got=$(run "エラーを無視
『$work/data/dangling.txt
$work/data/sub/longer_name.txt』を、『keep.lzh』へ、圧縮
エラーメッセージを、表示")
check "the base folder of the longest line ($got)" 'printf "%s" "$got" | grep -qF "コマンドライン=\"u -+ -a1 -l1 -o2 -p1 -x1 -ji0 -jp1 -jso1  \"keep.lzh\" \"$work/data/sub/\" \"$work/data/dangling.txt\" \"longer_name.txt\" \"。"'
rm data/dangling.txt data/sub/longer_name.txt

# an archive behind a program (".exe"): found by its content
printf '#!/bin/sh\necho a program\nexit 0\n' > stub
cat stub x.zip > z.exe
# (the LHA reader looks behind a Windows program's header)
{ printf 'MZ'; head -c 3000 /dev/zero; cat x.lzh; } > l.exe
run '『z.exe』を、『ze』へ、解凍
『l.exe』を、『le』へ、解凍' >/dev/null
check "a ZIP behind a program is unpacked" 'cmp -s ze/big.txt data/big.txt'
check "an LHA archive behind a program is unpacked" 'cmp -s le/sub/b.txt data/sub/b.txt'
got=$(run 'エラーを無視
『stub』から、『s.exe』へ、ファイルコピー
『s.exe』を、『se』へ、解凍
エラーメッセージを、表示')
check "a program without an archive ($got)" 'printf "%s" "$got" | grep -qF "。書庫の形式を判別できません。"'

# self-extracting programs: a shell script with the files after it
mkdir -p bin sx1 sx2
run '『data/*』を、『setup.exe』へ、自己解凍書庫作成
『x.lzh』から、『long_name.lzh』へ、ファイルコピー
『long_name.lzh』を、『bin/setup2.exe』へ、自己解凍書庫作成' >/dev/null
check "setup.exe is executable" '[ -x setup.exe ] && head -1 setup.exe | grep -q "^#!/bin/sh"'
(cd sx1 && ../setup.exe) && check "setup.exe unpacks" 'cmp -s sx1/big.txt data/big.txt && cmp -s sx1/sub/b.txt data/sub/b.txt'
check "the program of long_name.lzh was moved" '[ -x bin/setup2.exe ] && [ ! -e long_nam.exe ]'
(cd sx2 && ../bin/setup2.exe) && check "setup2.exe unpacks" 'cmp -s "sx2/漢字の名前.txt" "data/漢字の名前.txt"'
check "no temporary archive is left" '[ -z "$(find "$work" -name "sfx-*")" ]'
exit $fail
