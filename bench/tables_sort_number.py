# one hundred thousand rows sorted by the number column
import csv
import io

from tables_data import make_table

rows = list(csv.reader(io.StringIO(make_table())))
result = [rows[0]] + sorted(rows[1:], key=lambda r: float(r[1]))
out = io.StringIO()
csv.writer(out).writerows(result)
print(len(list(csv.reader(io.StringIO(out.getvalue())))) - 1)
