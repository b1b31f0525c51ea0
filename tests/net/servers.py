#!/usr/bin/python3
"""Small servers for the network command tests, on 127.0.0.1 only.

servers.py KIND FOLDER: serves KIND (http, smtp, pop3, ftp) on a port the
system chooses, writes the port to FOLDER/port.txt and what it was sent to
FOLDER/KIND.log (SMTP: each mail's data byte for byte to FOLDER/mailN.bin).
It stops after a time-out and after a bounded number of requests.
"""
import os
import socket
import socketserver
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LIFETIME = int(os.environ.get("SERVER_LIFETIME", "60"))  # seconds a server lives at most
MAX_REQUESTS = int(os.environ.get("SERVER_MAX_REQUESTS", "5000"))

kind, folder = sys.argv[1], sys.argv[2]
log_lock = threading.Lock()
count = 0


def log(line):
    with log_lock:
        with open(os.path.join(folder, kind + ".log"), "ab") as f:
            f.write(line if isinstance(line, bytes) else line.encode("utf-8"))
            f.write(b"\n")


def counted():
    global count
    with log_lock:
        count += 1
        return count <= MAX_REQUESTS


def announce(port):
    tmp = os.path.join(folder, "port.tmp")
    with open(tmp, "w") as f:
        f.write(str(port))
    os.replace(tmp, os.path.join(folder, "port.txt"))


def stop_later(server):
    threading.Timer(LIFETIME, server.shutdown).start()


# ---- HTTP ----

class Http(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    wbufsize = 65536  # a response leaves in one piece (flushed after each request)

    def log_message(self, *args):
        pass

    def send(self, code, body, headers=()):
        self.send_response(code)
        self.send_header("Content-Length", str(len(body)))
        for k, v in headers:
            self.send_header(k, v)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if not counted():
            return self.send(503, b"")
        p = self.path
        if p != "/small.txt":
            log("GET " + p)
        if p == "/small.txt":
            self.send(200, b"hello\r\n")
        elif p == "/binary":
            self.send(200, bytes(range(256)) * 4)
        elif p == "/redirect":
            self.send(302, b"", [("Location", "/binary")])
        elif p == "/echo":
            h = self.headers
            body = "agent=%s\r\naccept=%s\r\ntype=%s\r\ncookie=%s\r\n" % (
                h.get("User-Agent"), h.get("Accept"), h.get("Content-Type"), h.get("Cookie"))
            self.send(200, body.encode())
        elif p == "/cookie":
            self.send(200, b"set", [("Set-Cookie", "k=v; Path=/")])
        elif p == "/stall":
            # the headers, then nothing until the client goes
            self.send_response(200)
            self.send_header("Content-Length", "100000")
            self.end_headers()
            self.wfile.flush()
            self.connection.settimeout(20)
            try:
                self.connection.recv(1)
            except OSError:
                pass
            self.close_connection = True
        elif p == "/slow":
            time.sleep(1.5)
            self.send(200, b"slow")
        else:
            self.send(404, b"not here")

    def do_POST(self):
        if not counted():
            return self.send(503, b"")
        n = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(n)
        log(b"POST " + self.path.encode() + b" " + body)
        if self.path == "/missing":
            return self.send(404, b"")
        out = b"body=" + body + b"\r\ntype=" + str(self.headers.get("Content-Type")).encode() + \
            b"\r\ncookie=" + str(self.headers.get("Cookie")).encode()
        self.send(200, out)


# ---- SMTP ----

class Smtp(socketserver.StreamRequestHandler):
    timeout = 20

    def reply(self, text):
        self.wfile.write(text.encode() + b"\r\n")

    def handle(self):
        self.reply("220 test ready")
        while counted():
            line = self.rfile.readline()
            if not line:
                return
            cmd = line.rstrip(b"\r\n")
            word = cmd.split(b" ")[0].upper()
            log(cmd)
            if word in (b"EHLO", b"HELO"):
                self.reply("250 test")
            elif word in (b"MAIL", b"RCPT", b"RSET", b"NOOP"):
                self.reply("250 ok")
            elif word == b"DATA":
                self.reply("354 go on")
                data = b""
                while True:
                    l = self.rfile.readline()
                    if not l or l == b".\r\n":
                        break
                    data += l
                with log_lock:
                    n = len([f for f in os.listdir(folder) if f.startswith("mail") and f.endswith(".bin")]) + 1
                with open(os.path.join(folder, "mail%d.bin" % n), "wb") as f:
                    f.write(data)
                self.reply("250 stored")
            elif word == b"QUIT":
                self.reply("221 bye")
                return
            else:
                self.reply("502 no")


# ---- POP3 ----

class Pop3(socketserver.StreamRequestHandler):
    timeout = 20

    def reply(self, text):
        self.wfile.write(text if isinstance(text, bytes) else text.encode())
        self.wfile.write(b"\r\n")

    def handle(self):
        box = os.path.join(folder, "mailbox")
        names = sorted(os.listdir(box)) if os.path.isdir(box) else []
        mails = [open(os.path.join(box, n), "rb").read() for n in names]
        deleted = set()
        authed = False
        self.reply("+OK test pop3")
        while counted():
            line = self.rfile.readline()
            if not line:
                log("CLOSED")
                return
            parts = line.rstrip(b"\r\n").decode("latin-1").split(" ")
            word = parts[0].upper()
            log("PASS ****" if word == "PASS" else " ".join(parts))
            if word == "CAPA":
                self.reply("+OK\r\nUSER\r\nUIDL\r\n.")
            elif word == "USER":
                self.reply("+OK")
            elif word == "PASS":
                authed = parts[1:] == ["secret"]
                self.reply("+OK" if authed else "-ERR bad password")
            elif not authed:
                self.reply("-ERR log in first")
            elif word == "STAT":
                self.reply("+OK %d %d" % (len(mails), sum(map(len, mails))))
            elif word == "LIST" and len(parts) == 1:
                lines = ["%d %d" % (i + 1, len(m)) for i, m in enumerate(mails) if i not in deleted]
                self.reply("+OK\r\n" + "".join(l + "\r\n" for l in lines) + ".")
            elif word == "RETR":
                i = int(parts[1]) - 1
                if i < 0 or i >= len(mails) or i in deleted:
                    self.reply("-ERR no such message")
                    continue
                body = mails[i].replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
                stuffed = b"".join((b"." + l if l.startswith(b".") else l) for l in body.splitlines(True))
                if not stuffed.endswith(b"\r\n"):
                    stuffed += b"\r\n"
                self.reply(b"+OK\r\n" + stuffed + b".")
            elif word == "DELE":
                deleted.add(int(parts[1]) - 1)
                self.reply("+OK")
            elif word == "QUIT":
                for i in sorted(deleted):
                    os.remove(os.path.join(box, names[i]))
                    log("REMOVED " + names[i])
                self.reply("+OK bye")
                return
            else:
                self.reply("-ERR unknown")


class Tcp(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


def main():
    if kind == "http":
        server = ThreadingHTTPServer(("127.0.0.1", 0), Http)
        server.daemon_threads = True
    elif kind == "smtp":
        server = Tcp(("127.0.0.1", 0), Smtp)
    elif kind == "pop3":
        server = Tcp(("127.0.0.1", 0), Pop3)
    elif kind == "ftp":
        from pyftpdlib.authorizers import DummyAuthorizer
        from pyftpdlib.handlers import FTPHandler
        from pyftpdlib.servers import FTPServer
        import logging
        root = os.path.join(folder, "ftproot")
        os.makedirs(root, exist_ok=True)
        auth = DummyAuthorizer()
        auth.add_user("user", "secret", root, perm="elradfmwMT")
        handler = FTPHandler
        handler.authorizer = auth
        handler.timeout = 20
        logging.basicConfig(filename=os.path.join(folder, "ftp.log"), level=logging.DEBUG)
        server = FTPServer(("127.0.0.1", 0), handler)
        server.max_cons = 20
        announce(server.address[1])
        deadline = time.time() + LIFETIME
        while time.time() < deadline:
            server.serve_forever(timeout=0.5, blocking=False)
        server.close_all()
        return
    else:
        sys.exit("unknown server " + kind)
    announce(server.server_address[1])
    stop_later(server)
    server.serve_forever()


main()
