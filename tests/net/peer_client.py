# A peer for the server program: exact bytes echoed, the peer list after a
# connection closed, a connection cut by the server, and the end.
import socket
import sys

port = int(sys.argv[1])
fail = 0


def check(what, expected, actual):
    global fail
    if expected != actual:
        print("FAIL %s: expected %r, got %r" % (what, expected, actual))
        fail = 1
    else:
        print("ok %s" % what)


def connect():
    s = socket.create_connection(("127.0.0.1", port), timeout=30)
    return s


def receive(s, n):
    got = b""
    while len(got) < n:
        piece = s.recv(65536)
        if not piece:
            break
        got += piece
    return got


try:
    name = socket.gethostbyaddr("127.0.0.1")[0]
except OSError:
    name = "127.0.0.1"
a = connect()
# the server reports each connection; the next one waits until it is listed
a.sendall(b"list")
check("list of one", ("127.0.0.1," + name + "\r\n").encode(), receive(a, len(name) + 12))
b = connect()
data = "テスト\r\nソ表".encode("cp932") + b"\t end"
a.sendall(data)
check("exact bytes", data, receive(a, len(data)))
a.close()
b.sendall(b"list")
check("list after a close", ("127.0.0.1," + name + "\r\n").encode(), receive(b, len(name) + 12))
b.sendall(b"cut")
check("cut by the server", b"", receive(b, 1))
b.close()
c = connect()
c.sendall(b"bye")
check("closed at the end", b"", receive(c, 1))
c.close()
sys.exit(fail)
