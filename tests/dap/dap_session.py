#!/usr/bin/env python3
"""A debugging session through the run-time's debug adapter, as an editor
holds it: initialize, breakpoints, launch, the stop at the line, the stack,
the scopes and variables, a step, an expression, continue, the end.

usage: dap_session.py TAMAKAZU PROGRAM stdio|port
Every read has a time-out, so a run-time that does not answer fails the test
rather than hanging it."""
import json
import os
import re
import socket
import subprocess
import sys
import threading
import queue

TIMEOUT = 60


class Channel:
    def __init__(self, reader, writer):
        self.reader, self.writer = reader, writer
        self.seq = 1
        self.messages = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        try:
            while True:
                length = None
                while True:
                    line = self.reader.readline()
                    if not line:
                        self.messages.put(None)
                        return
                    line = line.strip()
                    if not line:
                        break
                    key, _, value = line.partition(b":")
                    if key.strip().lower() == b"content-length":
                        length = int(value)
                body = self.reader.read(length)
                self.messages.put(json.loads(body.decode("utf-8")))
        except Exception as e:  # the test fails on the missing message
            print("reader:", e)
            self.messages.put(None)

    def send(self, command, arguments=None):
        msg = {"seq": self.seq, "type": "request", "command": command}
        if arguments is not None:
            msg["arguments"] = arguments
        self.seq += 1
        body = json.dumps(msg).encode("utf-8")
        self.writer.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.writer.flush()
        return msg["seq"]

    def next_message(self):
        try:
            m = self.messages.get(timeout=TIMEOUT)
        except queue.Empty:
            fail("no message within the time-out")
        if m is None:
            fail("the run-time closed the channel")
        return m


output = []
events = []


proc = None


def fail(why):
    print("FAIL:", why)
    if proc is not None:
        try:
            proc.kill()
            _, err = proc.communicate(timeout=TIMEOUT)
            print("exit status", proc.returncode, "standard error:", err.decode("utf-8", "replace"))
        except Exception:
            pass
    print("events so far:", events)
    print("output so far:", output)
    sys.exit(1)


def collect(ch, m):
    if m["type"] == "event":
        events.append(m["event"])
        if m["event"] == "output":
            output.append((m["body"].get("category"), m["body"]["output"]))
    return m


def request(ch, command, arguments=None, success=True):
    seq = ch.send(command, arguments)
    while True:
        m = collect(ch, ch.next_message())
        if m["type"] == "response" and m["request_seq"] == seq:
            if m["command"] != command:
                fail("response to %s names %s" % (command, m["command"]))
            if m["success"] != success:
                fail("%s: success %s, expected %s: %s" % (command, m["success"], success, m.get("message")))
            return m.get("body", {})


def wait_event(ch, name):
    while True:
        m = collect(ch, ch.next_message())
        if m["type"] == "event" and m["event"] == name:
            return m.get("body", {})


def expect(what, got, want):
    if got != want:
        fail("%s: %r, expected %r" % (what, got, want))


def session(ch, program, stdio):
    caps = request(ch, "initialize", {"adapterID": "tamakazu", "linesStartAt1": True, "columnsStartAt1": True})
    expect("configurationDone supported", caps.get("supportsConfigurationDoneRequest"), True)
    wait_event(ch, "initialized")
    bps = request(ch, "setBreakpoints", {"source": {"path": program}, "breakpoints": [{"line": 4}, {"line": 10}]})
    expect("breakpoints verified", [b["verified"] for b in bps["breakpoints"]], [True, True])
    request(ch, "setExceptionBreakpoints", {"filters": []})
    request(ch, "launch", {"program": program})
    request(ch, "configurationDone")

    # line 10 (inside the loop of the subroutine) comes first
    stop = wait_event(ch, "stopped")
    expect("stop reason", stop["reason"], "breakpoint")
    # a file that is not the program has no line to stop at
    bad = request(ch, "setBreakpoints", {"source": {"path": "/elsewhere/other.tmk"}, "breakpoints": [{"line": 1}]})
    expect("breakpoint elsewhere", bad["breakpoints"][0]["verified"], False)
    threads = request(ch, "threads")["threads"]
    expect("threads", [t["id"] for t in threads], [1])
    frames = request(ch, "stackTrace", {"threadId": 1})["stackFrames"]
    expect("frames", [(f["name"], f["line"]) for f in frames],
           [("2:回", 10), ("1:呼ぶ", 8), ("dap_session.tmk", 3)])
    expect("frame source", os.path.realpath(frames[0]["source"]["path"]), os.path.realpath(program))
    # step by line: the end of the block is the next line
    request(ch, "next", {"threadId": 1})
    expect("step", wait_event(ch, "stopped")["reason"], "step")
    frames = request(ch, "stackTrace", {"threadId": 1})["stackFrames"]
    expect("line after next", frames[0]["line"], 11)
    request(ch, "continue", {"threadId": 1})
    # the breakpoint holds for the loop's second turn
    expect("second turn", wait_event(ch, "stopped")["reason"], "breakpoint")
    expect("second turn's line", request(ch, "stackTrace", {"threadId": 1})["stackFrames"][0]["line"], 10)
    if stdio:
        expect("output before the stop", "".join(o for c, o in output if c == "stdout"), "途中\n")
    request(ch, "continue", {"threadId": 1})

    # then line 4, back in the main text: A and B are set, C not yet
    stop = wait_event(ch, "stopped")
    expect("stop reason", stop["reason"], "breakpoint")
    frames = request(ch, "stackTrace", {"threadId": 1})["stackFrames"]
    expect("frames at line 4", [(f["name"], f["line"]) for f in frames], [("dap_session.tmk", 4)])
    scopes = request(ch, "scopes", {"frameId": frames[0]["id"]})["scopes"]
    names = [s["name"] for s in scopes]
    expect("scopes", names, ["レベル 0", "システム変数"])
    variables = request(ch, "variables", {"variablesReference": scopes[0]["variablesReference"]})["variables"]
    expect("variables", [(v["name"], v["value"], v["type"]) for v in variables], [("A", "1", "e"), ("B", "2", "e")])
    system = request(ch, "variables", {"variablesReference": scopes[1]["variablesReference"]})["variables"]
    if "それ" not in [v["name"] for v in system]:
        fail("それ is not among the system variables")
    expect("evaluate", request(ch, "evaluate", {"expression": "B*10+A", "context": "repl"})["result"], "21")
    expect("evaluate a word", request(ch, "evaluate", {"expression": "A", "context": "hover"})["result"], "1")
    request(ch, "evaluate", {"expression": "(1+*2)", "context": "repl"}, success=False)
    request(ch, "next", {"threadId": 1})
    expect("step", wait_event(ch, "stopped")["reason"], "step")
    variables = request(ch, "variables", {"variablesReference": scopes[0]["variablesReference"]})["variables"]
    expect("C after the step", [(v["name"], v["value"]) for v in variables if v["name"] == "C"], [("C", "20")])
    request(ch, "continue", {"threadId": 1})
    expect("exit code", wait_event(ch, "exited")["exitCode"], 0)
    wait_event(ch, "terminated")
    request(ch, "disconnect", {})
    if stdio:
        text = "".join(o for c, o in output if c == "stdout")
        expect("program output", text, "途中\n途中\n20\n")


def failing_run(binary, env):
    """A program that fails: its error lines travel as stderr output and the
    exit code is 1."""
    global proc
    import tempfile
    del output[:]
    with tempfile.TemporaryDirectory() as folder:
        program = os.path.join(folder, "bad.tmk")
        with open(program, "wb") as f:
            f.write("Aは、1\r\n(1+*2)を、表示\r\n".encode("cp932"))
        proc = subprocess.Popen([binary, "--headless", "--dap"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, env=env)
        ch = Channel(proc.stdout, proc.stdin)
        request(ch, "initialize", {"adapterID": "tamakazu"})
        request(ch, "launch", {"program": program})
        request(ch, "configurationDone")
        expect("exit code of the failing run", wait_event(ch, "exited")["exitCode"], 1)
        wait_event(ch, "terminated")
        request(ch, "disconnect", {})
        errors = "".join(o for c, o in output if c == "stderr")
        if "[エラー] bad.tmk(2行目)" not in errors:
            fail("no error line in the stderr output: %r" % errors)
        proc.communicate(timeout=TIMEOUT)
        expect("exit status of the failing run", proc.returncode, 1)


def main():
    global proc
    binary, program, mode = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
    env = dict(os.environ)
    for var in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        env.pop(var, None)
    if mode == "stdio":
        proc = subprocess.Popen([binary, "--headless", "--dap"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, env=env)
        ch = Channel(proc.stdout, proc.stdin)
        session(ch, program, True)
    else:
        proc = subprocess.Popen([binary, "--headless", "--dap-port", "0", program], stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        line = proc.stderr.readline().decode("utf-8", "replace")
        m = re.search(r"127\.0\.0\.1:(\d+)", line)
        if not m:
            fail("no port reported: %r" % line)
        sock = socket.create_connection(("127.0.0.1", int(m.group(1))), timeout=TIMEOUT)
        f = sock.makefile("rwb")
        ch = Channel(f, f)
        session(ch, program, False)
    try:
        out, err = proc.communicate(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        proc.kill()
        fail("the run-time did not end after disconnect")
    if mode != "stdio":
        expect("standard output with the port", out.decode("utf-8"), "途中\n途中\n20\n")
    expect("exit status", proc.returncode, 0)
    if mode == "stdio":
        failing_run(binary, env)
    print("ok")


if __name__ == "__main__":
    main()
