#!/usr/bin/env python3
"""Generate the CP932 code table and the width, kana and case mapping tables.

Run by hand from the repository root after changing a rule below:

    python3 tools/gen_sjis_tables.py

It writes src/sjis/cp932_table.inc and src/sjis/lcmap_tables.inc, which are
committed; the build does not need Python.

The code table comes from Python's cp932 codec (decoding). The choice of code
for a character that several codes decode to follows the rule of the Windows
code page (JIS X 0208 rows first, then NEC row 13, then the IBM extensions
FA-FC, then the NEC-selected IBM extensions ED-EE); Python's own encoder
prefers ED-EE there, so it is not used for that choice.
"""

import os
import sys
import unicodedata

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LEADS = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAILS = [t for t in range(0x40, 0xFD) if t != 0x7F]


def decode(code):
    b = bytes([code]) if code < 0x100 else bytes([code >> 8, code & 0xFF])
    try:
        s = b.decode("cp932")
    except UnicodeDecodeError:
        return None
    return s if len(s) == 1 else None


def rank(code):
    lead = code >> 8
    if lead == 0x87:
        return 1  # NEC row 13
    if 0xFA <= lead <= 0xFC:
        return 2  # IBM extensions
    if 0xED <= lead <= 0xEE:
        return 3  # NEC-selected IBM extensions
    return 0  # JIS X 0208 rows and the user area


# ---------------------------------------------------------------- code table
dbcs = {}  # code -> character
for lead in LEADS:
    for trail in TRAILS:
        code = lead * 256 + trail
        ch = decode(code)
        if ch is not None:
            dbcs[code] = ch

single = {}  # byte -> character; 0x80, 0xA0 and 0xFD-0xFF are not characters
for b in list(range(0x00, 0x80)) + list(range(0xA1, 0xE0)):
    single[b] = decode(b)
assert single[0x5C] == "\\" and single[0x7E] == "~"

encode = {}  # character -> chosen code
for b, ch in single.items():
    encode[ch] = b
by_char = {}
for code, ch in dbcs.items():
    by_char.setdefault(ch, []).append(code)
non_preferred = []
for ch, codes in by_char.items():
    codes.sort(key=lambda c: (rank(c), c))
    assert ch not in encode
    encode[ch] = codes[0]
    non_preferred += codes[1:]
non_preferred.sort()

# Other Unicode forms of JIS X 0208 characters, accepted on the way to CP932
# (they come back as the code's own form).
ALIASES = {
    0x301C: 0x8160,  # WAVE DASH -> FULLWIDTH TILDE's code
    0x2016: 0x8161,  # DOUBLE VERTICAL LINE -> PARALLEL TO's code
    0x2212: 0x817C,  # MINUS SIGN -> FULLWIDTH HYPHEN-MINUS's code
    0x00A2: 0x8191,  # CENT SIGN
    0x00A3: 0x8192,  # POUND SIGN
    0x00AC: 0x81CA,  # NOT SIGN
    0x2014: 0x815C,  # EM DASH -> HORIZONTAL BAR's code
}
for u, code in ALIASES.items():
    assert chr(u) not in encode and code in dbcs


def enc(s):
    """CP932 code(s) of a text, or None."""
    out = []
    for ch in s:
        if ch not in encode:
            return None
        out.append(encode[ch])
    return out


def pack(codes):
    """One 16-bit result: a byte, a double-byte code, or two single bytes."""
    if len(codes) == 1:
        return codes[0]
    assert len(codes) == 2 and codes[0] < 0x100 and codes[1] < 0x100
    assert 0xA1 <= codes[0] <= 0xDF  # never mistaken for a lead byte
    return codes[0] * 256 + codes[1]


# -------------------------------------------------------------- half width
# Half-width katakana and their full-width forms. The sound marks map to the
# spacing marks ゛゜ (not the combining ones).
narrow_of = {}  # full-width char -> half-width char
for u in range(0xFF61, 0xFFA0):
    full = unicodedata.normalize("NFKC", chr(u))
    narrow_of[full] = chr(u)
narrow_of["\u309B"] = "\uFF9E"
narrow_of["\u309C"] = "\uFF9F"
del narrow_of["\u3099"], narrow_of["\u309A"]

# Full-width characters that the folding of program text also treats as the
# ASCII ones: the curly quotes and the yen sign (0x5C is the yen sign in
# CP932 text).
HALF_EXTRA = {"\u201C": '"', "\u201D": '"', "\u2018": "`", "\u2019": "'", "\uFFE5": "\\"}


def half_of(ch):
    u = ord(ch)
    if 0xFF01 <= u <= 0xFF5E:
        return chr(u - 0xFEE0)
    if u == 0x3000:
        return " "
    if ch in HALF_EXTRA:
        return HALF_EXTRA[ch]
    if ch in narrow_of:
        return narrow_of[ch]
    d = unicodedata.normalize("NFD", ch)
    if len(d) == 2 and d[0] in narrow_of and d[1] in "\u3099\u309A":
        return narrow_of[d[0]] + ("\uFF9E" if d[1] == "\u3099" else "\uFF9F")
    return None


half = {}
for code, ch in dbcs.items():
    h = half_of(ch)
    if h is None:
        continue
    r = enc(h)
    assert r is not None, (hex(code), h)
    half[code] = pack(r)

# -------------------------------------------------------------- full width
# ASCII to full width. '"' and "'" take the quotes ” and ’ (JIS X 0208, so
# they survive the JIS and EUC conversions and fold back), not the IBM
# extension forms of U+FF02/U+FF07.
FULL_EXTRA = {'"': "\u201D", "'": "\u2019", " ": "\u3000"}
full = {}
for b in range(0x20, 0x7F):
    ch = chr(b)
    f = FULL_EXTRA.get(ch, chr(b + 0xFEE0) if b > 0x20 else None)
    r = enc(f)
    assert r is not None and len(r) == 1, ch
    full[b] = r[0]
for h_ch, f_ch in ((v, k) for k, v in narrow_of.items()):
    b = encode[h_ch]
    full[b] = encode[f_ch]
compose = {}  # (base byte, mark byte) -> code
for b in range(0xA6, 0xDE):
    base = decode(full[b])  # the full-width form of the half-width kana
    for mark, comb in ((0xDE, "\u3099"), (0xDF, "\u309A")):
        c = unicodedata.normalize("NFC", base + comb)
        if len(c) == 1 and c in encode:
            compose[(b, mark)] = encode[c]

# Every half-width result maps back to the same character, except where
# several full-width characters share one half-width form.
for code, r in half.items():
    if r < 0x100:
        if dbcs[code] not in HALF_EXTRA and dbcs[code] not in "\uFF02\uFF07":
            assert full[r] == code, hex(code)
    else:
        assert compose[(r >> 8, r & 0xFF)] == code, hex(code)

# ------------------------------------------------------- hiragana / katakana
kata_to_hira = {}
hira_to_kata = {}
for code, ch in dbcs.items():
    u = ord(ch)
    if 0x30A1 <= u <= 0x30F6 or u in (0x30FD, 0x30FE):
        r = enc(chr(u - 0x60))
        if r is not None:
            kata_to_hira[code] = r[0]
            hira_to_kata[r[0]] = code

# ---------------------------------------------------------------- case
def cased_script(u):
    return (0xFF21 <= u <= 0xFF3A or 0xFF41 <= u <= 0xFF5A or 0x0391 <= u <= 0x03C9
            or 0x0400 <= u <= 0x045F)


upper = {c: c - 0x20 for c in range(0x61, 0x7B)}
lower = {c: c + 0x20 for c in range(0x41, 0x5B)}
for code, ch in dbcs.items():
    if not cased_script(ord(ch)):
        continue
    for table, f in ((upper, str.upper), (lower, str.lower)):
        m = f(ch)
        if m != ch and len(m) == 1 and m in encode:
            table[code] = encode[m]


# ---------------------------------------------------------------- output
HEADER = "// Generated by tools/gen_sjis_tables.py; do not edit.\n"


def pairs(name, d, comment):
    lines = [f"// {comment}", f"inline constexpr MapPair {name}[] = {{"]
    items = [f"{{0x{k:04X}, 0x{v:04X}}}," for k, v in sorted(d.items())]
    for i in range(0, len(items), 6):
        lines.append("    " + " ".join(items[i:i + 6]))
    lines.append("};")
    return "\n".join(lines) + "\n"


def write(path, text):
    with open(os.path.join(ROOT, path), "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


out = [HEADER]
out.append("// The character of each double-byte code: kCp932ToUcs[lead index][trail - 0x40],\n"
           "// lead index 0-30 for the lead bytes 0x81-0x9F and 31-59 for 0xE0-0xFC;\n"
           "// 0 where the code has no character.\n")
out.append("inline constexpr uint16_t kCp932ToUcs[60][189] = {\n")
for lead in LEADS:
    row = [dbcs.get(lead * 256 + t) for t in range(0x40, 0xFD)]
    vals = [f"0x{ord(c):04X}" if c else "0" for c in row]
    out.append(f"    {{  // 0x{lead:02X}\n")
    for i in range(0, len(vals), 12):
        out.append("        " + ", ".join(vals[i:i + 12]) + ",\n")
    out.append("    },\n")
out.append("};\n\n")
out.append("// Codes whose character is written with another code on the way back.\n")
out.append("inline constexpr uint16_t kCp932NonPreferred[] = {\n")
for i in range(0, len(non_preferred), 12):
    out.append("    " + ", ".join(f"0x{c:04X}" for c in non_preferred[i:i + 12]) + ",\n")
out.append("};\n\n")
out.append("// Other Unicode forms of some JIS X 0208 characters: {character, code}.\n")
out.append("inline constexpr uint16_t kUcsAliases[][2] = {\n")
for u, code in sorted(ALIASES.items()):
    out.append(f"    {{0x{u:04X}, 0x{code:04X}}},\n")
out.append("};\n")
write("src/sjis/cp932_table.inc", "".join(out))

out = [HEADER, "// {code, result}; a result is a byte, a double-byte code, or two single\n"
       "// bytes (a half-width kana and its sound mark) as first * 256 + second.\n\n"]
out.append(pairs("kHalfWidthPairs", half, "Double-byte characters with a half-width form."))
out.append(pairs("kFullWidthPairs", full, "Single bytes with a full-width form."))
out.append(pairs("kComposePairs", {b * 256 + m: c for (b, m), c in compose.items()},
                 "Half-width kana + ﾞ/ﾟ (first * 256 + second) and the one full-width character."))
out.append(pairs("kHiraganaPairs", kata_to_hira, "Katakana to hiragana."))
out.append(pairs("kKatakanaPairs", hira_to_kata, "Hiragana to katakana."))
out.append(pairs("kUpperPairs", upper, "Lower-case letters to upper case."))
out.append(pairs("kLowerPairs", lower, "Upper-case letters to lower case."))
write("src/sjis/lcmap_tables.inc", "".join(out))

print(f"codes {len(dbcs)}, non-preferred {len(non_preferred)}, half {len(half)}, full {len(full)}, "
      f"compose {len(compose)}, hira {len(kata_to_hira)}, upper {len(upper)}, lower {len(lower)}",
      file=sys.stderr)
