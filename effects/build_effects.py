#!/usr/bin/env python3
"""Builds ycbcr2rgb.fxo from ycbcr2rgb.vsh and ycbcr2rgb.psh, plus the variants the tests load.

    build_effects.py OUTPUT_DIR

writes OUTPUT_DIR/ycbcr2rgb.fxo and, next to it, the variants:
  zero_passes.fxo      technique "ycbcr2rgb" with no pass
  three_passes.fxo     technique "ycbcr2rgb" with the same pass three times
  other_technique.fxo  the same pass under technique "other" only
  truncated.fxo        the first half of ycbcr2rgb.fxo
  garbage.fxo          bytes that are no effect at all
  bad_area_size.fxo    ycbcr2rgb.fxo whose unstructured-area size points past the end
  bad_type_offset.fxo  ycbcr2rgb.fxo whose first parameter's type offset points past the end
"""

import os
import struct
import sys

from fxbuild.ctab import Constant
from fxbuild.effect import (
    Effect,
    FloatParameter,
    Pass,
    SamplerParameter,
    Technique,
    TextureParameter,
)
from fxbuild.fxwriter import write_effect
from fxbuild.numbers import (
    COLORWRITE_RGBA,
    CULL_NONE,
    STATE_ADDRESSU,
    STATE_ADDRESSV,
    STATE_ALPHABLENDENABLE,
    STATE_ALPHATESTENABLE,
    STATE_COLORWRITEENABLE,
    STATE_CULLMODE,
    STATE_MAGFILTER,
    STATE_MINFILTER,
    STATE_SCISSORTESTENABLE,
    STATE_STENCILENABLE,
    STATE_ZENABLE,
    STATE_ZWRITEENABLE,
    TADDRESS_CLAMP,
    TEXF_LINEAR,
)
from fxbuild.shader import compile_shader

HERE = os.path.dirname(os.path.abspath(__file__))
TECHNIQUE = "ycbcr2rgb"
# (texture parameter, sampler parameter) in sampler register order s0, s1, s2.
PLANES = [("g_texY", "g_sampY"), ("g_texCb", "g_sampCb"), ("g_texCr", "g_sampCr")]
SAMPLER_STATES = [
    (STATE_MINFILTER, TEXF_LINEAR),
    (STATE_MAGFILTER, TEXF_LINEAR),
    (STATE_ADDRESSU, TADDRESS_CLAMP),
    (STATE_ADDRESSV, TADDRESS_CLAMP),
]
# The host's state is whatever its scene left: the pass sets everything the quad depends
# on (its two triangles are counter-clockwise, so the default culling would drop them).
PASS_STATES = [
    (STATE_CULLMODE, CULL_NONE),
    (STATE_ZENABLE, 0),
    (STATE_ZWRITEENABLE, 0),
    (STATE_STENCILENABLE, 0),
    (STATE_ALPHATESTENABLE, 0),
    (STATE_ALPHABLENDENABLE, 0),
    (STATE_SCISSORTESTENABLE, 0),
    (STATE_COLORWRITEENABLE, COLORWRITE_RGBA),
]


def shader_from(file_name, constants):
    """Bytecode of a shader source next to this script; errors name the file."""
    with open(os.path.join(HERE, file_name), encoding="ascii") as f:
        text = f.read()
    try:
        return compile_shader(text, constants)
    except ValueError as error:
        raise ValueError(f"{file_name}: {error}") from None


def conversion_pass(name):
    vertex = shader_from(
        "ycbcr2rgb.vsh", [Constant.float_scalar("width", 0), Constant.float_scalar("height", 1)]
    )
    pixel = shader_from(
        "ycbcr2rgb.psh",
        [Constant.sampler2d(sampler, i) for i, (_, sampler) in enumerate(PLANES)],
    )
    return Pass(name, PASS_STATES, vertex, pixel)


def parameters():
    result = [TextureParameter(texture) for texture, _ in PLANES]
    result += [SamplerParameter(sampler, texture, SAMPLER_STATES) for texture, sampler in PLANES]
    result += [FloatParameter("width"), FloatParameter("height")]
    return result


def effect_with(technique_name, pass_count):
    passes = [conversion_pass(f"p{i}") for i in range(pass_count)]
    return write_effect(Effect(parameters(), [Technique(technique_name, passes)]))


def with_word(data, byte_offset, value):
    return data[:byte_offset] + struct.pack("<I", value) + data[byte_offset + 4 :]


def garbage(size):
    # A fixed linear congruential sequence: the same bytes on every build.
    state, out = 12345, bytearray()
    for _ in range(size):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        out.append(state >> 16 & 0xFF)
    return bytes(out)


def all_files():
    good = effect_with(TECHNIQUE, 1)
    area_size = struct.unpack_from("<I", good, 4)[0]
    first_parameter_type = 8 + area_size + 16  # after the four counts of the structured part
    return {
        "ycbcr2rgb.fxo": good,
        "zero_passes.fxo": effect_with(TECHNIQUE, 0),
        "three_passes.fxo": effect_with(TECHNIQUE, 3),
        "other_technique.fxo": effect_with("other", 1),
        "truncated.fxo": good[: len(good) // 2],
        "garbage.fxo": garbage(len(good)),
        "bad_area_size.fxo": with_word(good, 4, 0x7FFFFFF0),
        "bad_type_offset.fxo": with_word(good, first_parameter_type, 0x7FFFFFF0),
    }


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out_dir = argv[1]
    try:
        files = all_files()
    except ValueError as error:
        print(f"build_effects.py: {error}", file=sys.stderr)
        return 1
    os.makedirs(out_dir, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
