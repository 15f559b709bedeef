"""Reads the description texts of the DirectX error-lookup table in mingw-w64's runtime
sources (mingw-w64-crt/libsrc/dxerr.c).

The file lists rows as DXERROR(value, "NAME", "text"), with DXERROR8 / DXERROR9 rows that
only the DirectX 8 or 9 build of the table holds. Its names went through a blanket rename of
ERROR to DXERROR (DXERROR_FILE_NOT_FOUND, VFW_E_RUNTIME_DXERROR), which is undone here.
"""

import re

_ROW = re.compile(r'^\s*DXERROR(8|9)?(?:LAST)?\(\s*(0x[0-9A-Fa-f]+|\d+)\s*,\s*"((?:[^"\\]|\\.)*)"\s*,'
                  r'\s*"((?:[^"\\]|\\.)*)"\s*\)', re.M)


def _restore_name(name):
    return name.replace("DXERROR", "ERROR")


class DxerrRow:
    def __init__(self, value, names, text):
        self.value = value
        self.names = names  # the row's names, split at " & "
        self.text = text


def read_rows(path):
    """The rows of the DirectX 9 table first, then the DirectX 8 rows that the 9 table does
    not have under the same value and names."""
    with open(path, encoding="latin-1") as f:
        source = f.read()
    nine, eight = [], []
    for version, value, name, text in _ROW.findall(source):
        row = DxerrRow(int(value, 0) & 0xFFFFFFFF,
                       [_restore_name(n) for n in name.split(" & ")], text.replace('\\"', '"'))
        if version in ("", "9"):
            nine.append(row)
        if version in ("", "8"):
            eight.append(row)
    seen = {(r.value, tuple(r.names)) for r in nine}
    return nine + [r for r in eight if (r.value, tuple(r.names)) not in seen]
