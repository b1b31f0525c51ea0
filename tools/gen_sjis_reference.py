#!/usr/bin/env python3
"""Write the reference data that the unit tests compare the CP932 tables with.

Run by hand from the repository root (needs iconv, nkf and uconv):

    python3 tools/gen_sjis_reference.py

The data comes only from those tools, not from the generator of the tables
(tools/gen_sjis_tables.py) nor from Python's codecs; Python only enumerates
the codes and writes the files. Output, in tests/data/sjis/:

  cp932_iconv.txt  "SSSS UUUU" for every code that iconv's CP932 decodes
                   (U+UUUU), with a third field "EEEE" when iconv writes that
                   character back as another code.
  nkf_lcmap.txt    "op SSSS RRRR": half (nkf -Ss -Z1 -Z4), hira (nkf -Ss
                   --hiragana), kata (nkf -Ss --katakana) for every double-byte
                   code that the tool changes; full (nkf -Ss) for each
                   half-width kana alone and followed by each sound mark.
  iconv_fullwidth.txt  "full SSSS RRRR" for ASCII 0x20-0x7E: the CP932 code
                   that iconv gives the full-width form (U+3000, U+FF01-FF5E).
  uconv_case.txt   "upper SSSS RRRR" / "lower SSSS RRRR" from uconv -x
                   any-upper / any-lower, for every double-byte code changed.
"""

import os
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "data", "sjis")
LEADS = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAILS = [t for t in range(0x40, 0xFD) if t != 0x7F]


def run(args, data):
    r = subprocess.run(args, input=data, capture_output=True)
    return r.stdout if r.returncode == 0 else None


def code_bytes(code):
    return bytes([code]) if code < 0x100 else bytes([code >> 8, code & 0xFF])


def hexs(b):
    return b.hex().upper()


def per_line(args, codes):
    """Run a line filter over one code per line; returns the output lines."""
    data = b"".join(code_bytes(c) + b"\n" for c in codes)
    out = run(args, data)
    lines = out.split(b"\n")
    assert lines[-1] == b"" and len(lines) == len(codes) + 1, args
    return lines[:-1]


os.makedirs(OUT, exist_ok=True)

# ------------------------------------------------------------ iconv table
decoded = {}
for code in list(range(0x100)) + [l * 256 + t for l in LEADS for t in TRAILS]:
    if code < 0x100 and (0x81 <= code <= 0x9F or 0xE0 <= code <= 0xFC):
        continue  # a lead byte alone is not a character
    u = run(["iconv", "-f", "CP932", "-t", "UTF-8"], code_bytes(code))
    if u:
        decoded[code] = u.decode("utf-8")
lines = []
for code, ch in decoded.items():
    assert len(ch) == 1
    back = run(["iconv", "-f", "UTF-8", "-t", "CP932"], ch.encode("utf-8"))
    f = f"{code:02X}" if code < 0x100 else f"{code:04X}"
    line = f"{f} {ord(ch):04X}"
    if back != code_bytes(code):
        line += " " + hexs(back)
    lines.append(line)
with open(os.path.join(OUT, "cp932_iconv.txt"), "w") as f:
    f.write("# CP932 code, the character iconv decodes it to, and the code iconv\n"
            "# writes that character as when it is another one.\n")
    f.write("\n".join(lines) + "\n")

# ------------------------------------------------------------ nkf mappings
dbcs = sorted(c for c in decoded if c > 0xFF)
lines = []
for op, args in (("half", ["nkf", "-Ss", "-Z1", "-Z4"]), ("hira", ["nkf", "-Ss", "--hiragana"]),
                 ("kata", ["nkf", "-Ss", "--katakana"])):
    for code, out in zip(dbcs, per_line(args, dbcs)):
        if out != code_bytes(code):
            lines.append(f"{op} {code:04X} {hexs(out)}")
kana = list(range(0xA1, 0xE0))
inputs = [bytes([k]) for k in kana] + [bytes([k, m]) for k in kana for m in (0xDE, 0xDF)]
out = run(["nkf", "-Ss"], b"".join(i + b"\n" for i in inputs)).split(b"\n")[:-1]
assert len(out) == len(inputs)
for i, o in zip(inputs, out):
    lines.append(f"full {hexs(i)} {hexs(o)}")
with open(os.path.join(OUT, "nkf_lcmap.txt"), "w") as f:
    f.write("# op, CP932 input, output of nkf (see tools/gen_sjis_reference.py).\n")
    f.write("\n".join(lines) + "\n")

# ------------------------------------------------------------ full-width ASCII
lines = []
for b in range(0x20, 0x7F):
    wide = "\u3000" if b == 0x20 else chr(b + 0xFEE0)
    out = run(["iconv", "-f", "UTF-8", "-t", "CP932"], wide.encode("utf-8"))
    lines.append(f"full {b:02X} {hexs(out)}")
with open(os.path.join(OUT, "iconv_fullwidth.txt"), "w") as f:
    f.write("# ASCII byte and the CP932 code iconv gives its full-width form.\n")
    f.write("\n".join(lines) + "\n")

# ------------------------------------------------------------ case
utf8_lines = per_line(["iconv", "-f", "CP932", "-t", "UTF-8"], dbcs)
lines = []
for op in ("upper", "lower"):
    mapped = run(["uconv", "-f", "UTF-8", "-t", "UTF-8", "-x", f"any-{op}"],
                 b"".join(l + b"\n" for l in utf8_lines)).split(b"\n")[:-1]
    assert len(mapped) == len(dbcs)
    for code, src, m in zip(dbcs, utf8_lines, mapped):
        if m == src:
            continue
        back = run(["iconv", "-f", "UTF-8", "-t", "CP932"], m)
        lines.append(f"{op} {code:04X} {hexs(back) if back else '-'}")
with open(os.path.join(OUT, "uconv_case.txt"), "w") as f:
    f.write("# op, CP932 code, the code of its case form by uconv ('-': none in CP932).\n")
    f.write("\n".join(lines) + "\n")
