"""Byte helpers shared by the constant table and effect writers."""


def padded(data):
    """data followed by zero bytes up to a multiple of four."""
    return data + b"\0" * (-len(data) % 4)


def cstring(text):
    """An ASCII string with its terminating NUL, unpadded."""
    return text.encode("ascii") + b"\0"
