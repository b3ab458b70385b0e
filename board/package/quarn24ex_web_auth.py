"""websockify's check of the browser view's password (HTTP basic authentication; the user
name is not checked). It takes the name of the environment variable that holds the
password, not the password: a command line is open to every local user."""

import base64
import binascii
import hmac
import os

from websockify.auth_plugins import AuthenticationError


class Password:
    def __init__(self, src=None):
        self._password = os.environ[src].encode()

    def authenticate(self, headers, target_host, target_port):
        given = b""
        scheme, _, credentials = headers.get("Authorization", "").partition(" ")
        if scheme == "Basic":
            try:
                given = base64.b64decode(credentials, validate=True).partition(b":")[2]
            except (binascii.Error, ValueError):
                pass
        if not hmac.compare_digest(given, self._password):
            raise AuthenticationError(
                response_code=401,
                response_headers={"WWW-Authenticate": 'Basic realm="Quarn 2.4", charset="UTF-8"'})
