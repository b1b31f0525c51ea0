# in one hundred thousand rows: the row whose name is equal, then every row
# whose line holds a run of digits
import csv
import io

from tables_data import make_table

rows = list(csv.reader(io.StringIO(make_table())))
print(next((i for i in range(1, len(rows)) if rows[i][0] == "K54321"), -1))
count = 0
for i in range(1, len(rows)):
    if "4321" in ",".join(rows[i]):
        count += 1
print(count)
