# 1000 HTTP GETs of a small file from the local server, each written to a file
import urllib.request
port = open("port.txt").read().strip()
url = "http://127.0.0.1:%s/small.txt" % port
for _ in range(1000):
    with urllib.request.urlopen(url) as r, open("small.txt", "wb") as f:
        f.write(r.read())
print(open("small.txt").read())
