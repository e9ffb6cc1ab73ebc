"""A database server that stops answering, on a free loopback port that it
writes to the file named by its first argument once it listens.

    silent_server.py PORT_FILE            accepts and never sends a byte
    silent_server.py PORT_FILE --tds      logs a SQL Server client in (just
                                          enough of the protocol for FreeTDS)
                                          and then answers nothing
"""
import os
import socket
import struct
import sys
import threading


def receive(connection, size):
    data = b""
    while len(data) < size:
        piece = connection.recv(size - len(data))
        if not piece:
            raise EOFError
        data += piece
    return data


def read_message(connection):
    """A whole message: packets up to the one marked last."""
    body = b""
    while True:
        header = receive(connection, 8)
        kind, status, length = header[0], header[1], struct.unpack(">H", header[2:4])[0]
        body += receive(connection, length - 8)
        if status & 1:
            return kind, body


def reply(connection, payload):
    connection.sendall(struct.pack(">BBHHBB", 4, 1, len(payload) + 8, 0, 1, 0) + payload)


def prelogin_answer():
    # Options: the version (6 bytes at 11), no encryption (1 byte at 17).
    options = (b"\x00" + struct.pack(">HH", 11, 6) + b"\x01" + struct.pack(">HH", 17, 1) +
               b"\xff")
    return options + bytes([14, 0, 0, 0, 0, 0]) + b"\x02"


def login_answer():
    name = "silent".encode("utf-16-le")
    ack = b"\x01" + bytes([0x74, 0, 0, 4]) + bytes([len("silent")]) + name + bytes([14, 0, 0, 0])
    done = b"\xfd" + struct.pack("<HHQ", 0, 0, 0)
    return b"\xad" + struct.pack("<H", len(ack)) + ack + done


def speak_tds(connection):
    try:
        while True:
            kind, _ = read_message(connection)
            if kind == 0x12:
                reply(connection, prelogin_answer())
            elif kind == 0x10:
                reply(connection, login_answer())
            # Anything else (a batch, a cursor call, a cancel) goes unanswered.
    except (EOFError, OSError):
        pass


server = socket.socket()
server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", 0))
server.listen(128)
with open(sys.argv[1] + ".tmp", "w") as out:
    out.write(str(server.getsockname()[1]))
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
tds = "--tds" in sys.argv[2:]
held = []
while True:
    connection, _ = server.accept()
    held.append(connection)
    if tds:
        threading.Thread(target=speak_tds, args=(connection,), daemon=True).start()
