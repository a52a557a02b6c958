#!/usr/bin/python3
"""A loopback SMTP server for tests: every mail it accepts is written to the
output folder as NNN.eml with its envelope in NNN.json. It can refuse one
recipient, drop the connection at one recipient, and ask for a login.
The bound port is written to --port-file once it listens."""
import argparse
import asyncio
import json
import os
import signal
import warnings

# Login without TLS is what the loopback tests want.
warnings.simplefilter("ignore")

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Sink:
    def __init__(self, out, reject, drop):
        self.out, self.reject, self.drop, self.count = out, set(reject), set(drop), 0
        self.logins = {}

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.drop:
            server.transport.close()
            return "421 closing"
        if address in self.reject:
            return "550 5.1.1 <%s>: Recipient address rejected: no such user" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.out, "%03d" % self.count)
        login = self.logins.get(id(session))
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content or envelope.content)
        with open(base + ".json", "w") as f:
            json.dump({"from": envelope.mail_from, "to": envelope.rcpt_tos,
                       "login": login}, f)
        return "250 Message accepted"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--reject", action="append", default=[])
    parser.add_argument("--drop", action="append", default=[])
    parser.add_argument("--auth", help="USER:PASSWORD that must log in")
    args = parser.parse_args()
    kwargs = {}
    sink = Sink(args.out, args.reject, args.drop)
    if args.auth:
        user, password = args.auth.split(":", 1)

        def check(server, session, envelope, mechanism, auth_data):
            ok = isinstance(auth_data, LoginPassword) and auth_data.login.decode() == user \
                and auth_data.password.decode() == password
            if ok:
                sink.logins[id(session)] = user
            return AuthResult(success=ok, handled=False)

        kwargs = dict(authenticator=check, auth_required=True, auth_require_tls=False)
    asyncio.run(serve(sink, kwargs, args.port_file))


async def serve(handler, kwargs, port_file):
    loop = asyncio.get_running_loop()
    # Port 0: the system picks a free port, which the test learns from the file.
    server = await loop.create_server(lambda: SMTP(handler, hostname="127.0.0.1", **kwargs), "127.0.0.1", 0)
    port = server.sockets[0].getsockname()[1]
    with open(port_file + ".tmp", "w") as f:
        f.write(str(port))
    os.rename(port_file + ".tmp", port_file)
    stop = asyncio.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    await stop.wait()
    server.close()

if __name__ == "__main__":
    main()
