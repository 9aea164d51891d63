#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs pagerange end to end, one table row per case.

usage: e2e.py PROGRAM --block BYTES [--shim LIBRARY] [--wine] [--slow]
              [--emulator COMMAND] [--protected-stdout LAUNCHER]

A row gives the arguments, the input, the expected standard output (or
just its length, for a stream too large to keep), status and message, how
standard input and output are set up, and what a later reader of the input
file finds. A row whose stdin is "both" runs from a file and through a
pipe; a row whose output passes 512 MiB must also keep its memory steady.
A row that needs what this machine cannot give (a loop device, direct
I/O) is skipped, saying why.
With --shim, every ordinary row runs again with short writes and with
interrupted calls, and must give the same result. With --wine, PROGRAM is
the Windows program and only rows that mean the same there run, those
with a protected output through the Windows program LAUNCHER; with
--emulator, PROGRAM is another architecture's, run under that command.
"""
import argparse
import fcntl
import itertools
import os
import resource
import select
import shlex
import signal
import subprocess
import sys
import tempfile
import threading
import time
from typing import NamedTuple

FF = b"\f"
MIB = 1 << 20
GIB = 1 << 30
LIMIT = 100 * 1024  # the size a "limited" output file may reach
WATCHDOG = 300  # seconds a row may take before it counts as hung
USAGE = "Usage: {prog} [startPg] [endPg] <input >output\n"
WRITE_ERROR = "{prog}: write error: %s\n"
READ_ERROR = "{prog}: read error: %s\n"


def stream(chunk, times, tail=b""):
    """An input made of one chunk repeated, too large to hold in memory."""
    return lambda: itertools.chain(itertools.repeat(chunk, times), [tail])


class Sparse(NamedTuple):
    """A file of size bytes, all zero but for the bytes placed at offsets."""
    size: int
    placed: dict


class Case(NamedTuple):
    args: list
    input: object  # bytes, or a function giving the chunks of a stream
    output: object = b""  # bytes, or the length of a huge output
    status: int = 0
    message: str = ""
    # both, file, pipe, held (a pipe left open), dir, closed, direct (the
    # file opened with O_DIRECT), device (a loop device over the file),
    # direct8k and direct64k (one with 8 KiB or 64 KiB sectors, opened
    # with O_DIRECT)
    stdin: str = "both"
    # pipe, full, closed, gone, gone-ignored (SIGPIPE ignored), protected (a
    # pipe whose Windows handle cannot be closed, handed over by a parent
    # program: Windows only); rewritten or
    # truncated (a pipe read only once the program has gone and the input
    # file has been overwritten at its start or cut to 3 bytes); or a file
    # whose content afterwards is the output: file (a new one), limited (one
    # that may not grow past LIMIT bytes), append (>> the input file), rw (1<> it)
    stdout: str = "pipe"
    rest: object = None  # what is left to read in the input file afterwards, or its offset
    at: int = 0  # where the input file's offset stands when the program starts
    before: list = None  # the arguments of a run on the same open input, just before
    fault: str = ""  # the fault shim's modes, separated by commas
    nonblock: bool = False  # standard input and output inherited non-blocking, read slowly
    # Seconds the input's writer, or with paused="stdout" the output's
    # reader, stops for after its first piece; the program waits for it
    # taking less than a quarter of that in processor time.
    pause: float = 0
    paused: str = "stdin"
    slow: bool = False  # run only with --slow
    only: str = ""  # posix or windows, when the row means something on one only; both


# What the "grow" fault appends to the input: form feeds among text, dense
# enough that a range can end in it after a long run of sparse pages.
GROWTH = (FF * 997 + b"g\n") * 260


def pick(data, start, end):
    """The pages start to end of data, and what follows them, one byte at a time."""
    page, out = 1, bytearray()
    for at, byte in enumerate(data):
        if page >= start:
            out.append(byte)
        page += byte == FF[0]
        if page > end:
            return bytes(out), data[at + 1 :]
    return bytes(out), b""


def as_counted(data, counted, start, end):
    """pick, where the bytes counted differ from those put out: counted is
    data with some bytes rewritten after they went out, before they were
    read again to be counted. Returns the output and what the file holds
    after the range."""
    picked, after = pick(counted, start, end)
    stop = len(counted) - len(after)
    return data[stop - len(picked) : stop], after


def cases(block):
    pqr = b"P" + FF + b"Q" + FF + b"R"
    text = bytes(range(13, 256)) * (3 * MIB // 243)  # no form feed
    abc = b"abc" * MIB  # no form feed, nor anything Windows translates
    ends_ff = b"a\f" + b"x" * (3 * block) + FF
    # A rest that cannot end the range once two blocks have been counted,
    # but could after one: copied after the second read.
    late_rest = b"a\f" + b"x" * (3 * block)
    # Pages of text and form feeds that cross block edges, a whole number of
    # 64 KiB sectors, as a block device with the largest sectors holds them.
    sectors = b"".join(b"%06d page\n" % n * (n % 97 + 1) + FF for n in range(1000))
    sectors = sectors[: len(sectors) // 65536 * 65536]
    pages200to450, after450 = pick(sectors, 200, 450)
    # Sparse pages, then a rest longer than a block that cannot end the range
    # before GROWTH is appended: the range ends in GROWTH.
    sparse = b"a\f" + (b"text line\n" * 5 + FF) * (5 * block // 102)
    sparse_end = sparse.count(FF) + (len(sparse) - block) + 1000
    grown, after_grown = pick(sparse + GROWTH, 2, sparse_end)
    # An end that GROWTH alone could not reach were every byte a form feed,
    # but that it reaches with the form feeds copied uncounted before it:
    # by the time GROWTH is found, two blocks have been counted.
    late_end = 1 + sparse[: 2 * block].count(FF) + len(GROWTH) + 300
    grown_late, after_late = pick(sparse + GROWTH, 2, late_end)
    # The same, with the bytes taken before GROWTH came rewritten as form
    # feeds: into a file, the copied rest; into a pipe, the second block, the
    # first read uncounted. Counted again, they end the range earlier.
    scribbled_copy = as_counted(sparse + GROWTH, sparse[:block] + FF * (len(sparse) - block)
                                + GROWTH, 2, sparse_end)
    scribbled_read = as_counted(sparse + GROWTH, sparse[:block] + FF * block
                                + sparse[2 * block :] + GROWTH, 2, sparse_end)
    # Form feeds only, a rest that fits after one block with 10 bytes to
    # spare; and a thousand pages of a thousand bytes.
    dense = b"a\f" + FF * (2 * block + 48)
    dense_grown, after_dense = pick(dense + GROWTH, 2, 2 * block + 60)
    thousands = (b"y" * 999 + FF) * 1000
    pages5to300, after300 = pick(thousands, 5, 300)
    # Pages read on from an offset that is no multiple of any disk's sector.
    from751, after751 = pick(sectors[751:], 1, 2)
    from4097, after4097 = pick(sectors[4097:], 1, 2)
    # An offset that only a block of 64 KiB, the largest sector, holds
    # aligned: every smaller block that holds it starts off a 64 KiB edge.
    from36865, after36865 = pick(sectors[36865:], 1, 2)
    # Page ends past 2 GiB and past 4 GiB: pages 2 and 4 are 13 and 10 bytes.
    huge = Sparse(2**32 + 100, {2**31 - 3: FF, 2**31 + 10: FF, 2**32 + 10: FF, 2**32 + 20: FF})
    rows = [
        # Usage: nothing is read, nothing is written.
        Case([], pqr, b"", 255, USAGE, rest=pqr),
        Case(["1"], pqr, b"", 255, USAGE, rest=pqr),
        Case(["1", "2", "3"], pqr, b"", 255, USAGE, rest=pqr),
        # Pages and ranges; rest shows that no byte past the range was taken.
        Case(["1", "1"], pqr, b"P\f", rest=b"Q\fR"),
        Case(["2", "2"], pqr, b"Q\f", rest=b"R"),
        Case(["2", "3"], pqr, b"Q\fR", rest=b""),
        Case(["2", "9"], b"P\fQ", b"Q"),
        Case(["3", "5"], b"P\fQ", b""),
        Case(["5", "2"], pqr + b"\fS", b"", rest=b"R\fS"),
        Case(["2", "2"], b"P\f\fQ", b"\f", rest=b"Q"),
        Case(["2", "2"], b"\fX\f", b"X\f", rest=b""),
        Case(["0", "0"], b"PQ", b"P", rest=b"Q"),
        Case(["x", ""], b"PQ", b"P", rest=b"Q"),
        Case(["2", "0"], b"PQ", b"", rest=b"Q"),
        Case(["1", "0"], b"PQ", b"P", rest=b"Q"),
        Case(["1", "9"], b"", b""),
        Case([" 2", "2"], pqr, b"Q\f"),
        Case(["+2", "2"], pqr, b"Q\f"),
        Case(["2abc", "2"], pqr, b"Q\f"),
        Case(["-7", "4294967298"], pqr, b"P\fQ\f", rest=b"R"),
        Case(["1", "1"], b"P\xff\0\r\n\x1a\fQ", b"P\xff\0\r\n\x1a\f", rest=b"Q", only="posix"),
        # Windows text mode: CR LF reads as LF, LF writes as CR LF, Ctrl-Z ends the input.
        Case(["1", "1"], b"P\xff\0\r\n\x1a\fQ", b"P\xff\0\r\n", only="windows"),
        Case(["1", "1"], b"a\nb\fc", b"a\r\nb\f", only="windows"),
        Case(["1", "1"], b"a\r\nb\fc", b"a\r\nb\f", only="windows"),
        Case(["1", "1"], b"a\rb\r\fc", b"a\rb\r\f", only="windows"),
        Case(["2", "2"], b"x\f" + b"line\r\n" * 100000 + b"\fz", b"line\r\n" * 100000 + b"\f",
             only="windows"),
        Case(["1", "2"], pqr, b"", 1, stdout="gone", only="windows"),
        # 2^31 - 1 form feeds: the page count must not wrap before passing endPg.
        Case(["-2147483648", "2147483647"], stream(FF * MIB, 2**11 - 1, FF * (MIB - 1) + b"XY"),
             2**31 - 1, stdin="pipe"),
        # The input keeps coming, but the range is complete: exit now.
        Case(["1", "1"], pqr, b"P\f", stdin="held"),
        # Failures are reported once, after what was selected has been
        # written. The input is left just past what went out or was passed
        # over before the range, so that nothing is lost or given twice.
        Case(["1", "2"], pqr, b"", 1, WRITE_ERROR % "No space left on device", stdout="full",
             rest=pqr, only="both"),
        Case(["2", "9"], pqr, b"", 1, WRITE_ERROR % "No space left on device", stdout="full",
             rest=b"Q\fR"),
        Case(["2", "2"], pqr, b"", 1, WRITE_ERROR % "No space left on device", stdout="full",
             rest=b"Q\fR"),
        Case(["3", "4"], b"P\fQ", b"", stdout="full"),
        Case(["1", "2"], pqr, b"", 1, WRITE_ERROR % "Bad file descriptor", stdout="closed",
             rest=pqr, only="both"),
        Case(["3", "4"], b"P\fQ", b"", stdout="closed", only="both"),
        Case(["1", "2"], pqr, b"P\fQ\f", stdout="protected", only="windows"),
        Case(["3", "4"], b"P\fQ", b"", stdout="protected", only="windows"),
        Case(["1", "2"], pqr, b"", -signal.SIGPIPE, stdout="gone", rest=pqr),
        Case(["1", "2"], pqr, b"", 1, WRITE_ERROR % "Broken pipe", stdout="gone-ignored",
             rest=pqr),
        Case(["2", "2"], pqr, b"", 1, WRITE_ERROR % "Broken pipe", stdout="gone-ignored",
             rest=b"Q\fR"),
        # The Windows runtime has no errno for a file too large and says EINVAL.
        Case(["1", "9"], abc, abc[:LIMIT], 1, WRITE_ERROR % "File too large", stdin="file",
             stdout="limited", rest=abc[LIMIT:], only="posix"),
        Case(["1", "9"], abc, abc[:LIMIT], 1, WRITE_ERROR % "Invalid argument", stdin="file",
             stdout="limited", only="windows"),
        Case(["1", "2"], b"", b"", 1, READ_ERROR % "Is a directory", stdin="dir"),
        Case(["1", "2"], b"", b"", 1, READ_ERROR % "Bad file descriptor", stdin="closed"),
        Case(["1", "9"], text, text[: 2 * block], 1, WRITE_ERROR % "No space left on device",
             stdin="file", fault="enospc", rest=text[2 * block :]),
        Case(["1", "9"], text, text[:2], 1, WRITE_ERROR % "No space left on device",
             stdin="file", fault="short,enospc", rest=text[2:]),
        Case(["1", "9"], text, text[: 2 * block], 1, READ_ERROR % "Input/output error",
             stdin="file", fault="eio", rest=text[2 * block :]),
        Case(["1", "1"], pqr, b"P\f", 1, READ_ERROR % "Input/output error", stdin="file",
             fault="lseek"),
        # Descriptors the caller left non-blocking are waited on, not failed,
        # and without spinning while the input's writer or the output's
        # reader stops: the output, 3 MiB, fills a pipe of any default size.
        Case(["1", "9"], text, text, stdin="pipe", nonblock=True),
        Case(["1", "9"], text, text, stdin="file", nonblock=True),
        # A wait that a signal interrupts is waited again.
        Case(["1", "9"], text, text, stdin="pipe", nonblock=True, fault="eintr"),
        Case(["1", "9"], text, text, stdin="file", nonblock=True, fault="eintr"),
        Case(["1", "9"], text[: 4 * 65536], text[: 4 * 65536], stdin="pipe", nonblock=True,
             pause=1.0),
        Case(["1", "9"], text, text, stdin="file", nonblock=True, pause=1.0, paused="stdout"),
        # Into another file, past the start page, a rest too short to end
        # the range is copied unread: the third read, which would fail, never
        # comes. Refused, cut short, or finding the file emptied, the copy
        # leaves the rest to the buffer.
        Case(["2", "2147483647"], ends_ff, ends_ff[2:], stdin="file", stdout="file", fault="eio",
             rest=b""),
        # Exactly as many bytes as could not end the range, after one block.
        Case(["2", str(2 * block + 4)], late_rest, late_rest[2:], stdin="file", stdout="file",
             fault="eio", rest=b""),
        Case(["2", "2147483647"], ends_ff, ends_ff[2:], stdin="file", stdout="file",
             fault="nocopy"),
        Case(["2", str(sparse_end)], sparse, sparse[2:], stdin="file", stdout="file", fault="cut",
             rest=b""),
        Case(["2", "2147483647"], ends_ff, ends_ff[2:block], stdin="file", stdout="file",
             fault="shrink", rest=b""),
        # A rest that could end the range, were its bytes form feeds, is
        # counted: two bytes more than what cannot end it, into a file or a
        # pipe; and one byte more, which ends the range on its last byte, so
        # that nothing is read after it (the read that would fail never comes).
        Case(["1", "5"], FF * 5 + b"Z", FF * 5, stdin="file", stdout="file", rest=b"Z"),
        Case(["2", "6"], b"a\f" + b"x" * (block - 2) + FF * 6, b"x" * (block - 2) + FF * 5,
             stdin="file", stdout="file", rest=FF),
        Case(["1", "5"], FF * 5 + b"Z", FF * 5, stdin="file", rest=b"Z"),
        Case(["2", "6"], b"a\f" + b"x" * (block - 2) + FF * 6, b"x" * (block - 2) + FF * 5,
             stdin="file", rest=FF),
        Case(["2", "6"], b"a\f" + b"x" * (block - 2) + FF * 5, b"x" * (block - 2) + FF * 5,
             stdin="file", fault="eio", rest=b""),
        # A read that fails after a copy, or while counting the copied bytes
        # once the file has grown, leaves the input past what was copied.
        Case(["2", str(block + 102)], late_rest, late_rest[2:], 1,
             READ_ERROR % "Input/output error", stdin="file", stdout="file", fault="eio",
             rest=b""),
        Case(["2", str(sparse_end)], sparse, sparse[2:], 1, READ_ERROR % "Input/output error",
             stdin="file", stdout="file", fault="grow,eio", rest=GROWTH),
        # Input appended after a rest sent uncounted, copied into a file or
        # read and written into a pipe: the rest is read and counted after
        # all, but not written twice, and the range ends in what came.
        Case(["2", str(sparse_end)], sparse, grown, stdin="file", stdout="file", fault="grow",
             rest=after_grown),
        Case(["2", str(sparse_end)], sparse, grown, stdin="file", fault="grow", rest=after_grown),
        # What came is sent too, when it cannot end the range either;
        # but not when it can only with the bytes sent before it.
        Case(["2", "2147483647"], sparse, (sparse + GROWTH)[2:], stdin="file", stdout="file",
             fault="grow", rest=b""),
        Case(["2", "2147483647"], sparse, (sparse + GROWTH)[2:], stdin="file", fault="grow",
             rest=b""),
        Case(["2", str(late_end)], sparse, grown_late, stdin="file", stdout="file", fault="grow",
             rest=after_late),
        Case(["2", str(late_end)], sparse, grown_late, stdin="file", fault="grow", rest=after_late),
        # Only bytes that went out uncounted are counted after the growth,
        # as they are then, and only they end the range early.
        Case(["2", str(sparse_end)], sparse, scribbled_copy[0], stdin="file", stdout="file",
             fault="grow,scribble", rest=scribbled_copy[1]),
        Case(["2", str(sparse_end)], sparse, scribbled_read[0], stdin="file",
             fault="grow,scribble", rest=scribbled_read[1]),
        # A file that refuses the copy gets its rest read uncounted instead.
        Case(["2", str(sparse_end)], sparse, scribbled_read[0], stdin="file", stdout="file",
             fault="grow,scribble,nocopy", rest=scribbled_read[1]),
        # What the file has grown by when a later block of the rest is read
        # is counted, not sent with it.
        Case(["2", str(2 * block + 60)], dense, dense_grown, stdin="file", fault="grow",
             rest=after_dense),
        # Into a pipe, the rest read uncounted fails to be read or written
        # in its second block; or it shrinks once its size has been seen;
        # or its size says nothing, as under /proc, and every byte is counted.
        Case(["2", "2147483647"], ends_ff, ends_ff[2 : 2 * block], 1,
             READ_ERROR % "Input/output error", stdin="file", fault="eio",
             rest=ends_ff[2 * block :]),
        Case(["2", "2147483647"], ends_ff, ends_ff[2 : 2 * block], 1,
             WRITE_ERROR % "No space left on device", stdin="file", fault="enospc",
             rest=ends_ff[2 * block :]),
        Case(["2", "2147483647"], ends_ff, ends_ff[2:block], stdin="file", fault="shrink",
             rest=b""),
        # A write that fails once is reported, though the next would work.
        Case(["2", "2147483647"], ends_ff, ends_ff[2 : 2 * block], 1,
             WRITE_ERROR % "Input/output error", stdin="file", fault="glitch",
             rest=ends_ff[2 * block :]),
        Case(["1", "5"], FF * 6, FF * 5, stdin="file", fault="nosize", rest=FF),
        # A rest too long to send is never measured, so a file that would
        # shrink once asked its size is read through.
        Case(["5", "300"], thousands, pages5to300, stdin="file", fault="shrink",
             rest=after300),
        # The output is the bytes as read: a file changed after the program
        # has gone does not change what its reader gets.
        Case(["1", "1"], b"AAAAAAAA\fBBBB", b"AAAAAAAA\f", stdin="file", stdout="rewritten"),
        Case(["1", "1"], b"AAAAAAAA\fBBBB", b"AAAAAAAA\f", stdin="file", stdout="truncated"),
        Case(["2", "2147483647"], b"A\fAAAAAAAA\fBBBB", b"AAAAAAAA\fBBBB", stdin="file",
             stdout="rewritten"),
        Case(["2", "2147483647"], b"A\fAAAAAAAA\fBBBB", b"AAAAAAAA\fBBBB", stdin="file",
             stdout="truncated"),
        # Whatever can seek gets its unused bytes back; what cannot is read
        # as a stream and gets nothing back, without an error.
        Case(["200", "450"], sectors, pages200to450, stdin="device", rest=after450),
        Case(["200", "450"], sectors, pages200to450, stdin="file", fault="blockdev", rest=after450),
        Case(["1", "1"], pqr, b"P\f", stdin="file", fault="espipe", rest=b""),
        Case(["1", "1"], pqr, b"P\f", stdin="file", fault="nopread", rest=b""),
        # A file read on from where an earlier program left it.
        Case(["2", "2"], pqr + b"\fS", b"R\f", stdin="file", at=2, rest=b"S"),
        # Direct I/O reads only into memory aligned to the disk's sectors.
        Case(["200", "450"], sectors, pages200to450, stdin="direct", rest=after450),
        Case(["200", "450"], sectors, pages200to450, stdin="file", fault="align4k", rest=after450),
        # From any offset: the aligned block that holds it is read.
        Case(["1", "2"], sectors, from751, stdin="direct", at=751, rest=after751),
        Case(["1", "2"], sectors, from751, stdin="file", fault="align4k", at=751, rest=after751),
        Case(["1", "2147483647"], sectors, sectors[751:], stdin="direct", at=751, rest=b""),
        Case(["1", "2"], sectors, from4097, stdin="direct", at=4097, rest=after4097),
        Case(["1", "2"], sectors, from4097, stdin="file", fault="align4k", at=4097,
             rest=after4097),
        # From a disk whose sectors are larger than the block first tried.
        Case(["1", "2"], sectors, from4097, stdin="file", fault="align16k", at=4097,
             rest=after4097),
        Case(["1", "2"], sectors, from4097, stdin="direct8k", at=4097, rest=after4097),
        Case(["1", "2"], sectors, from36865, stdin="file", fault="align64k", at=36865,
             rest=after36865),
        Case(["1", "2"], sectors, from36865, stdin="direct64k", at=36865, rest=after36865),
        # To an end of file within a block, and from past the end.
        Case(["2", "2147483647"], ends_ff, ends_ff[2:], stdin="direct", stdout="file", rest=b""),
        Case(["1", "1"], pqr, b"", stdin="direct", at=7, rest=b""),
        Case(["1", "2147483647"], sectors, sectors[751:], stdin="file", fault="align4k", at=751,
             rest=b""),
        Case(["1", "2"], sectors, pick(sectors, 2, 3)[0], stdin="direct", before=["1", "1"],
             rest=pick(sectors, 1, 3)[1]),
        # Failures only a write that takes nothing or a close reveals.
        Case(["1", "2"], pqr, b"", 1, WRITE_ERROR % "No space left on device", fault="zero",
             rest=pqr),
        Case(["1", "2"], pqr, b"P\fQ\f", 1, WRITE_ERROR % "Input/output error", fault="close",
             rest=b"R"),
        Case(["3", "2"], pqr, b"", 1, WRITE_ERROR % "Input/output error", fault="close",
             rest=b"R"),
        # Of two failures the first is reported: a write, then the seek and
        # the close; or the seek, then the close.
        Case(["2", "9"], pqr, b"", 1, WRITE_ERROR % "No space left on device", stdin="file",
             stdout="full", fault="lseek,close", rest=pqr),
        Case(["1", "1"], pqr, b"P\f", 1, READ_ERROR % "Input/output error", stdin="file",
             fault="lseek,close", rest=pqr),
        # Appending to the file being read copies its pages once; 1<> never
        # writes ahead of reading and stays as it was.
        Case(["1", "1000"], b"A\fB\f", b"A\fB\fA\fB\f", stdin="file", stdout="append"),
        Case(["2", "2147483647"], b"A\fB\fC", b"A\fB\fCB\fC", stdin="file", stdout="append"),
        Case(["1", "1"], b"A\fB\f", b"A\fB\fA\f", stdin="file", stdout="append"),
        Case(["2", "2"], pqr, b"Q\fQ\fR", stdin="file", stdout="rw"),
        # The count and the offset left behind need 64 bits on every system.
        Case(["2", "2"], huge, bytes(12) + FF, stdin="file", rest=2**31 + 11),
        Case(["4", "4"], huge, bytes(9) + FF, stdin="file", rest=2**32 + 21),
        # A long stream through a pipe, in constant memory.
        Case(["1", "2147483647"], stream(b"x" * MIB, 5 * 1024), 5 << 30, stdin="pipe", slow=True),
    ]
    # Form feeds on the last byte of a block, the first of the next, or both.
    for first, second in [(block - 1, block), (block, 2 * block - 1), (block - 2, block + 1)]:
        data = b"a" * first + FF + b"b" * (second - first - 1) + FF + b"c" * 7
        one, two = data[: first + 1], data[first + 1 : second + 1]
        rows += [
            Case(["1", "1"], data, one, stdin="file", rest=data[first + 1 :]),
            Case(["2", "2"], data, two, stdin="file", rest=b"c" * 7),
            Case(["2", "3"], data, data[first + 1 :], stdin="file"),
        ]
    return rows


def chunks_of(case):
    return case.input() if callable(case.input) else [case.input]


def ordinary(case):
    """Standard input and output are a plain file or pipe, with nothing injected."""
    return (case.stdin in ("both", "file", "pipe", "held") and case.stdout == "pipe"
            and not case.fault and not case.nonblock)


def runs_here(case, options):
    if case.slow and not options.slow:
        return False
    if case.only:
        return case.only in ("both", "windows" if options.wine else "posix")
    return ordinary(case) or not options.wine


def write_input(case, path):
    with open(path, "wb") as f:
        if isinstance(case.input, Sparse):
            f.truncate(case.input.size)
            for at, data in case.input.placed.items():
                f.seek(at)
                f.write(data)
            return
        for chunk in chunks_of(case):
            f.write(chunk)


# The loop devices an input can be put on, and how each is made.
LOOP_SECTORS = {"device": [], "direct8k": ["--sector-size", "8192"],
                "direct64k": ["--sector-size", "65536"]}
# The kinds of standard input that are a file, or a device over one.
FILE_KINDS = ("file", "direct", *LOOP_SECTORS)


class Skip(Exception):
    """A row this machine cannot run, and why."""


def open_input(case, kind, scratch, cleanup):
    """The input file, or a loop device over it, opened for a file-like
    kind; returns its descriptor and the path to read it again."""
    path = os.path.join(scratch, "input")
    write_input(case, path)
    if kind in LOOP_SECTORS:
        made = subprocess.run(["losetup", "--find", "--show", *LOOP_SECTORS[kind], path],
                              capture_output=True, text=True)
        if made.returncode != 0:
            raise Skip(f"no loop device: {made.stderr.strip()}")
        path = made.stdout.strip()
        cleanup.append(lambda: subprocess.run(["losetup", "--detach", path]))
    try:
        direct = os.O_DIRECT if kind.startswith("direct") else 0
        return os.open(path, os.O_RDONLY | direct), path
    except OSError as error:
        raise Skip(f"{path} cannot be opened that way: {error.strerror}")


def late_pipe(size):
    """A pipe that holds size bytes with no one reading it."""
    reader, writer = os.pipe()
    if fcntl.fcntl(writer, fcntl.F_GETPIPE_SZ) < size:
        try:
            fcntl.fcntl(writer, fcntl.F_SETPIPE_SZ, size)
        except OSError as error:
            raise Skip(f"a pipe cannot hold {size} bytes: {error.strerror}")
    return reader, writer


def change_input(how, path):
    """What happens to the input file once the program has gone."""
    if how == "truncated":
        os.truncate(path, 3)
    else:
        with open(path, "r+b") as f:
            f.write(b"ZZZZ")


def run(command, case, stdin_kind, scratch, env, cleanup):
    """Runs one case; returns (output or its length, status, message, rest,
    growth of peak memory in KiB when it reaches 1 MiB, else 0, and the
    processor time the program took, when a pause was too short to cover it,
    else 0)."""
    closing = []  # descriptors the child closes before it starts
    handed = []  # descriptors the child inherits and we no longer need
    stdin, input_path = subprocess.PIPE, None
    if stdin_kind in FILE_KINDS:
        stdin, input_path = open_input(case, stdin_kind, scratch, cleanup)
        os.lseek(stdin, case.at, os.SEEK_SET)
        if case.before:
            subprocess.run(command + case.before, stdin=stdin, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, env=env, timeout=WATCHDOG)
    elif stdin_kind == "dir":
        stdin = os.open(scratch, os.O_RDONLY)
        handed.append(stdin)
    elif stdin_kind == "closed":
        stdin, closing = subprocess.DEVNULL, [0]

    stdout, output_path, late = subprocess.PIPE, None, None
    if case.stdout in ("rewritten", "truncated"):
        late, stdout = late_pipe(len(case.output))
        handed.append(stdout)
    elif case.stdout == "full":
        stdout = os.open("/dev/full", os.O_WRONLY)
        handed.append(stdout)
    elif case.stdout == "closed":
        stdout, closing = None, closing + [1]
    elif case.stdout.startswith("gone"):
        reader, stdout = os.pipe()
        os.close(reader)
        handed.append(stdout)
    elif case.stdout in ("file", "limited"):
        output_path = os.path.join(scratch, "output")
        stdout = os.open(output_path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
        handed.append(stdout)
    elif case.stdout in ("append", "rw"):
        output_path = os.path.join(scratch, "input")
        flags = os.O_WRONLY | os.O_APPEND if case.stdout == "append" else os.O_RDWR
        stdout = os.open(output_path, flags)
        handed.append(stdout)

    def setup():
        if case.stdout == "gone-ignored":
            signal.signal(signal.SIGPIPE, signal.SIG_IGN)
        if case.stdout in ("limited", "append"):
            # Past the limit a write fails with EFBIG, once SIGXFSZ no longer
            # ends the program; a program that reads back its own output
            # fails there instead of filling the disk.
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (LIMIT, LIMIT))
        for fd in closing:
            os.close(fd)
        for fd in (0, 1) if case.nonblock else ():
            fcntl.fcntl(fd, fcntl.F_SETFL, fcntl.fcntl(fd, fcntl.F_GETFL) | os.O_NONBLOCK)

    env = dict(env, FAULT_SHIM=case.fault) if case.fault else env
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    proc = subprocess.Popen(command + case.args, stdin=stdin, stdout=stdout,
                            stderr=subprocess.PIPE, preexec_fn=setup, env=env)
    for fd in handed:
        os.close(fd)
    # Every wait ends by the deadline: a program that hangs, or a helper of
    # Wine's that inherited its pipes and keeps them open after it has gone,
    # fails the row instead of stalling the run.
    deadline = time.monotonic() + WATCHDOG

    def remaining():
        return max(0.0, deadline - time.monotonic())

    hung = ""
    # Non-blocking rows go slowly enough that the pipes run dry and fill up.
    pace, piece = (0.001, 65536) if case.nonblock else (0, MIB)
    pause_in, pause_out = {"stdin": (case.pause, 0), "stdout": (0, case.pause)}[case.paused]

    def feed():
        try:
            for chunk in chunks_of(case):
                for at in range(0, len(chunk), piece):
                    proc.stdin.write(memoryview(chunk)[at : at + piece])
                    proc.stdin.flush()
                    time.sleep(pause_in if at == 0 and pause_in else pace)
            if stdin_kind != "held":
                proc.stdin.close()
        except BrokenPipeError:
            pass

    feeder = threading.Thread(target=feed, daemon=True)
    if proc.stdin:
        feeder.start()
    message = []
    err_reader = threading.Thread(target=lambda: message.append(proc.stderr.read()), daemon=True)
    err_reader.start()

    # A read of at least the buffer's size leaves nothing buffered, so the
    # descriptor tells when more is there.
    output, length, memory = bytearray(), 0, []
    while proc.stdout:
        if not select.select([proc.stdout], [], [], remaining())[0]:
            hung = "still running" if proc.poll() is None else "its output held open by another"
            break
        if not (chunk := proc.stdout.read1(piece)):
            break
        length += len(chunk)
        if not isinstance(case.output, int):
            output += chunk
        if length % (256 * MIB) < len(chunk) and (peak := resident_peak(proc.pid)):
            memory.append(peak)
        time.sleep(pause_out if length == len(chunk) and pause_out else pace)
    try:
        status = proc.wait(remaining())
    except subprocess.TimeoutExpired:
        proc.kill()
        status, hung = proc.wait(), hung or "still running"
    err_reader.join(remaining())
    if err_reader.is_alive():
        hung = hung or "standard error still open"
    if proc.stdin:
        proc.stdin.close() if stdin_kind == "held" else feeder.join(remaining())
    if hung:
        return f"hung after {WATCHDOG} s: {hung}", status, "", None, 0, 0
    spent = resource.getrusage(resource.RUSAGE_CHILDREN)
    busy = spent.ru_utime + spent.ru_stime - used.ru_utime - used.ru_stime
    busy = round(busy, 2) if case.pause and busy >= case.pause / 4 else 0

    if late is not None:
        change_input(case.stdout, input_path)
        with os.fdopen(late, "rb") as f:
            output = f.read()
    rest = None
    if input_path:
        # Read again, from where the program left the offset: a file opened
        # for direct I/O reads only into aligned memory.
        at = os.lseek(stdin, 0, os.SEEK_CUR)
        os.close(stdin)
        with open(input_path, "rb") as f:
            f.seek(at)
            rest = at if isinstance(case.rest, int) else f.read()
    if output_path:
        with open(output_path, "rb") as f:
            output = f.read()
    got = length if isinstance(case.output, int) else bytes(output)
    growth = memory[-1] - memory[0] if memory else 0
    growth = growth if growth >= 1024 else 0
    return got, status, message[0].decode(errors="replace"), rest, growth, busy


FIELDS = ("output", "status", "message", "rest", "memory growth", "processor seconds")


def brief(value):
    """A value short enough to read in a failure report."""
    if isinstance(value, bytes) and len(value) > 60:
        return f"{len(value)} bytes {value[:24]!r}...{value[-24:]!r}"
    return repr(value)


def resident_peak(pid):
    """The process's own peak resident memory in KiB, 0 once it has gone."""
    try:
        with open(f"/proc/{pid}/status") as f:
            return next(int(l.split()[1]) for l in f if l.startswith("VmHWM:"))
    except (OSError, StopIteration):
        return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--block", type=int, required=True)
    parser.add_argument("--shim")
    parser.add_argument("--wine", action="store_true")
    parser.add_argument("--slow", action="store_true")
    parser.add_argument("--emulator", default="")
    parser.add_argument("--protected-stdout")
    options = parser.parse_args()
    if options.wine and not options.protected_stdout:
        parser.error("--wine needs --protected-stdout")
    command, env = shlex.split(options.emulator) + [options.program], dict(os.environ)
    prog, line_end = options.program, "\n"
    if options.wine:
        # The Windows program sees its own path the Windows way, and
        # writes its messages in text mode.
        command = ["wine", options.program]
        prog, line_end = "Z:" + os.path.abspath(options.program).replace("/", "\\"), "\r\n"
    if options.shim:
        # The sanitizer runtime wants to be loaded first; the shim must be.
        env.update(LD_PRELOAD=options.shim, ASAN_OPTIONS="verify_asan_link_order=0")

    rows = [c for c in cases(options.block) if runs_here(c, options)]
    if not options.shim:
        rows = [c for c in rows if not c.fault]
    else:
        plain = [c for c in rows if ordinary(c) and not c.slow and not isinstance(c.input, Sparse)]
        rows += [c._replace(fault=f) for f in ("short", "eintr") for c in plain]

    if options.wine:
        # The first start makes the prefix and leaves services running: wait
        # until they and their server are done. Then start one server for
        # every row, so that no row races a server starting or stopping, and
        # its services away from the cases' pipes: a helper that inherited
        # them would hold them open long after the program has gone.
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(command, **quiet)
        subprocess.run(["wineserver", "-w"], **quiet)
        subprocess.run(["wineserver", "-p"], **quiet)
        subprocess.run(command, **quiet)
    try:
        return run_all(rows, command, prog, line_end, env, options)
    finally:
        if options.wine:
            subprocess.run(["wineserver", "-k"])


def run_all(rows, command, prog, line_end, env, options):
    failures = passes = skips = 0
    with tempfile.TemporaryDirectory() as scratch:
        growth = os.path.join(scratch, "growth")
        with open(growth, "wb") as f:
            f.write(GROWTH)
        env = dict(env, FAULT_GROWTH=growth)
        if options.shim:
            # ld.so splits LD_PRELOAD at spaces: a checkout's path may hold one.
            shim = os.path.join(scratch, "fault_shim.so")
            os.symlink(os.path.abspath(options.shim), shim)
            env["LD_PRELOAD"] = shim
        for case in rows:
            for kind in ["file", "pipe"] if case.stdin == "both" else [case.stdin]:
                check_rest = (case.rest is not None
                              and kind in FILE_KINDS
                              and not options.wine)
                message = case.message.format(prog=prog).replace("\n", line_end)
                expected = (case.output, case.status, message,
                            case.rest if check_rest else None, 0, 0)
                cleanup = []
                # Only a Windows parent can hand over a handle that cannot be closed.
                launched = command
                if case.stdout == "protected":
                    launched = ["wine", options.protected_stdout, prog]
                try:
                    got = run(launched, case, kind, scratch, env, cleanup)
                except Skip as reason:
                    skips += 1
                    print(f"SKIP {case.args} stdin={kind} stdout={case.stdout}: {reason}")
                    continue
                finally:
                    for undo in cleanup:
                        undo()
                got = got[:3] + (got[3] if check_rest else None,) + got[4:]
                if got == expected:
                    passes += 1
                    continue
                failures += 1
                print(f"FAIL {case.args} stdin={kind} stdout={case.stdout} fault={case.fault}")
                for what, want, have in zip(FIELDS, expected, got):
                    if want != have:
                        print(f"  {what}: expected {brief(want)}, got {brief(have)}")
    print(f"{passes} passed, {failures} failed, {skips} skipped")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
