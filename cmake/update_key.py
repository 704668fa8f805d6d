#!/usr/bin/env python3
"""Writes the update signing key as C++ constants.

  update_key.py KEY.pem OUT.h            the public key (X, Y) that the program and the
                                         helper verify update information files with
  update_key.py KEY.pem OUT.h --private  also the private value D (test builds only: the
                                         tests sign their own information files)

KEY.pem is an EC P-256 key in PEM form: a private key ("EC PRIVATE KEY", as openssl ecparam
writes it) or a public key ("PUBLIC KEY", as openssl ec -pubout writes it).
"""
import base64
import sys


def der_of(pem_text):
    lines = [l.strip() for l in pem_text.splitlines()]
    begin = next(i for i, l in enumerate(lines) if l.startswith("-----BEGIN"))
    end = next(i for i, l in enumerate(lines) if l.startswith("-----END"))
    kind = lines[begin][len("-----BEGIN "):-5]
    return kind, base64.b64decode("".join(lines[begin + 1:end]))


def main():
    path, out = sys.argv[1], sys.argv[2]
    private = "--private" in sys.argv[3:]
    kind, der = der_of(open(path).read())
    oid_p256 = bytes.fromhex("2a8648ce3d030107")
    d = None
    if kind == "EC PRIVATE KEY":
        # SEQUENCE { 1, OCTET STRING d(32), [0] OID, [1] BIT STRING 04 X Y }
        if len(der) != 121 or der[5:7] != b"\x04\x20" or oid_p256 not in der:
            sys.exit("%s: not a P-256 private key" % path)
        d, point = der[7:39], der[56:121]
    elif kind == "PUBLIC KEY":
        if len(der) != 91 or oid_p256 not in der:
            sys.exit("%s: not a P-256 public key" % path)
        point = der[26:91]
    else:
        sys.exit("%s: neither an EC private key nor a public key" % path)
    if point[0] != 4:
        sys.exit("%s: the public point is not uncompressed" % path)
    if private and d is None:
        sys.exit("%s: --private needs a private key" % path)

    def array(name, data):
        return "inline constexpr unsigned char %s[32] = {%s};\n" % (
            name, ", ".join("0x%02x" % b for b in data))

    text = "// Written by cmake/update_key.py from %s.\n#pragma once\n\n" % path.split("/")[-1]
    text += "namespace quorvel::update {\n\n"
    text += array("kUpdateKeyX", point[1:33]) + array("kUpdateKeyY", point[33:65])
    if private:
        text += array("kUpdateKeyD", d)
    text += "\n}  // namespace quorvel::update\n"
    old = None
    try:
        old = open(out).read()
    except OSError:
        pass
    if old != text:
        open(out, "w").write(text)


main()
