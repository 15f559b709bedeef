"""The numbers of the Direct3D 9 shader bytecode and of the fx_2_0 effect format."""

# Shader bytecode: mnemonic -> (opcode, number of source operands).
INSTRUCTIONS = {
    "mov": (0x01, 1),
    "add": (0x02, 2),
    "mad": (0x04, 3),
    "mul": (0x05, 2),
    "rcp": (0x06, 1),
    "dp3": (0x08, 2),
    "dp4": (0x09, 2),
    "texld": (0x42, 2),
}
DCL_OPCODE = 0x1F
DEF_OPCODE = 0x51
COMMENT_OPCODE = 0xFFFE

# Register file names as written in assembly -> register type.
REGISTER_TYPES = {
    "r": 0,  # temporary
    "v": 1,  # input
    "c": 2,  # float constant
    "t": 3,  # pixel shader texture coordinate input
    "oPos": 4,  # rasteriser output (position)
    "oT": 6,  # vertex shader texture coordinate output
    "oC": 8,  # pixel shader colour output
    "s": 10,  # sampler
}

# dcl usages (position 0, texcoord 5); a bare "dcl" is usage 0.
DECL_USAGES = {"": 0, "position": 0, "texcoord": 5}

# Parameter types (D3DXPARAMETER_TYPE) and classes (D3DXPARAMETER_CLASS).
TYPE_INT = 2
TYPE_FLOAT = 3
TYPE_TEXTURE = 5
TYPE_SAMPLER2D = 12
TYPE_PIXELSHADER = 15
TYPE_VERTEXSHADER = 16
CLASS_SCALAR = 0
CLASS_OBJECT = 4

# Constant table register sets (D3DXREGISTER_SET).
REGISTER_SET_FLOAT4 = 2
REGISTER_SET_SAMPLER = 3

# Positions in the effect framework's state table: render states of a pass...
STATE_ZENABLE = 0x00
STATE_ZWRITEENABLE = 0x03
STATE_ALPHATESTENABLE = 0x04
STATE_CULLMODE = 0x08
STATE_ALPHABLENDENABLE = 0x0D
STATE_STENCILENABLE = 0x16
STATE_COLORWRITEENABLE = 0x49
STATE_SCISSORTESTENABLE = 0x4E
# ...the shaders of a pass...
STATE_VERTEXSHADER = 0x92
STATE_PIXELSHADER = 0x93
# ...and the states of a sampler.
STATE_TEXTURE = 0xA4
STATE_ADDRESSU = 0xA5
STATE_ADDRESSV = 0xA6
STATE_MAGFILTER = 0xA9
STATE_MINFILTER = 0xAA

# Render and sampler state values.
CULL_NONE = 1
TEXF_LINEAR = 2
TADDRESS_CLAMP = 3
COLORWRITE_RGBA = 0xF

FX_2_0_TAG = 0xFEFF0901
