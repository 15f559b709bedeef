"""The result-code families: which headers define them and which name prefixes are theirs.

The order of FAMILIES is the order of precedence when two families define the same value:
the Windows names come first (0x80070005 is E_ACCESSDENIED, not a DirectX alias of it) and
Direct3D 9 comes before DirectDraw (0x8876017C is D3DERR_OUTOFVIDEOMEMORY).
"""


class Family:
    def __init__(self, name, prefixes, headers, enum_prefixes=(), code_prefixes=None):
        self.name = name
        self.prefixes = tuple(prefixes)  # the family's names; empty: the Windows family
        self.headers = headers  # header file names, read in this order
        self.enum_prefixes = tuple(enum_prefixes)  # enumerators read as constants
        # The names among the family's that are result codes, where its headers also
        # define other constants with the same prefix (D3D10_SDK_VERSION).
        self.code_prefixes = tuple(code_prefixes) if code_prefixes else self.prefixes

    def has_code(self, name):
        if not self.prefixes:
            return family_of(name) == self.name
        return name.startswith(self.code_prefixes)


WINDOWS = "Windows"
DIRECTINPUT = "DirectInput"
DIRECTSHOW = "DirectShow"
DMO = "DMO"

# Families whose codes the Windows SDK's error header also carries; they are told apart
# from the Windows family by prefix.
_WINERROR_DIRECTX = [
    Family("DXGI", ["DXGI_"], ["winerror.h"], code_prefixes=["DXGI_ERROR_", "DXGI_STATUS_"]),
    Family("Direct3D 10 and 11", ["D3D10_", "D3D11_"], ["winerror.h", "d3d10.h"],
           code_prefixes=["D3D10_ERROR_", "D3D11_ERROR_"]),
    Family("Direct2D and DirectWrite", ["D2DERR_", "DWRITE_"],
           ["winerror.h", "d2derr.h", "dwrite.h"], ["DWRITE_E_", "D2DERR_"],
           code_prefixes=["D2DERR_", "DWRITE_E_"]),
]

FAMILIES = [
    Family(WINDOWS, [], ["winerror.h", "wbemcli.h", "xmllite.h"],
           ["WBEM_E_", "WBEM_S_", "WBEMESS_E_", "WBEMMOF_E_",  # WMI
            "MX_E_", "WC_E_", "NC_E_", "SC_E_", "WR_E_", "XML_E_"]),  # XML parser
    Family("Direct3D 9", ["D3DERR_", "D3DOK_"], ["d3d9.h"]),
    Family("D3DX 9", ["D3DXERR_", "D3DXFERR_"], ["d3dx9.h", "d3dx9xof.h"], ["D3DXERR_"]),
    Family("DirectX files", ["DXFILEERR_"], ["dxfile.h"]),
    Family("DirectDraw", ["DDERR_"], ["ddraw.h"]),
    Family("DirectSound", ["DSERR_", "DS_"], ["dsound.h"]),
    Family(DIRECTINPUT, ["DIERR_"], ["dinput.h", "dinputd.h"]),
    Family(DIRECTSHOW, ["VFW_", "MS_"], ["vfwmsgs.h", "mmstream.h"]),
    Family(DMO, ["DMO_"], ["mediaerr.h"]),
    *_WINERROR_DIRECTX,
    Family("XAudio2", ["XAUDIO2_", "XAPO_"], ["xaudio2.h", "xapo.h"],
           code_prefixes=["XAUDIO2_E_", "XAPO_E_"]),
    Family("XACT engine", ["XACTENGINE_"], ["xact3.h"]),
    Family("DXUT", ["DXUTERR_"], ["DXUT.h"]),
]

# Families that share values and whose names are then joined with " & " in this order.
JOINED_FAMILIES = [DIRECTINPUT, DIRECTSHOW, DMO]


def family_of(name):
    """The family a code name belongs to, judged by the first of its joined names."""
    first = name.split(" & ")[0]
    for family in FAMILIES:
        if family.prefixes and first.startswith(family.prefixes):
            return family.name
    return WINDOWS
