# the rows of one hundred thousand that satisfy a condition
import csv
import io

from tables_data import make_table

rows = list(csv.reader(io.StringIO(make_table())))
result = [rows[0]] + [r for r in rows[1:] if float(r[1]) >= 50000 and r[0].startswith("K1")]
out = io.StringIO()
csv.writer(out).writerows(result)
print(len(list(csv.reader(io.StringIO(out.getvalue())))) - 1)
