"""A mail server on loopback for the relay check: STARTTLS required, one
user and password, every accepted message written into a folder.

Usage: smtp_server.py PORT CERT KEY FOLDER USER PASSWORD   (runs until its input closes)
"""
import pathlib
import ssl
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

port, cert, key, folder, user, password = sys.argv[1:7]
received = pathlib.Path(folder)


class Keep:
    async def handle_DATA(self, server, session, envelope):
        number = len(list(received.iterdir()))
        head = f"FROM {envelope.mail_from}\nTO {' '.join(envelope.rcpt_tos)}\n\n".encode()
        (received / f"{number}.txt").write_bytes(head + envelope.original_content)
        return "250 OK"


def check(server, session, envelope, mechanism, auth_data):
    good = (isinstance(auth_data, LoginPassword) and auth_data.login == user.encode()
            and auth_data.password == password.encode())
    return AuthResult(success=good, handled=False)


context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
context.load_cert_chain(cert, key)
controller = Controller(Keep(), hostname="127.0.0.1", port=int(port), tls_context=context,
                        require_starttls=True, authenticator=check, auth_require_tls=True)
controller.start()
print("ready", flush=True)
sys.stdin.read()
controller.stop()
