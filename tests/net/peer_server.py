# A peer for a client program: listens on 127.0.0.1 (the port written to a
# file), takes one connection, keeps the exact bytes it receives until it
# has as many as expected, answers with fixed bytes and closes.
import os
import socket
import sys

port_file, out_file, expected_len, reply_hex = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
srv = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
srv.bind(("127.0.0.1", 0))
srv.listen(1)
srv.settimeout(30)
with open(port_file + ".tmp", "w") as f:
    f.write(str(srv.getsockname()[1]))
os.rename(port_file + ".tmp", port_file)
conn, _ = srv.accept()
conn.settimeout(30)
got = b""
while len(got) < expected_len:
    piece = conn.recv(65536)
    if not piece:
        break
    got += piece
with open(out_file, "wb") as f:
    f.write(got)
conn.sendall(bytes.fromhex(reply_hex))
conn.close()
srv.close()
