#!/usr/bin/python3
"""An SMTP sink on 127.0.0.1 for the mail tests and the demo site.

Every message it accepts is stored as SPOOL/NNNN.json: the envelope, the
listener it came through, the login it authenticated with, whether the
session ran under TLS, the header names in order, the decoded header values
and the decoded body. It listens on one to three ports:

  plain  no AUTH, no STARTTLS                  (always; --port, default free)
  auth   AUTH required (plain text allowed)    (--auth)
  tls    STARTTLS required, then AUTH          (--tls: a self-signed
                                                certificate for 127.0.0.1
                                                is made with openssl in
                                                SPOOL/cert.pem)

and prints "ports PLAIN AUTH TLS" (0 for a listener not opened) once it is
ready. It stops on SIGTERM or SIGINT, and with --exit-on-eof also when its
standard input closes, so that it never outlives the test that started it.

  /usr/bin/python3 smtp_sink.py --spool DIR [--port N] [--auth] [--tls]
      [--account LOGIN:PASSWORD ...] [--refuse ADDRESS ...] [--exit-on-eof]
"""
import argparse
import asyncio
import email
import email.policy
import json
import os
import signal
import ssl
import subprocess
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

HEADERS = ("From", "To", "Subject", "Date", "Message-ID", "Disposition-Notification-To",
           "MIME-Version", "Content-Type", "Content-Transfer-Encoding")


class Spool:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    def store(self, record):
        self.count += 1
        path = os.path.join(self.folder, "%04d.json" % self.count)
        with open(path + ".tmp", "w", encoding="utf-8") as out:
            json.dump(record, out, ensure_ascii=False, indent=1)
        os.rename(path + ".tmp", path)


class Handler:
    def __init__(self, listener, spool, refused):
        self.listener = listener
        self.spool = spool
        self.refused = refused

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refused:
            return "550 5.1.1 No such mailbox here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        raw = envelope.original_content or envelope.content
        message = email.message_from_bytes(raw, policy=email.policy.default)
        record = {
            "listener": self.listener,
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "login": getattr(session, "zorvadel_login", None),
            "password": getattr(session, "zorvadel_password", None),
            "tls": session.ssl is not None,
            "header_names": list(message.keys()),
            "headers": {name: str(message[name]) for name in HEADERS if name in message},
            "raw": raw.decode("ascii", "replace"),
        }
        sender = message["From"]
        if sender is not None and sender.addresses:
            record["from_name"] = sender.addresses[0].display_name
            record["from_address"] = sender.addresses[0].addr_spec
        record["charset"] = message.get_content_charset()
        try:
            record["body"] = message.get_content()
        except (LookupError, UnicodeDecodeError) as error:
            record["body_error"] = str(error)
        self.spool.store(record)
        return "250 Message accepted"


def make_authenticator(accounts):
    def authenticate(server, session, envelope, mechanism, auth_data):
        if isinstance(auth_data, LoginPassword):
            login = auth_data.login.decode("utf-8", "replace")
            password = auth_data.password.decode("utf-8", "replace")
            if accounts.get(login) == password:
                session.zorvadel_login = login
                session.zorvadel_password = password
                return AuthResult(success=True)
        return AuthResult(success=False, handled=False)
    return authenticate


def make_certificate(folder):
    cert = os.path.join(folder, "cert.pem")
    key = os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--spool", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--auth", action="store_true")
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--account", action="append", default=[])
    parser.add_argument("--refuse", action="append", default=[])
    parser.add_argument("--exit-on-eof", action="store_true")
    args = parser.parse_args()

    os.makedirs(args.spool, exist_ok=True)
    spool = Spool(args.spool)
    refused = {address.lower() for address in args.refuse}
    accounts = dict(account.split(":", 1) for account in args.account)
    authenticator = make_authenticator(accounts)

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)

    def listen(name, port, **options):
        handler = Handler(name, spool, refused)

        def factory():
            return SMTP(handler, hostname="sink.test", authenticator=authenticator, **options)
        server = loop.run_until_complete(loop.create_server(factory, host="127.0.0.1", port=port))
        return server.sockets[0].getsockname()[1]

    ports = [listen("plain", args.port), 0, 0]
    if args.auth:
        ports[1] = listen("auth", 0, auth_required=True, auth_require_tls=False)
    if args.tls:
        ports[2] = listen("tls", 0, tls_context=make_certificate(args.spool),
                          require_starttls=True, auth_required=True)

    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, loop.stop)
    if args.exit_on_eof:
        def on_input():
            if not os.read(sys.stdin.fileno(), 4096):
                loop.stop()
        loop.add_reader(sys.stdin.fileno(), on_input)

    print("ports %d %d %d" % tuple(ports), flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
