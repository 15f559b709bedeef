"""Writes an Effect as a compiled fx_2_0 effect file.

The file is a tag, the size of an "unstructured" area of names, type descriptions and
values, that area, and then the structured part: parameters, techniques with their passes
and states, object initialisers and resources (shader bytecode, sampler-to-texture
bindings). Every offset counts from just after the first two words.
"""

import struct

from .binary import cstring, float_bits, padded
from .effect import FloatParameter, SamplerParameter, TextureParameter
from .numbers import (
    CLASS_OBJECT,
    CLASS_SCALAR,
    FX_2_0_TAG,
    STATE_PIXELSHADER,
    STATE_TEXTURE,
    STATE_VERTEXSHADER,
    TYPE_FLOAT,
    TYPE_INT,
    TYPE_PIXELSHADER,
    TYPE_SAMPLER2D,
    TYPE_TEXTURE,
    TYPE_VERTEXSHADER,
)

_NO_INDEX = 0xFFFFFFFF  # "not a technique" / "not an array element" in a resource
_USAGE_BYTECODE = 0  # resource data is a shader for the state
_USAGE_PARAMETER_NAME = 1  # resource data names the parameter the state refers to


class _UnstructuredArea:
    """Names, type descriptions and values; offset 0 is a zero word meaning "no name"."""

    def __init__(self):
        self.data = bytearray(4)
        self._typedefs = {}

    def words(self, *values):
        offset = len(self.data)
        self.data += struct.pack(f"<{len(values)}I", *values)
        return offset

    def name(self, text):
        if not text:
            return 0
        encoded = cstring(text)
        offset = self.words(len(encoded))
        self.data += padded(encoded)
        return offset

    def typedef(self, type_code, class_code, name=""):
        """A type description; scalars are 1 by 1, objects carry no dimensions."""
        key = (type_code, class_code, name)
        if key not in self._typedefs:
            name_offset = self.name(name)
            dims = (1, 1) if class_code == CLASS_SCALAR else ()
            self._typedefs[key] = self.words(type_code, class_code, name_offset, 0, 0, *dims)
        return self._typedefs[key]


class _Writer:
    def __init__(self):
        self.area = _UnstructuredArea()
        self.structured = []  # words after the unstructured area, before the tail
        self.object_inits = []  # (object id, data)
        self.resources = []  # (technique, index, element, state, usage, data)
        self.object_count = 1  # id 0 is never used

    def new_object(self):
        object_id = self.object_count
        self.object_count += 1
        return object_id

    def int_state(self, operation, value):
        int_type = self.area.typedef(TYPE_INT, CLASS_SCALAR)
        return [operation, 0, int_type, self.area.words(value)]

    def object_state(self, operation, type_code):
        """A state whose value is a new object; returns (state words, object id)."""
        object_id = self.new_object()
        type_offset = self.area.typedef(type_code, CLASS_OBJECT)
        return [operation, 0, type_offset, self.area.words(object_id)], object_id

    def parameter(self, index, parameter):
        if isinstance(parameter, TextureParameter):
            object_id = self.new_object()
            self.object_inits.append((object_id, b""))
            type_offset = self.area.typedef(TYPE_TEXTURE, CLASS_OBJECT, parameter.name)
            value_offset = self.area.words(object_id)
        elif isinstance(parameter, FloatParameter):
            type_offset = self.area.typedef(TYPE_FLOAT, CLASS_SCALAR, parameter.name)
            value_offset = self.area.words(float_bits(parameter.value))
        elif isinstance(parameter, SamplerParameter):
            type_offset = self.area.typedef(TYPE_SAMPLER2D, CLASS_OBJECT, parameter.name)
            value_offset = self.sampler_value(index, parameter)
        else:
            raise TypeError(f"unknown parameter kind {parameter!r}")
        self.structured += [type_offset, value_offset, 0, 0]  # no flags, no annotations

    def sampler_value(self, index, sampler):
        # The Texture state comes first; its value is an object that a resource fills with
        # the texture parameter's name, which is how the framework binds the two.
        texture_state, _ = self.object_state(STATE_TEXTURE, TYPE_TEXTURE)
        self.resources.append(
            (_NO_INDEX, index, _NO_INDEX, 0, _USAGE_PARAMETER_NAME, cstring(sampler.texture))
        )
        states = [texture_state] + [self.int_state(op, value) for op, value in sampler.states]
        flat = [word for state in states for word in state]
        return self.area.words(len(states), *flat)

    def technique(self, technique_index, technique):
        self.structured += [self.area.name(technique.name), 0, len(technique.passes)]
        for pass_index, effect_pass in enumerate(technique.passes):
            self.effect_pass(technique_index, pass_index, effect_pass)

    def effect_pass(self, technique_index, pass_index, effect_pass):
        states = [self.int_state(op, value) for op, value in effect_pass.render_states]
        shaders = [
            (STATE_VERTEXSHADER, TYPE_VERTEXSHADER, effect_pass.vertex_shader),
            (STATE_PIXELSHADER, TYPE_PIXELSHADER, effect_pass.pixel_shader),
        ]
        for operation, type_code, bytecode in shaders:
            if bytecode is None:
                continue
            state, _ = self.object_state(operation, type_code)
            # The bytecode must come as a resource of this state: shaders given only as
            # object initialisers load, but BeginPass then fails.
            self.resources.append(
                (technique_index, pass_index, _NO_INDEX, len(states), _USAGE_BYTECODE, bytecode)
            )
            states.append(state)
        self.structured += [self.area.name(effect_pass.name), 0, len(states)]
        self.structured += [word for state in states for word in state]

    def tail(self):
        words = bytearray(struct.pack("<2I", len(self.object_inits), len(self.resources)))
        for object_id, data in self.object_inits:
            words += struct.pack("<2I", object_id, len(data)) + padded(data)
        for technique, index, element, state, usage, data in self.resources:
            words += struct.pack("<6I", technique, index, element, state, usage, len(data))
            words += padded(data)
        return bytes(words)


def write_effect(effect):
    """The bytes of the compiled effect file."""
    writer = _Writer()
    for index, parameter in enumerate(effect.parameters):
        writer.parameter(index, parameter)
    for index, technique in enumerate(effect.techniques):
        writer.technique(index, technique)
    counts = struct.pack(
        "<4I",
        len(effect.parameters),
        len(effect.techniques),
        writer.object_count + 1,
        writer.object_count,
    )
    structured = struct.pack(f"<{len(writer.structured)}I", *writer.structured)
    area = bytes(writer.area.data)
    header = struct.pack("<2I", FX_2_0_TAG, len(area))
    return header + area + counts + structured + writer.tail()
