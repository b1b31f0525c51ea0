#!/usr/bin/env python3
"""Extract the vocabulary (command names, argument patterns, system words)
from the language reference (Markdown) and write it as tab-separated lines
(UTF-8).

Usage: tools/extract_vocabulary.py REFERENCE.md > tests/data/vocabulary.tsv

Output lines:
  <family>  <name>  <pattern>                       one per command name
  alias     <name>  <name> ...                      names of one command, when it has several
  sysword   <name>  <access>  <initial>  <typetext> one per system word
  property  <index> <name>                          the property names of GUI objects
The initial value of a word computed at start-up is written as COMPUTED.
Warnings (names whose pattern was not found in their family's chapter) go to
stderr; the script exits non-zero when the counts are not those announced.
"""
import re
import sys

# Chapter number -> family name used in the tables of src/commands/.
FAMILIES = {
    "4.3": "wordtable", "4.4": "control", "4.6": "errors",
    "5.1": "strings", "5.2": "conversion", "5.3": "numeric", "5.4": "tables",
    "5.5": "files", "5.6": "datetime", "5.7": "dialogs", "5.8": "system",
    "5.9": "dll", "5.10": "network", "5.11": "archive", "5.12": "office",
    "5.13": "drawing", "5.14": "sound", "6.1": "gui_objects",
    "6.2": "mainwindow", "6.4": "widgets", "7.1": "debug", "8.3": "xml",
}

NO_ARGS = {"(none)", "(no arguments)", "(no slot)", "—", "-", ""}


def split_chapters(text):
    chapters = {}
    current = None
    for line in text.splitlines():
        m = re.match(r"^# Part (\d+\.\d+):", line)
        if m:
            current = m.group(1)
            chapters[current] = []
        elif current:
            chapters[current].append(line)
    return chapters


def cells(line):
    """The cells of a table row, or None when the line is no table row."""
    line = line.strip()
    if not line.startswith("|") or not line.endswith("|"):
        return None
    parts = [c.strip() for c in line[1:-1].split("|")]
    if all(re.fullmatch(r"-+", c) for c in parts):
        return None
    return parts


def quoted(text):
    return re.findall(r'"((?:[^"\\]|\\.)*)"', text)


def pattern_of_slots(slot_list):
    """Pattern text from a parenthesised slot list such as ("?の" name, "?を")."""
    slot_list = slot_list.strip()
    if slot_list in NO_ARGS:
        return ""
    slots = quoted(slot_list)
    if not slots or not all(s.startswith("?") for s in slots):
        raise ValueError("no pattern in " + slot_list)
    return ",".join(slots)


def parse_name_cell(cell):
    """Names and patterns from a cell such as
    "文字数" ("?の"), "LEN" ("?")   or   "MID", "切り出す" ("?の中で,?から,?つ")
    or "DB先頭" / "DB最後" (none).  A pattern applies to every name before it
    that has none yet."""
    result = []
    pending = []
    pos = 0
    while pos < len(cell):
        ch = cell[pos]
        if ch == '"':
            end = cell.index('"', pos + 1)
            pending.append(cell[pos + 1:end])
            pos = end + 1
        elif ch == "(":
            depth = 0
            end = pos
            in_quote = False
            while end < len(cell):
                c = cell[end]
                if c == '"':
                    in_quote = not in_quote
                elif not in_quote and c == "(":
                    depth += 1
                elif not in_quote and c == ")":
                    depth -= 1
                    if depth == 0:
                        break
                end += 1
            pattern = pattern_of_slots(cell[pos:end + 1])
            result.extend((n, pattern) for n in pending)
            pending = []
            pos = end + 1
        else:
            pos += 1
    if pending:
        return None  # names without a pattern: not a command row
    return result


def patterns_from_name_tables(lines):
    """Rows whose first cell holds quoted names each followed by a pattern."""
    found = {}
    for line in lines:
        row = cells(line)
        if not row or not row[0].startswith('"') or "(" not in row[0]:
            continue
        try:
            parsed = parse_name_cell(row[0])
        except ValueError:
            continue
        for name, pattern in parsed or []:
            if found.setdefault(name, pattern) != pattern:
                print(f"{name}: patterns {found[name]!r} and {pattern!r}", file=sys.stderr)
    return found


def patterns_from_pattern_column(lines):
    """Tables with a column "Pattern": names in the first cell (plain or quoted,
    several joined by " / " or ", "), pattern(s) in the Pattern column (several
    joined by " / " when the names have different patterns)."""
    found = {}
    col = None
    for line in lines:
        row = cells(line)
        if row is None:
            if not line.strip().startswith("|"):
                col = None
            continue
        if row[0] == "Command" and "Pattern" in row:
            col = row.index("Pattern")
            continue
        if col is None or col >= len(row):
            continue
        names_cell, pattern_cell = row[0], row[col]
        if '"' in names_cell:
            names = quoted(names_cell)
        else:
            names = [n.strip() for n in re.split(r" / |, ", names_cell)]
        if pattern_cell in NO_ARGS:
            patterns = [""] * len(names)
        else:
            patterns = quoted(pattern_cell)
            if len(patterns) == 1:
                patterns = patterns * len(names)
        if len(patterns) != len(names):
            raise ValueError("cannot pair names and patterns: " + line)
        for name, pattern in zip(names, patterns):
            if found.setdefault(name, pattern) != pattern:
                print(f"{name}: patterns {found[name]!r} and {pattern!r}", file=sys.stderr)
    return found


def patterns_from_prose(lines):
    """Paragraph heads such as *"繰り返す" ("?を,?から,?まで").* or
    *Labels and "飛ぶ" ("?へ").*"""
    found = {}
    for line in lines:
        if not line.startswith("*"):
            continue
        head = line[:line.find(".*") + 1] if ".*" in line else line
        for m in re.finditer(r'"([^"]+)" \("([^"]*)"\)', head):
            if found.setdefault(m.group(1), m.group(2)) != m.group(2):
                print(f"{m.group(1)}: patterns {found[m.group(1)]!r} and {m.group(2)!r}",
                      file=sys.stderr)
    return found


def command_index(lines):
    families = []
    in_table = False
    for line in lines:
        row = cells(line)
        if row and row[0] == "Part" and row[1] == "Family":
            in_table = True
            continue
        if in_table:
            if row is None:
                if families and not line.strip().startswith("|"):
                    break
                continue
            part, _, count, names = row
            groups = [g.split("／") for g in names.split("、")]
            families.append((part, int(count), groups))
    return families


def system_words(lines):
    words = []
    in_table = False
    for line in lines:
        row = cells(line)
        if row and row[:2] == ["#", "Name"] and "Access" in row:
            in_table = True
            continue
        if in_table:
            if row is None:
                if words and not line.strip().startswith("|"):
                    break
                continue
            _, name, access, initial, typetext = row

            def value(v):
                if v == "(empty)":
                    return ""
                if v == "COMPUTED":
                    return "COMPUTED"
                if v.startswith('"') and v.endswith('"'):
                    return v[1:-1]
                raise ValueError("bad value " + v)
            words.append((name, access, value(initial), value(typetext)))
    return words


def property_names(lines):
    names = []
    in_table = False
    for line in lines:
        row = cells(line)
        if row and row[:2] == ["#", "Property"]:
            in_table = True
            continue
        if in_table:
            if row is None:
                if names and not line.strip().startswith("|"):
                    break
                continue
            names.append((int(row[0]), row[1]))
    return names


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: extract_vocabulary.py REFERENCE.md")
    with open(sys.argv[1], encoding="utf-8") as f:
        chapters = split_chapters(f.read())

    out = []
    ok = True
    index = command_index(chapters["4.3"])
    total_names = 0
    total_commands = 0
    for part, count, groups in index:
        family = FAMILIES[part]
        lines = chapters[part]
        found = {}
        for source in (patterns_from_name_tables(lines),
                       patterns_from_pattern_column(lines),
                       patterns_from_prose(lines)):
            for k, v in source.items():
                if found.setdefault(k, v) != v:
                    print(f"{part}: {k} has the patterns {found[k]!r} and {v!r}",
                          file=sys.stderr)
        if len(groups) != count:
            print(f"{part}: {len(groups)} commands, announced {count}", file=sys.stderr)
            ok = False
        for group in groups:
            for name in group:
                if name not in found:
                    print(f"{part}: no pattern for {name}; taken as none", file=sys.stderr)
                out.append(f"{family}\t{name}\t{found.get(name, '')}")
            if len(group) > 1:
                out.append("alias\t" + "\t".join(group))
            total_names += len(group)
        total_commands += len(groups)
    if (total_names, total_commands) != (498, 469):
        print(f"{total_names} names, {total_commands} commands", file=sys.stderr)
        ok = False

    words = system_words(chapters["4.3"])
    if len(words) != 124:
        print(f"{len(words)} system words", file=sys.stderr)
        ok = False
    for name, access, initial, typetext in words:
        out.append(f"sysword\t{name}\t{access}\t{initial}\t{typetext}")

    props = property_names(chapters["6.3"])
    if [i for i, _ in props] != list(range(57)):
        print("property table is not numbered 0..56", file=sys.stderr)
        ok = False
    for i, name in props:
        out.append(f"property\t{i}\t{name}")

    sys.stdout.write("\n".join(out) + "\n")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
