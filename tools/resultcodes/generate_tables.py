#!/usr/bin/env python3
"""Generates the result-code name and description tables of src/core.

Names come from the Windows SDK and DirectX headers that mingw-w64 ships (plus the XACT
header that Wine ships, which mingw-w64 lacks); descriptions from the DirectX error-lookup
table of mingw-w64's runtime sources, completed by descriptions.tsv. See README.md.
"""

import argparse
import os
import re
import sys
from collections import Counter, OrderedDict

import cmacros
import dxerr
import families
import output

_CODE_NAME = re.compile(r"^[A-Z][A-Z0-9_]*$")
# Macros in the code headers that are not result codes.
_NOT_CODE_PREFIXES = ("FACILITY_", "SEVERITY_")
# Range markers (CLASSFACTORY_E_FIRST, DIERR_DRIVERLAST) name no result of their own.
_NOT_CODE_SUFFIXES = ("FIRST", "LAST")

# The DirectX SDK's lookup lists these Win32 errors only as plain numbers, and so do we.
_NO_HRESULT_FORM = {200, 201}
# 0x80040402 keeps DirectInput's name alone; its description still joins both texts.
_NAME_NOT_JOINED = {0x80040402}
_WIN32_FACILITY = 0x80070000


def _win32_hresult(number):
    return _WIN32_FACILITY | number


class Candidate:
    """One name for one key, with the rank that decides between names of the same key."""

    def __init__(self, name, family, rank):
        self.name = name
        self.family = family
        self.rank = rank


def _find_header(include_dirs, header):
    for directory in include_dirs:
        path = os.path.join(directory, header)
        if os.path.exists(path):
            return path
    return None


def _read_macros(include_dirs):
    table = cmacros.MacroTable()
    # Taken from headers outside the set (_mingw_mac.h) or, for HRESULT_FROM_WIN32, the
    # positive-argument branch of its definition: every use in these headers passes one.
    table.define("__MSABI_LONG", ["x"], "x")
    table.define("HRESULT_FROM_WIN32", ["x"], "(((x) & 0xFFFF) | 0x80070000)")
    missing = []
    read = set()
    for family in families.FAMILIES:
        for header in family.headers:
            if header in read:
                continue
            read.add(header)
            path = _find_header(include_dirs, header)
            if path is None:
                missing.append(header)
                continue
            prefixes = [p for f in families.FAMILIES if header in f.headers
                        for p in f.enum_prefixes]
            table.read_header(path, header, prefixes)
    return table, missing


def _is_code_name(table, name):
    definition = table.definitions[name]
    return (_CODE_NAME.match(name) and definition.params is None
            and not name.startswith(_NOT_CODE_PREFIXES)
            and not name.endswith(_NOT_CODE_SUFFIXES)
            # A name defined as a Win32 error's HRESULT form is that error, which carries
            # the Win32 name; another name for a name adds nothing.
            and "HRESULT_FROM_WIN32" not in definition.body
            and "FACILITY_WIN32" not in definition.body
            and not table.is_alias(name))


def _is_plain_win32(definition, value):
    return (definition.header == "winerror.h" and value <= 0xFFFF
            and "HRESULT" not in definition.body)


def _collect_candidates(table):
    """Every key with its candidate names, best first."""
    candidates = {}

    def add(key, name, family, rank):
        candidates.setdefault(key, []).append(Candidate(name, family, rank))

    for family_index, family in enumerate(families.FAMILIES):
        for name, definition in table.definitions.items():
            if definition.header not in family.headers or not family.has_code(name):
                continue
            if not _is_code_name(table, name):
                continue
            value = table.value(name)
            if value is None:
                continue
            order = (family_index, definition.order)
            if _is_plain_win32(definition, value):
                # Plain Win32 numbers rank after the HRESULT-style names of the same value
                # (1 is S_FALSE, not ERROR_INVALID_FUNCTION), and their HRESULT forms after
                # every name defined for that HRESULT (0x80070005 is E_ACCESSDENIED).
                add(value, name, family.name, (1,) + order)
                # HRESULT_FROM_WIN32(0) is 0 itself.
                if value != 0 and value not in _NO_HRESULT_FORM:
                    add(_win32_hresult(value), name, family.name, (1,) + order)
            else:
                add(value, name, family.name, (0,) + order)
    for entries in candidates.values():
        entries.sort(key=lambda c: c.rank)
    return candidates


def _choose_names(candidates, rows):
    """key -> list of names: one name, or one per joined family in the joining order.

    Where several families define a value, the name that mingw-w64's lookup table gives
    the value wins (0x8876017C is D3DERR_OUTOFVIDEOMEMORY, 0x8876021C
    DDERR_WASSTILLDRAWING, 0x80040201 DirectInput's rather than COM+ events'); otherwise
    the best-ranked candidate does."""
    reference = {}
    for row in rows:
        reference.setdefault(row.value, row.names[0])
    chosen = {}
    for key, entries in candidates.items():
        winner = next((c for c in entries if c.name == reference.get(key)), entries[0])
        joined = []
        for family_name in families.JOINED_FAMILIES:
            first = next((c for c in entries if c.family == family_name), None)
            if first:
                joined.append(first.name)
        if len(joined) > 1 and winner.family in families.JOINED_FAMILIES:
            chosen[key] = joined
        else:
            chosen[key] = [winner.name]
    return chosen


def _display_name(key, names):
    return names[0] if key in _NAME_NOT_JOINED else " & ".join(names)


def _read_extra_descriptions(path):
    texts = OrderedDict()
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            name, _, text = line.partition("\t")
            texts[name] = text
    return texts


def _choose_descriptions(chosen, rows, extra):
    """key -> description. A source row describes a key when it names the key exactly as
    the table does (all joined names, in order); descriptions.tsv, keyed by the table's
    name, fills the rest and takes precedence."""
    by_names = {}
    for row in rows:
        by_names.setdefault((row.value, tuple(row.names)), row.text)
    descriptions = {}
    for key, names in chosen.items():
        display = _display_name(key, names)
        if display in extra:
            descriptions[key] = extra[display]
            continue
        text = by_names.get((key, tuple(names)))
        if text is None and key & 0xFFFF0000 == _WIN32_FACILITY:
            # A Win32 error described under its plain number is described the same way in
            # its HRESULT form, and the other way round.
            text = by_names.get((key & 0xFFFF, tuple(names)))
        if text is None and 0 < key <= 0xFFFF:
            text = by_names.get((_win32_hresult(key), tuple(names)))
        if text is not None:
            descriptions[key] = text
    unused = set(extra) - {_display_name(k, n) for k, n in chosen.items()}
    return descriptions, sorted(unused)


def _report(names, descriptions, missing_headers, unused_extra):
    print("headers not found: %s" % (", ".join(missing_headers) or "none"), file=sys.stderr)
    if unused_extra:
        print("descriptions.tsv names not in the table: %s" % ", ".join(unused_extra),
              file=sys.stderr)
    name_counts = Counter(families.family_of(n) for n in names.values())
    text_counts = Counter(families.family_of(names[k]) for k in descriptions)
    print("%-28s %6s %6s" % ("family", "names", "descr"))
    for family in families.FAMILIES:
        print("%-28s %6d %6d" % (family.name, name_counts[family.name],
                                 text_counts[family.name]))
    print("%-28s %6d %6d" % ("total", len(names), len(descriptions)))
    print("distinct names %d, distinct non-empty descriptions %d, longest name %d, "
          "longest description %d" % (
              len(set(names.values())), len({t for t in descriptions.values() if t}),
              max(map(len, names.values())), max(map(len, descriptions.values()))))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--include", action="append", required=True,
                        help="header folder, searched in the order given (repeatable)")
    parser.add_argument("--dxerr", required=True,
                        help="mingw-w64-crt/libsrc/dxerr.c of the mingw-w64 sources")
    parser.add_argument("--out", default=os.path.join(here, "..", "..", "src", "core"),
                        help="folder that receives the generated tables")
    args = parser.parse_args()

    table, missing = _read_macros(args.include)
    rows = dxerr.read_rows(args.dxerr)
    chosen = _choose_names(_collect_candidates(table), rows)
    extra = _read_extra_descriptions(os.path.join(here, "descriptions.tsv"))
    descriptions, unused = _choose_descriptions(chosen, rows, extra)
    names = {key: _display_name(key, n) for key, n in chosen.items()}

    output.write_table(os.path.join(args.out, "ResultCodeNames.generated.inc"),
                       "kResultCodeNames", names)
    output.write_table(os.path.join(args.out, "ResultCodeDescriptions.generated.inc"),
                       "kResultCodeDescriptions", descriptions)
    _report(names, descriptions, missing, unused)


if __name__ == "__main__":
    main()
