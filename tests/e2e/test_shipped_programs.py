"""zep.exe and setup.exe as they ship (the build under test and, where it was made, its package):
address-space randomisation and no-execute data in their PE headers, a manifest that asks for no
elevation (a program named setup.exe without one is elevated by the system's installer detection),
and, where the build was
signed, their Authenticode signatures. ZEP_SIGN_CA names the CA of the signing certificate
(scripts/test.sh signs with a throwaway one); without it the signatures are not checked."""

import os
import re
import struct
import subprocess
import zipfile

import pytest

from zeptest import paths

DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA = 0x0040, 0x0100, 0x0020
PE32_PLUS = 0x20B
SECURITY, BASE_RELOCATION = 4, 5  # data directory entries


def programs(tmp_path):
    """(name, path) of both programs of the build under test and of its package."""
    found = [("zep.exe", paths.require_exe(paths.zep_exe(), "zep")),
             ("setup.exe", paths.require_exe(paths.setup_exe(), "setup"))]
    for package in sorted(paths.build_dir().glob("zep-*.zip")):
        with zipfile.ZipFile(package) as z:
            for member in z.namelist():
                if member.endswith(".exe"):
                    found.append((f"{package.name}:{member}", z.extract(member, tmp_path / package.stem)))
    return found


def pe_header(path):
    """The optional header's magic, DllCharacteristics and data directories (rva, size)."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", f"{path}: no PE file"
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    characteristics = struct.unpack_from("<H", data, optional + 70)[0]
    first = optional + (112 if magic == PE32_PLUS else 96)
    count = struct.unpack_from("<I", data, first - 4)[0]
    directories = [struct.unpack_from("<II", data, first + 8 * i) for i in range(count)]
    return magic, characteristics, directories


def test_address_space_randomisation_and_no_execute_data(tmp_path):
    for name, path in programs(tmp_path):
        magic, characteristics, directories = pe_header(path)
        wanted = DYNAMIC_BASE | NX_COMPAT | (HIGH_ENTROPY_VA if magic == PE32_PLUS else 0)
        assert characteristics & wanted == wanted, f"{name}: DllCharacteristics {characteristics:#06x}"
        assert directories[BASE_RELOCATION][1] > 0, f"{name}: no relocations, so it cannot be moved"


def test_both_programs_run_with_the_rights_of_whoever_starts_them(tmp_path):
    for name, path in programs(tmp_path):
        data = open(path, "rb").read()
        levels = re.findall(rb'requestedExecutionLevel\s+level="([A-Za-z]+)"', data)
        assert levels == [b"asInvoker"], f"{name}: execution levels {levels}"


@pytest.mark.skipif(not os.environ.get("ZEP_SIGN_CA"), reason="the build was not signed (no ZEP_SIGN_CA)")
def test_authenticode_signatures(tmp_path):
    for name, path in programs(tmp_path):
        assert pe_header(path)[2][SECURITY][1] > 0, f"{name}: not signed"
        r = subprocess.run(["osslsigncode", "verify", "-CAfile", os.environ["ZEP_SIGN_CA"], "-in", str(path)],
                           capture_output=True, text=True, timeout=60)
        assert r.returncode == 0, f"{name}: {r.stdout}{r.stderr}"
