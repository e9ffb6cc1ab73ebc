"""A server that accepts connections and never answers, on a free loopback
port that it writes to the file named by its argument once it listens."""
import socket
import sys

server = socket.socket()
server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", 0))
server.listen(128)
with open(sys.argv[1] + ".tmp", "w") as out:
    out.write(str(server.getsockname()[1]))
import os
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
held = []
while True:
    connection, _ = server.accept()
    held.append(connection)
