# a table of one hundred thousand rows, then the second column of every row summed
lines = []
for i in range(100000):
    lines.append(str(i) + "," + str(i * 2) + "\n")
table = "".join(lines)
rows = [line.split(",") for line in table.splitlines()]
total = 0
for i in range(100000):
    total = total + int(rows[i][1])
print(total)
