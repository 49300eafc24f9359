#!/usr/bin/env python3
"""Runs a command beside two local TLS servers on 127.0.0.1.

Each server has a certificate of its own test authority, made afresh with
openssl, for 127.0.0.1 and localhost. The Wine prefix in VEMORA_WINEPREFIX
trusts the first authority for the run (its current user's Root store, in the
registry, where Wine keeps it) and never the second; the trust is removed
again at the end. The command sees the ports in VEMORA_TLS_TRUSTED_PORT and
VEMORA_TLS_STRANGER_PORT. Both servers answer every GET with 200 and a small
JSON body naming the path.

    tlsservers.py <command> [arguments...]

Two facts of Wine's crypt32 (8.0) shape this. Its local machine Root store in
the registry is rewritten from the Unix side's certificates whenever a process
first builds a chain, so an authority added there is gone by the next run; the
current user's Root store is left alone and is part of what a chain is checked
against. And it matches a host that is an IP address only against the DNS
names of a certificate, so the certificates name 127.0.0.1 as a DNS name too.
"""
import hashlib
import http.server
import json
import os
import ssl
import subprocess
import sys
import tempfile
import threading

ROOT_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\SystemCertificates\Root\Certificates"


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_authority(folder, name):
    """An authority and a server certificate it signed; returns (ca.der, server.pem, server.key)."""
    ca_key, ca_pem, ca_der = (os.path.join(folder, f"{name}-ca{ext}") for ext in (".key", ".pem", ".der"))
    key, csr, pem = (os.path.join(folder, f"{name}{ext}") for ext in (".key", ".csr", ".pem"))
    ext = os.path.join(folder, f"{name}.ext")
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca_key, "-out", ca_pem, "-days", "2",
            "-subj", f"/CN=Vemora test authority {name}", "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl("x509", "-in", ca_pem, "-outform", "DER", "-out", ca_der)
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", csr, "-subj", "/CN=127.0.0.1")
    with open(ext, "w") as f:
        f.write("basicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\nsubjectAltName=IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost\n")
    openssl("x509", "-req", "-in", csr, "-CA", ca_pem, "-CAkey", ca_key, "-CAcreateserial", "-out", pem,
            "-days", "2", "-extfile", ext)
    return ca_der, pem, key


def registry_blob(der):
    """A certificate as Windows serializes it into a registry store: one
    property element (CERT_CERT_PROP_ID 32, X.509 encoding 1, length, bytes)."""
    return (32).to_bytes(4, "little") + (1).to_bytes(4, "little") + len(der).to_bytes(4, "little") + der


def wine_reg(*args):
    env = dict(os.environ, WINEPREFIX=os.environ["VEMORA_WINEPREFIX"], WINEDEBUG="-all")
    subprocess.run(["wine", "reg", *args], check=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = json.dumps({"path": self.path}).encode()
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def serve(pem, key):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(pem, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    with tempfile.TemporaryDirectory() as folder:
        trusted_ca, trusted_pem, trusted_key = make_authority(folder, "trusted")
        _, stranger_pem, stranger_key = make_authority(folder, "stranger")
        der = open(trusted_ca, "rb").read()
        thumbprint = hashlib.sha1(der).hexdigest().upper()
        wine_reg("add", ROOT_KEY + "\\" + thumbprint, "/v", "Blob", "/t", "REG_BINARY",
                 "/d", registry_blob(der).hex(), "/f")
        trusted, stranger = serve(trusted_pem, trusted_key), serve(stranger_pem, stranger_key)
        env = dict(os.environ, VEMORA_TLS_TRUSTED_PORT=str(trusted.server_address[1]),
                   VEMORA_TLS_STRANGER_PORT=str(stranger.server_address[1]))
        try:
            return subprocess.run(sys.argv[1:], env=env).returncode
        finally:
            trusted.shutdown()
            stranger.shutdown()
            wine_reg("delete", ROOT_KEY + "\\" + thumbprint, "/f")


if __name__ == "__main__":
    sys.exit(main())
