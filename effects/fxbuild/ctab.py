"""The constant table (CTAB) comment that names a shader's constants and samplers.

The effect framework binds an effect parameter to a shader register only through this
table, by name: without it samplers stay unbound and floats are never uploaded.
"""

import struct
from dataclasses import dataclass

from .binary import cstring, padded
from .numbers import (
    CLASS_OBJECT,
    CLASS_SCALAR,
    COMMENT_OPCODE,
    REGISTER_SET_FLOAT4,
    REGISTER_SET_SAMPLER,
    TYPE_FLOAT,
    TYPE_SAMPLER2D,
)

_HEADER_SIZE = 28
_ENTRY_SIZE = 20
_TYPE_INFO_SIZE = 16
CREATOR = "Quenvo fxbuild"


@dataclass(frozen=True)
class Constant:
    """One named register: a float scalar in c<index> or a 2D sampler in s<index>."""

    name: str
    register_set: int
    index: int

    @staticmethod
    def float_scalar(name, index):
        return Constant(name, REGISTER_SET_FLOAT4, index)

    @staticmethod
    def sampler2d(name, index):
        return Constant(name, REGISTER_SET_SAMPLER, index)

    def type_info(self):
        # {class, type, rows, columns, elements, struct members, struct member info}
        if self.register_set == REGISTER_SET_SAMPLER:
            return struct.pack("<6HI", CLASS_OBJECT, TYPE_SAMPLER2D, 1, 1, 1, 0, 0)
        return struct.pack("<6HI", CLASS_SCALAR, TYPE_FLOAT, 1, 1, 1, 0, 0)


def constant_table(version, profile, constants):
    """The CTAB blob (offsets count from its first byte), without the 'CTAB' tag."""
    entries_at = _HEADER_SIZE
    types_at = entries_at + _ENTRY_SIZE * len(constants)
    strings_at = types_at + _TYPE_INFO_SIZE * len(constants)

    strings = bytearray()

    def add_string(text):
        offset = strings_at + len(strings)
        strings.extend(padded(cstring(text)))
        return offset

    creator = add_string(CREATOR)
    target = add_string(profile)
    entries, types = bytearray(), bytearray()
    for i, constant in enumerate(constants):
        name = add_string(constant.name)
        type_offset = types_at + _TYPE_INFO_SIZE * i
        entries += struct.pack(
            "<I4HII", name, constant.register_set, constant.index, 1, 0, type_offset, 0
        )
        types += constant.type_info()

    header = struct.pack(
        "<7I", _HEADER_SIZE, creator, version, len(constants), entries_at, 0, target
    )
    return header + entries + types + strings


def ctab_comment(version, profile, constants):
    """The comment tokens that carry the constant table inside the bytecode."""
    payload = b"CTAB" + constant_table(version, profile, constants)
    words = list(struct.unpack(f"<{len(payload) // 4}I", payload))
    return [COMMENT_OPCODE | len(words) << 16] + words
