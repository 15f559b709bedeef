"""A complete shader: version token, constant table, assembled body, end token."""

import struct

from .ctab import ctab_comment
from .shaderasm import END_TOKEN, assemble, version_token


def compile_shader(source_text, constants):
    """Bytecode (bytes) of a shader written in assembly, with a CTAB naming `constants`."""
    profile, body = assemble(source_text)
    version = version_token(profile)
    tokens = [version] + ctab_comment(version, profile, constants) + body + [END_TOKEN]
    return struct.pack(f"<{len(tokens)}I", *tokens)
