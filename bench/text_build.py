# a text built from two hundred thousand pieces
pieces = []
for count in range(1, 200001):
    pieces.append(str(count) + ",")
s = "".join(pieces)
print(len(s))
