# a hundred thousand rows: inserted one statement at a time, then all selected
# and joined as CSV text, the run-time's whole-result form
import sqlite3
db = sqlite3.connect(':memory:', isolation_level=None)
db.execute('CREATE TABLE t (id INTEGER, name TEXT, price REAL)')
db.execute('BEGIN')
for n in range(1, 100001):
    db.execute("INSERT INTO t VALUES (%d, '品%d', %d.5)" % (n, n, n))
db.execute('COMMIT')
rows = db.execute('SELECT * FROM t').fetchall()
text = '\r\n'.join(','.join('"' + str(v).replace('"', '""') + '"' for v in row) for row in rows)
print(len(text))
