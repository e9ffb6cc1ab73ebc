#!/usr/bin/python3
"""An SMTP sink on 127.0.0.1 for the mail tests and the demo site.

  /usr/bin/python3 smtp_sink.py --spool DIR [--port N] [--auth]
      [--account LOGIN:PASSWORD ...] [--refuse ADDRESS ...] [--exit-on-eof]

Stores every message it accepts, before it answers, as DIR/NNNN.json: the
decoded headers by name, envelope, login and decoded body. Listens on a plain
port and, with --auth, on one that requires AUTH (login names in any case);
prints "ports PLAIN AUTH DEAD TLS" when ready (DEAD: a port nothing listens
on; TLS: STARTTLS required, then AUTH, with SPOOL/cert.pem self-signed).
With --exit-on-eof it stops when its standard input closes.
"""
import argparse
import asyncio
import email
import email.policy
import itertools
import json
import os
import socket
import ssl
import subprocess

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Handler:
    def __init__(self, spool, refused, accounts):
        self.spool, self.refused, self.accounts = spool, refused, accounts
        self.count = itertools.count(1)

    def authenticate(self, server, session, envelope, mechanism, auth_data):
        if isinstance(auth_data, LoginPassword):
            login, password = auth_data.login.decode(), auth_data.password.decode()
            if self.accounts.get(login.lower()) == password:
                session.sink_login = [login, password]
                return AuthResult(success=True)
        return AuthResult(success=False, handled=False)

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refused:
            return "550 5.1.1 No such mailbox here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        message = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
        sender = message["From"].addresses[0]
        login, password = getattr(session, "sink_login", [None, None])
        record = {"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
                  "login": login, "password": password, "tls": session.ssl is not None}
        record.update((name, str(value)) for name, value in message.items())  # "To", ...
        record.update(from_name=sender.display_name, from_address=sender.addr_spec,
                      charset=message.get_content_charset(), body=message.get_content())
        path = os.path.join(self.spool, "%04d.json" % next(self.count))
        with open(path, "w", encoding="utf-8") as out:
            json.dump(record, out, ensure_ascii=False)
        return "250 Message accepted"


def tls_context(folder):
    """A self-signed certificate for 127.0.0.1, made for this run."""
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                    "subjectAltName=IP:127.0.0.1"], check=True, capture_output=True)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--spool", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--auth", action="store_true")
    parser.add_argument("--exit-on-eof", action="store_true")
    parser.add_argument("--account", action="append", default=[])
    parser.add_argument("--refuse", action="append", default=[])
    args = parser.parse_args()

    os.makedirs(args.spool, exist_ok=True)
    handler = Handler(args.spool, {address.lower() for address in args.refuse},
                      {login.lower(): password for login, password in
                       (account.split(":", 1) for account in args.account)})
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)

    def listen(port, **options):
        server = loop.run_until_complete(loop.create_server(
            lambda: SMTP(handler, hostname="sink.test", authenticator=handler.authenticate,
                         **options), host="127.0.0.1", port=port))
        return server.sockets[0].getsockname()[1]

    ports = [listen(args.port),
             args.auth and listen(0, auth_required=True, auth_require_tls=False)]
    with socket.socket() as unused:
        unused.bind(("127.0.0.1", 0))
        ports.append(unused.getsockname()[1])
    # STARTTLS required, then AUTH; the certificate is in SPOOL/cert.pem.
    ports.append(listen(0, tls_context=tls_context(args.spool), require_starttls=True,
                        auth_required=True))

    if args.exit_on_eof:
        loop.add_reader(0, lambda: os.read(0, 4096) or loop.stop())
    print("ports %d %d %d %d" % tuple(ports), flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
