"""Certificates for the TLS tests, made on the fly: a certificate authority of the test's own and
server certificates it signs.

    ca = Authority(tmp)
    ca.der_path                      # the authority's certificate (DER), for the PC's trusted roots
    pem = ca.server("ftp.zep.test")  # chain and key of a server certificate for that name (PEM file)
"""

import datetime
from pathlib import Path

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID


def _name(common_name):
    return x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, common_name)])


class Authority:
    """A root certificate authority valid from yesterday for a week."""

    def __init__(self, folder, name="zeptest root"):
        self.folder = Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self._key = rsa.generate_private_key(public_exponent=65537, key_size=2048)
        now = datetime.datetime.now(datetime.timezone.utc)
        self._valid = (now - datetime.timedelta(days=1), now + datetime.timedelta(days=7))
        self.certificate = (
            x509.CertificateBuilder()
            .subject_name(_name(name))
            .issuer_name(_name(name))
            .public_key(self._key.public_key())
            .serial_number(x509.random_serial_number())
            .not_valid_before(self._valid[0])
            .not_valid_after(self._valid[1])
            .add_extension(x509.BasicConstraints(ca=True, path_length=0), critical=True)
            .add_extension(x509.KeyUsage(False, False, False, False, False, True, True, False, False), critical=True)
            .sign(self._key, hashes.SHA256())
        )
        self.der_path = self.folder / "root.der"
        self.der_path.write_bytes(self.certificate.public_bytes(serialization.Encoding.DER))

    def server(self, host_name):
        """A PEM file with a server certificate for `host_name`, this authority's certificate and the
        server's key."""
        key = rsa.generate_private_key(public_exponent=65537, key_size=2048)
        cert = (
            x509.CertificateBuilder()
            .subject_name(_name(host_name))
            .issuer_name(self.certificate.subject)
            .public_key(key.public_key())
            .serial_number(x509.random_serial_number())
            .not_valid_before(self._valid[0])
            .not_valid_after(self._valid[1])
            .add_extension(x509.SubjectAlternativeName([x509.DNSName(host_name)]), critical=False)
            .add_extension(x509.ExtendedKeyUsage([ExtendedKeyUsageOID.SERVER_AUTH]), critical=False)
            .add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
            .sign(self._key, hashes.SHA256())
        )
        path = self.folder / f"{host_name}.pem"
        path.write_bytes(
            cert.public_bytes(serialization.Encoding.PEM)
            + self.certificate.public_bytes(serialization.Encoding.PEM)
            + key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                serialization.NoEncryption())
        )
        return path
