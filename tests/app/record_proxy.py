"""A stand-in proxy for the program's end-to-end test: records the head of
every request it receives and answers each with an empty 200."""
import socket
import sys

port_file, record_file, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
server = socket.socket()
server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", 0))
server.listen(8)
server.settimeout(60)
with open(port_file, "w") as f:
    f.write(str(server.getsockname()[1]))
with open(record_file, "wb") as out:
    for _ in range(count):
        conn, _ = server.accept()
        conn.settimeout(5)
        data = b""
        while b"\r\n\r\n" not in data:
            chunk = conn.recv(4096)
            if not chunk:
                break
            data += chunk
        out.write(data)
        out.flush()
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
        conn.close()
