# about 10 MB of text, split at a delimiter (a trailing delimiter gives no last piece)
s = "吾輩は猫である。名前はまだ無い。ソース表示,abc,123," * 200000
pieces = s.split(",")
if pieces and pieces[-1] == "":
    pieces.pop()
print(len(pieces))
t = "吾輩は猫である。名前はまだ無い。ソース表示,abc,123\r\n" * 200000
lines = t.split("\r\n")
if lines and lines[-1] == "":
    lines.pop()
print(len(lines))
