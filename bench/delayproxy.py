#!/usr/bin/env python3
"""Forwards TCP connections to a database server and delays every piece of data by a fixed
time in each direction, as a slow network between a workstation and its server would.

    delayproxy.py <delay ms each way> <target>

target is a Unix socket's path or host:port. The proxy listens on a free port of 127.0.0.1,
prints that port on one line once it listens, and runs until it is ended. Each piece of data
a client sends after the server has answered (a new request: one round trip) is printed as a
line "r", so that a caller can count the round trips of a step.
"""

import asyncio
import sys
import time


async def pump(reader, writer, delay, on_data):
    # Each piece leaves delay seconds after it came in, in the order it came; a piece's wait
    # does not hold up the reading of the next, so the delay is not added per piece.
    queue = asyncio.Queue()

    async def send():
        while True:
            due, data = await queue.get()
            if data is None:
                break
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
        writer.close()

    sender = asyncio.create_task(send())
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            on_data()
            queue.put_nowait((time.monotonic() + delay, data))
    except ConnectionError:
        pass
    queue.put_nowait((0, None))
    try:
        await sender
    except ConnectionError:
        pass


async def main():
    delay = float(sys.argv[1]) / 1000.0
    target = sys.argv[2]

    async def handle(client_reader, client_writer):
        try:
            if target.startswith("/"):
                server_reader, server_writer = await asyncio.open_unix_connection(target)
            else:
                host, port = target.rsplit(":", 1)
                server_reader, server_writer = await asyncio.open_connection(host, int(port))
        except OSError:
            client_writer.close()
            return
        answered = [True]

        def request():
            if answered[0]:
                answered[0] = False
                print("r", flush=True)

        def answer():
            answered[0] = True

        await asyncio.gather(pump(client_reader, server_writer, delay, request),
                             pump(server_reader, client_writer, delay, answer))

    server = await asyncio.start_server(handle, "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
