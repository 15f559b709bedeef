"""Assembler for the vs_2_0 / ps_2_0 instructions the effect uses.

Input is ordinary shader assembly text, one instruction a line, ';' or '//' comments:

    vs_2_0
    dcl_position v0
    rcp r0.x, c0.x
    add oPos.x, v0.x, -r0.x

Output is the list of 32-bit tokens that Direct3D 9 takes as shader bytecode, without the
end token, so that the caller can put a constant table right after the version token.
"""

import re

from .binary import float_bits
from .numbers import DCL_OPCODE, DECL_USAGES, DEF_OPCODE, INSTRUCTIONS, REGISTER_TYPES

END_TOKEN = 0x0000FFFF
_FULL_MASK = 0xF
_IDENTITY_SWIZZLE = 0xE4  # .xyzw: component i reads component i
_COMPONENTS = {"x": 0, "y": 1, "z": 2, "w": 3, "r": 0, "g": 1, "b": 2, "a": 3}
_REGISTER = re.compile(r"^(-?)([a-zA-Z]+?)(\d*)(?:\.([xyzwrgba]{1,4}))?$")


class AsmError(ValueError):
    """A line of shader assembly that the assembler does not accept."""

    def __init__(self, line_no, message):
        super().__init__(f"line {line_no}: {message}")


def version_token(profile):
    """The first token of a shader: 0xFFFE0200 for vs_2_0, 0xFFFF0200 for ps_2_0."""
    match = re.fullmatch(r"(vs|ps)_(\d)_(\d)", profile)
    if not match:
        raise ValueError(f"unknown shader profile {profile!r}")
    kind = 0xFFFE0000 if match.group(1) == "vs" else 0xFFFF0000
    return kind | int(match.group(2)) << 8 | int(match.group(3))


def _register_base(type_code, index):
    # The register type is split: its low three bits at 28-30, its high two at 11-12.
    return 0x80000000 | (type_code & 7) << 28 | (type_code & 0x18) << 8 | index


def _parse_register(text, line_no):
    match = _REGISTER.match(text.strip())
    if not match:
        raise AsmError(line_no, f"bad register {text!r}")
    negate, name, index, components = match.groups()
    if name not in REGISTER_TYPES:
        raise AsmError(line_no, f"unknown register {name!r}")
    return negate == "-", REGISTER_TYPES[name], int(index or 0), components


def destination_token(text, line_no):
    negate, type_code, index, components = _parse_register(text, line_no)
    if negate:
        raise AsmError(line_no, "a destination cannot be negated")
    mask = _FULL_MASK
    if components:
        mask = 0
        for c in components:
            mask |= 1 << _COMPONENTS[c]
    return _register_base(type_code, index) | mask << 16


def source_token(text, line_no):
    negate, type_code, index, components = _parse_register(text, line_no)
    swizzle = _IDENTITY_SWIZZLE
    if components:
        # A short swizzle repeats its last component: .x is .xxxx, .xy is .xyyy.
        picks = [_COMPONENTS[c] for c in components]
        picks += [picks[-1]] * (4 - len(picks))
        swizzle = sum(p << (2 * i) for i, p in enumerate(picks))
    return _register_base(type_code, index) | swizzle << 16 | (1 << 24 if negate else 0)


def _instruction(opcode, operands):
    return [opcode | len(operands) << 24] + operands


def _assemble_dcl(mnemonic, operands, line_no):
    if len(operands) != 1:
        raise AsmError(line_no, "dcl takes one register")
    usage = mnemonic[len("dcl"):].lstrip("_")
    dest = destination_token(operands[0], line_no)
    if usage == "2d":
        usage_token = 0x90000000  # sampler declaration, texture type 2D
    else:
        # dcl_texcoord1 is usage texcoord, usage index 1; a bare dcl is usage 0.
        match = re.fullmatch(r"([a-z]*?)(\d*)", usage)
        if not match or match.group(1) not in DECL_USAGES:
            raise AsmError(line_no, f"unknown declaration usage {usage!r}")
        usage_token = 0x80000000 | DECL_USAGES[match.group(1)] | int(match.group(2) or 0) << 16
    return _instruction(DCL_OPCODE, [usage_token, dest])


def _assemble_def(operands, line_no):
    if len(operands) != 5:
        raise AsmError(line_no, "def takes a register and four numbers")
    try:
        values = [float_bits(float(v)) for v in operands[1:]]
    except ValueError as error:
        raise AsmError(line_no, str(error)) from None
    return _instruction(DEF_OPCODE, [destination_token(operands[0], line_no)] + values)


def _strip_comment(line):
    return re.split(r";|//", line, maxsplit=1)[0].strip()


def assemble_instruction(code, line_no):
    """Tokens for one instruction, comments already removed."""
    mnemonic, _, rest = code.partition(" ")
    mnemonic = mnemonic.lower()
    operands = [op.strip() for op in rest.split(",")] if rest.strip() else []
    if mnemonic.startswith("dcl"):
        return _assemble_dcl(mnemonic, operands, line_no)
    if mnemonic == "def":
        return _assemble_def(operands, line_no)
    if mnemonic not in INSTRUCTIONS:
        raise AsmError(line_no, f"unknown instruction {mnemonic!r}")
    opcode, source_count = INSTRUCTIONS[mnemonic]
    if len(operands) != 1 + source_count:
        raise AsmError(line_no, f"{mnemonic} takes {1 + source_count} operands")
    tokens = [destination_token(operands[0], line_no)]
    tokens += [source_token(op, line_no) for op in operands[1:]]
    return _instruction(opcode, tokens)


def assemble(text):
    """(profile, tokens) for a shader's assembly text; tokens exclude the version and end."""
    lines = text.splitlines()
    profile, body = None, []
    for line_no, line in enumerate(lines, 1):
        code = _strip_comment(line)
        if not code:
            continue
        if profile is None:
            profile = code
            version_token(profile)  # rejects anything that is not a profile line
            continue
        body += assemble_instruction(code, line_no)
    if profile is None:
        raise AsmError(len(lines), "no shader profile line")
    return profile, body
