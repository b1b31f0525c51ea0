# The table of the table benchmarks: one hundred thousand rows "name,number,note"
# (names K00000-K99999, the number is the name's digits reversed), in the order
# of the same shuffle as the run-time's (seed 1), as CSV text with a header row.


def make_table():
    rows = [["Kabcde", "edcba", "note"]]
    for mark in "abcde":
        grown = []
        for i in range(10):
            d = str(i)
            grown.extend([[r[0].replace(mark, d), r[1].replace(mark, d), r[2]] for r in rows])
        rows = grown
    lines = [",".join(r) for r in rows]
    seed = 1
    n = len(lines)
    for _ in range(n + 1):
        seed = (seed * 134775813 + 1) & 0xFFFFFFFF
        i = (seed * n) >> 32
        seed = (seed * 134775813 + 1) & 0xFFFFFFFF
        j = (seed * n) >> 32
        lines[i], lines[j] = lines[j], lines[i]
    return "名前,数値,備考\r\n" + "".join(line + "\r\n" for line in lines)
