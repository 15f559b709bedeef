"""Byte helpers shared by the assembler and the constant table and effect writers."""

import struct


def padded(data):
    """data followed by zero bytes up to a multiple of four."""
    return data + b"\0" * (-len(data) % 4)


def cstring(text):
    """An ASCII string with its terminating NUL, unpadded."""
    return text.encode("ascii") + b"\0"


def float_bits(value):
    """The IEEE single-precision bits of value, as an unsigned 32-bit word."""
    return struct.unpack("<I", struct.pack("<f", value))[0]
