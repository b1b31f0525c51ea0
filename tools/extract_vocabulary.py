#!/usr/bin/env python3
"""Extract the vocabulary (command names, argument patterns, system words)
from the language reference (Markdown) and write it as tab-separated lines
(UTF-8).

Usage: tools/extract_vocabulary.py REFERENCE.md [COMMANDS_DIR] > tests/data/vocabulary.tsv

The reference's command index groups the command names (a row per family,
aliases joined by "／"). Each row is named by the family of the registration
tables in COMMANDS_DIR (default: src/commands beside this tool) that holds its
names, and its patterns are read from the chapter of the reference that
describes most of those names; the index row itself gives only the names.

Output lines:
  <family>  <name>  <pattern>                       one per command name
  alias     <name>  <name> ...                      names of one command, when it has several
  sysword   <name>  <access>  <initial>  <typetext> one per system word
  property  <index> <name>                          the property names of GUI objects
The initial value of a word computed at start-up is written as COMPUTED.
Warnings (names whose pattern was not found in their family's chapter, names
of a row that the tables file under another family) go to stderr; the script
exits non-zero when the counts are not those announced or a row has no family.
"""
import collections
import os
import re
import sys

NO_ARGS = {"(none)", "(no arguments)", "(no slot)", "—", "-", ""}


def split_chapters(text):
    """The chapters of the reference: (heading, lines) for every top-level
    heading, in order."""
    chapters = []
    for line in text.splitlines():
        if line.startswith("# "):
            chapters.append((line[2:].strip(), []))
        elif chapters:
            chapters[-1][1].append(line)
    return chapters


def registered_families(folder):
    """Command name -> family name, from the registration tables
    (static const TCommandFamily kFamily = {"NAME", kDefs, ...}) of the C++
    sources in the folder: every {"name", "pattern", id, handler} row of the
    file's kDefs belongs to the file's family."""
    family_of = {}
    for entry in sorted(os.listdir(folder)):
        if not entry.endswith(".cpp"):
            continue
        with open(os.path.join(folder, entry), encoding="utf-8") as f:
            source = f.read()
        fam = re.search(r'TCommandFamily\s+kFamily\s*=\s*\{\s*"([^"]+)"', source)
        defs = re.search(r"TCommandDef\s+kDefs\[\]\s*=\s*\{(.*?)\n\};", source, re.S)
        if not fam or not defs:
            continue
        for m in re.finditer(r'\{\s*"((?:[^"\\]|\\.)*)"\s*,', defs.group(1)):
            family_of.setdefault(m.group(1), fam.group(1))
    return family_of


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
    """The rows of the command index (the table with the columns Family,
    Commands and Names): (family title, number of commands, alias groups)."""
    families = []
    in_table = False
    for line in lines:
        row = cells(line)
        if row and len(row) >= 3 and row[-3:-1] == ["Family", "Commands"] and row[-1].startswith("Names"):
            in_table = True
            continue
        if in_table:
            if row is None:
                if families and not line.strip().startswith("|"):
                    break
                continue
            title, count, names = row[-3:]
            groups = [g.split("／") for g in names.split("、")]
            families.append((title, int(count), groups))
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


def chapter_patterns(lines):
    """Name -> pattern, from every form a chapter gives patterns in."""
    found = {}
    for source in (patterns_from_name_tables(lines),
                   patterns_from_pattern_column(lines),
                   patterns_from_prose(lines)):
        for k, v in source.items():
            if found.setdefault(k, v) != v:
                print(f"{k} has the patterns {found[k]!r} and {v!r}", file=sys.stderr)
    return found


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: extract_vocabulary.py REFERENCE.md [COMMANDS_DIR]")
    commands_dir = sys.argv[2] if len(sys.argv) == 3 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src", "commands")
    with open(sys.argv[1], encoding="utf-8") as f:
        chapters = split_chapters(f.read())
    all_lines = [line for _, lines in chapters for line in lines]
    family_of = registered_families(commands_dir)
    patterns = [(heading, chapter_patterns(lines)) for heading, lines in chapters]

    out = []
    ok = True
    index = command_index(all_lines)
    total_names = 0
    total_commands = 0
    for title, count, groups in index:
        names = [name for group in groups for name in group]
        # the family: the one of the registration tables that holds the names
        votes = collections.Counter(family_of[n] for n in names if n in family_of)
        if not votes:
            print(f"{title}: none of its names is registered", file=sys.stderr)
            ok = False
            continue
        family = votes.most_common(1)[0][0]
        for n in names:
            if n not in family_of:
                print(f"{title}: {n} is not registered", file=sys.stderr)
            elif family_of[n] != family:
                print(f"{title}: {n} is registered in {family_of[n]}, not {family}", file=sys.stderr)
        # the chapter: the one that gives the patterns of most of the names
        heading, found = max(patterns, key=lambda hp: sum(n in hp[1] for n in names))
        if len(groups) != count:
            print(f"{title}: {len(groups)} commands, announced {count}", file=sys.stderr)
            ok = False
        for group in groups:
            for name in group:
                if name not in found:
                    print(f"{heading}: no pattern for {name}; taken as none", file=sys.stderr)
                out.append(f"{family}\t{name}\t{found.get(name, '')}")
            if len(group) > 1:
                out.append("alias\t" + "\t".join(group))
            total_names += len(group)
        total_commands += len(groups)
    if (total_names, total_commands) != (498, 469):
        print(f"{total_names} names, {total_commands} commands", file=sys.stderr)
        ok = False

    words = system_words(all_lines)
    if len(words) != 124:
        print(f"{len(words)} system words", file=sys.stderr)
        ok = False
    for name, access, initial, typetext in words:
        out.append(f"sysword\t{name}\t{access}\t{initial}\t{typetext}")

    props = property_names(all_lines)
    if [i for i, _ in props] != list(range(57)):
        print("property table is not numbered 0..56", file=sys.stderr)
        ok = False
    for i, name in props:
        out.append(f"property\t{i}\t{name}")

    sys.stdout.write("\n".join(out) + "\n")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
