#!/usr/bin/env python3
"""Runs pagerange end to end, one table row per case.

usage: e2e.py PROGRAM

A row gives the arguments, the input, the expected standard output (bytes,
or just its length for a huge stream), exit status and standard error, how
standard input and output are set up, and what a later reader of the input
file finds. A row whose input is "both" runs once with the input in a file
and once through a pipe.
"""
import os
import signal
import subprocess
import sys
import tempfile
import threading
from typing import NamedTuple

FF = b"\f"
USAGE = "Usage: {prog} [startPg] [endPg] <input >output\n"


def stream(chunk, times, tail=b""):
    """An input made of one chunk repeated, too large to hold in memory."""
    def chunks():
        for _ in range(times):
            yield chunk
        yield tail
    return chunks


class Case(NamedTuple):
    args: list
    input: object  # bytes, or a function giving the chunks of a stream
    output: object = b""  # bytes, or the length of a huge output
    status: int = 0
    message: str = ""
    stdin: str = "both"  # both, file, pipe, held (a pipe left open), dir, closed
    stdout: str = "pipe"  # pipe, full, closed, gone, gone-ignored (SIGPIPE ignored)
    rest: bytes = None  # what is left to read in the input file afterwards


PQR = b"P" + FF + b"Q" + FF + b"R"
CASES = [
    # Usage: nothing is read, nothing is written.
    Case([], PQR, b"", 255, USAGE, rest=PQR),
    Case(["1"], PQR, b"", 255, USAGE, rest=PQR),
    Case(["1", "2", "3"], PQR, b"", 255, USAGE, rest=PQR),
    # Pages and ranges; rest shows that no byte past the range was taken.
    Case(["1", "1"], PQR, b"P\f", rest=b"Q\fR"),
    Case(["2", "2"], PQR, b"Q\f", rest=b"R"),
    Case(["2", "3"], PQR, b"Q\fR", rest=b""),
    Case(["2", "9"], b"P\fQ", b"Q"),
    Case(["3", "5"], b"P\fQ", b""),
    Case(["5", "2"], PQR + b"\fS", b"", rest=b"R\fS"),
    Case(["2", "2"], b"P\f\fQ", b"\f", rest=b"Q"),
    Case(["2", "2"], b"\fX\f", b"X\f", rest=b""),
    Case(["0", "0"], b"PQ", b"P", rest=b"Q"),
    Case(["x", ""], b"PQ", b"P", rest=b"Q"),
    Case(["2", "0"], b"PQ", b"", rest=b"Q"),
    Case(["1", "0"], b"PQ", b"P", rest=b"Q"),
    Case(["1", "1"], b"P\xff\0\r\n\x1a\fQ", b"P\xff\0\r\n\x1a\f", rest=b"Q"),
    Case(["1", "9"], b"", b""),
    Case([" 2", "2"], PQR, b"Q\f"),
    Case(["+2", "2"], PQR, b"Q\f"),
    Case(["2abc", "2"], PQR, b"Q\f"),
    Case(["-7", "4294967298"], PQR, b"P\fQ\f", rest=b"R"),
    # 2^31 - 1 form feeds: the page count must not wrap before passing endPg.
    Case(["-2147483648", "2147483647"], stream(FF * 2**20, 2**11 - 1, FF * (2**20 - 1) + b"XY"),
         2**31 - 1, stdin="pipe"),
    # The input keeps coming, but the range is complete: exit now.
    Case(["1", "1"], PQR, b"P\f", stdin="held"),
    # Failures are reported once, after what was selected has been written.
    Case(["1", "2"], PQR, b"", 1, "{prog}: write error: No space left on device\n", stdout="full"),
    Case(["3", "4"], b"P\fQ", b"", stdout="full"),
    Case(["1", "2"], PQR, b"", 1, "{prog}: write error: Bad file descriptor\n", stdout="closed"),
    Case(["1", "2"], PQR, b"", -signal.SIGPIPE, stdout="gone"),
    Case(["1", "2"], PQR, b"", 1, "{prog}: write error: Broken pipe\n", stdout="gone-ignored"),
    Case(["1", "2"], b"", b"", 1, "{prog}: read error: Is a directory\n", stdin="dir"),
    Case(["1", "2"], b"", b"", 1, "{prog}: read error: Bad file descriptor\n", stdin="closed"),
]


def chunks_of(case):
    return case.input() if callable(case.input) else [case.input]


def run(prog, case, stdin_kind, scratch):
    """Runs one case; returns (output or its length, status, message, rest)."""
    closing = []  # descriptors the child closes before it starts
    handed = []  # descriptors the child inherits and we no longer need
    stdin = subprocess.PIPE
    if stdin_kind == "file":
        path = os.path.join(scratch, "input")
        with open(path, "wb") as f:
            for chunk in chunks_of(case):
                f.write(chunk)
        stdin = os.open(path, os.O_RDONLY)
    elif stdin_kind == "dir":
        stdin = os.open(scratch, os.O_RDONLY)
        handed.append(stdin)
    elif stdin_kind == "closed":
        stdin, closing = subprocess.DEVNULL, [0]

    stdout = subprocess.PIPE
    if case.stdout == "full":
        stdout = os.open("/dev/full", os.O_WRONLY)
        handed.append(stdout)
    elif case.stdout == "closed":
        stdout, closing = None, closing + [1]
    elif case.stdout.startswith("gone"):
        reader, stdout = os.pipe()
        os.close(reader)
        handed.append(stdout)

    def setup():
        if case.stdout == "gone-ignored":
            signal.signal(signal.SIGPIPE, signal.SIG_IGN)
        for fd in closing:
            os.close(fd)

    proc = subprocess.Popen([prog] + case.args, stdin=stdin, stdout=stdout,
                            stderr=subprocess.PIPE, preexec_fn=setup)
    for fd in handed:
        os.close(fd)

    def feed():
        try:
            for chunk in chunks_of(case):
                proc.stdin.write(chunk)
            proc.stdin.flush()
            if stdin_kind != "held":
                proc.stdin.close()
        except BrokenPipeError:
            pass

    feeder = threading.Thread(target=feed, daemon=True)
    if proc.stdin:
        feeder.start()
    message = []
    err_reader = threading.Thread(target=lambda: message.append(proc.stderr.read()))
    err_reader.start()

    output, length = bytearray(), 0
    if proc.stdout:
        while chunk := proc.stdout.read1(1 << 20):
            length += len(chunk)
            if len(output) < (1 << 20):
                output += chunk
    status = proc.wait(timeout=120)
    err_reader.join()
    if proc.stdin:
        proc.stdin.close() if stdin_kind == "held" else feeder.join()

    rest = None
    if stdin_kind == "file":
        rest = b""
        while chunk := os.read(stdin, 1 << 20):
            rest += chunk
        os.close(stdin)
    got = length if isinstance(case.output, int) else bytes(output)
    return got, status, message[0].decode(errors="replace"), rest


def main():
    prog = sys.argv[1]
    failures = passes = 0
    with tempfile.TemporaryDirectory() as scratch:
        for case in CASES:
            kinds = ["file", "pipe"] if case.stdin == "both" else [case.stdin]
            for kind in kinds:
                expected_rest = case.rest if kind == "file" else None
                expected = (case.output, case.status, case.message.format(prog=prog), expected_rest)
                got = run(prog, case, kind, scratch)
                got = got[:3] + (got[3] if expected_rest is not None else None,)
                if got == expected:
                    passes += 1
                    continue
                failures += 1
                print(f"FAIL {case.args} stdin={kind} stdout={case.stdout}\n"
                      f"  expected {expected!r:.300}\n  got      {got!r:.300}")
    print(f"{passes} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
