# A stand-in for the companion editor: serves its service on the local
# transport, writes every request's data as a line to the output file and
# acknowledges it. Stops after the first request or at the time-out.
import os, socket, struct, sys

path, out = sys.argv[1], sys.argv[2]
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.bind(path)
s.listen(4)
s.settimeout(20)
open(out + ".ready", "w").close()

def read(c, n):
    b = b""
    while len(b) < n:
        part = c.recv(n - len(b))
        if not part:
            raise EOFError
        b += part
    return b

try:
    c, _ = s.accept()
    frames = []
    for _ in range(2):
        (n,) = struct.unpack(">I", read(c, 4))
        frames.append(read(c, n))
    with open(out, "wb") as f:
        f.write(frames[0] + b" " + frames[1] + b"\n")
    try:
        c.sendall(b"\x01")
    except OSError:
        pass
    c.close()
finally:
    s.close()
    os.unlink(path)
