"""What an effect holds, as the fx_2_0 writer needs it: parameters and techniques."""

from dataclasses import dataclass, field
from typing import List, Optional, Tuple, Union

# (state table position, value) pairs, as a pass or a sampler lists them.
StateList = List[Tuple[int, int]]


@dataclass
class TextureParameter:
    name: str


@dataclass
class FloatParameter:
    name: str
    value: float = 0.0


@dataclass
class SamplerParameter:
    """A 2D sampler bound to the texture parameter named `texture`, with its own states."""

    name: str
    texture: str
    states: StateList = field(default_factory=list)


Parameter = Union[TextureParameter, FloatParameter, SamplerParameter]


@dataclass
class Pass:
    name: str
    render_states: StateList = field(default_factory=list)
    vertex_shader: Optional[bytes] = None
    pixel_shader: Optional[bytes] = None


@dataclass
class Technique:
    name: str
    passes: List[Pass] = field(default_factory=list)


@dataclass
class Effect:
    parameters: List[Parameter] = field(default_factory=list)
    techniques: List[Technique] = field(default_factory=list)
