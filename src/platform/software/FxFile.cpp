#include "FxFile.h"

#include <cstring>

namespace software::d3d {
namespace {

constexpr DWORD kFxTag = 0xFEFF0901;
constexpr DWORD kNoIndex = 0xFFFFFFFF;
constexpr DWORD kUsageBytecode = 0;
constexpr DWORD kUsageParameterName = 1;
constexpr DWORD kStateTableSize = 0xB3;
constexpr DWORD kMaxElements = 1u << 16;

class FxParser {
public:
    FxParser(const uint8_t *data, size_t size, FxFile &effect, std::string &error)
        : _data(data), _size(size), _effect(effect), _error(error) {}

    bool run() {
        DWORD tag, areaSize;
        if (!wordAt(0, tag) || !wordAt(4, areaSize))
            return fail("the file is shorter than its header");
        if (tag != kFxTag)
            return fail("the file is not a compiled fx_2_0 effect");
        if (areaSize > _size - 8)
            return fail("the unstructured area is larger than the file");
        _cursor = 8 + size_t(areaSize);
        DWORD parameterCount, techniqueCount, unused, objectCount;
        if (!next(parameterCount) || !next(techniqueCount) || !next(unused) || !next(objectCount))
            return fail("the file ends inside its counts");
        _objectCount = objectCount;
        // Each record takes at least four words, so a count the rest of the file cannot
        // hold is refused before anything is allocated for it.
        if (!plausible(parameterCount, 16) || !plausible(techniqueCount, 12))
            return fail("a parameter or technique count exceeds the file");
        _effect.parameters.resize(parameterCount);
        for (FxParameter &parameter : _effect.parameters) {
            if (!readParameter(parameter))
                return false;
        }
        _effect.techniques.resize(techniqueCount);
        for (FxTechnique &technique : _effect.techniques) {
            if (!readTechnique(technique))
                return false;
        }
        return readObjectsAndResources();
    }

private:
    bool fail(const std::string &why) {
        _error = why;
        return false;
    }

    bool wordAt(size_t offset, DWORD &value) const {
        if (offset > _size || _size - offset < 4)
            return false;
        std::memcpy(&value, _data + offset, 4);
        return true;
    }

    bool next(DWORD &value) {
        if (!wordAt(_cursor, value))
            return false;
        _cursor += 4;
        return true;
    }

    bool plausible(DWORD count, size_t bytesEach) const {
        return _cursor <= _size && count <= (_size - _cursor) / bytesEach;
    }

    // An offset into the file, counted from just after the header's two words.
    bool located(DWORD offset, size_t length, size_t &position) const {
        position = 8 + size_t(offset);
        return position <= _size && length <= _size - position;
    }

    bool name(DWORD offset, std::string &text) {
        text.clear();
        if (offset == 0)
            return true;
        size_t position;
        DWORD length;
        if (!located(offset, 4, position) || !wordAt(position, length))
            return fail("a name lies outside the file");
        position += 4; // the located word ends inside the file
        if (length > _size - position)
            return fail("a name runs past the end of the file");
        const char *bytes = reinterpret_cast<const char *>(_data + position);
        text.assign(bytes, strnlen(bytes, length));
        return true;
    }

    bool valueType(DWORD offset, FxValueType &type) {
        size_t position;
        if (!located(offset, 20, position))
            return fail("a type description lies outside the file");
        DWORD nameOffset = 0, semanticOffset = 0;
        wordAt(position, type.type);
        wordAt(position + 4, type.cls);
        wordAt(position + 8, nameOffset);
        wordAt(position + 12, semanticOffset);
        wordAt(position + 16, type.elements);
        if (!name(nameOffset, type.name))
            return false;
        if (type.elements > kMaxElements)
            return fail("an array is too long");
        switch (type.cls) {
        case kFxScalar:
        case kFxVector:
        case kFxMatrixRows:
        case kFxMatrixColumns: {
            DWORD first, second;
            if (!wordAt(position + 20, first) || !wordAt(position + 24, second))
                return fail("a type description runs past the end of the file");
            // Vectors give columns first, scalars and matrices rows first.
            type.rows = type.cls == kFxVector ? second : first;
            type.columns = type.cls == kFxVector ? first : second;
            if (type.rows == 0 || type.rows > 4 || type.columns == 0 || type.columns > 4)
                return fail("a numeric type has impossible dimensions");
            if (type.type != kFxBool && type.type != kFxInt && type.type != kFxFloat)
                return fail("a numeric class with a non-numeric type");
            return true;
        }
        case kFxObject:
            if (type.type < kFxString || type.type > kFxVertexShader)
                return fail("an object class with a non-object type");
            if (type.elements > 1)
                return fail("arrays of objects are not supported");
            return true;
        default:
            return fail("structures are not supported");
        }
    }

    bool objectId(DWORD id) {
        if (id >= _objectCount)
            return fail("an object id is not below the object count");
        return true;
    }

    // A value: numbers, an object id, or a sampler's states.
    bool value(DWORD offset, const FxValueType &type, std::vector<DWORD> &words,
               std::vector<FxState> *samplerStates) {
        size_t position;
        if (isSampler(type)) {
            if (!samplerStates)
                return fail("a sampler inside a state");
            DWORD count;
            if (!located(offset, 4, position) || !wordAt(position, count))
                return fail("a sampler value lies outside the file");
            if (count > (_size - position - 4) / 16)
                return fail("a sampler's state count exceeds the file");
            samplerStates->resize(count);
            for (DWORD i = 0; i < count; ++i) {
                if (!stateAt(position + 4 + size_t(i) * 16, (*samplerStates)[i]))
                    return false;
            }
            return true;
        }
        size_t count = type.cls == kFxObject
                           ? 1
                           : size_t(type.rows) * type.columns * (type.elements ? type.elements : 1);
        if (!located(offset, count * 4, position))
            return fail("a value lies outside the file");
        words.resize(count);
        std::memcpy(words.data(), _data + position, count * 4);
        if (type.cls == kFxObject && !objectId(words[0]))
            return false;
        return true;
    }

    bool state(FxState &state) {
        if (!plausible(1, 16))
            return fail("the file ends inside a state");
        if (!stateAt(_cursor, state))
            return false;
        _cursor += 16;
        return true;
    }

    bool stateAt(size_t position, FxState &state) {
        DWORD typeOffset, valueOffset;
        if (!wordAt(position, state.operation) || !wordAt(position + 4, state.index) ||
            !wordAt(position + 8, typeOffset) || !wordAt(position + 12, valueOffset))
            return fail("the file ends inside a state");
        if (state.operation >= kStateTableSize)
            return fail("a state names an unknown operation");
        return valueType(typeOffset, state.type) &&
               value(valueOffset, state.type, state.value, nullptr);
    }

    bool annotations(DWORD count) {
        if (!plausible(count, 8))
            return fail("an annotation count exceeds the file");
        for (DWORD i = 0; i < count; ++i) {
            DWORD typeOffset = 0, valueOffset = 0;
            if (!next(typeOffset) || !next(valueOffset))
                return fail("the file ends inside an annotation");
            FxValueType type;
            std::vector<DWORD> words;
            std::vector<FxState> states;
            if (!valueType(typeOffset, type) || !value(valueOffset, type, words, &states))
                return false;
        }
        return true;
    }

    bool readParameter(FxParameter &parameter) {
        DWORD typeOffset, valueOffset, flags, annotationCount;
        if (!next(typeOffset) || !next(valueOffset) || !next(flags) || !next(annotationCount))
            return fail("the file ends inside a parameter");
        return valueType(typeOffset, parameter.type) &&
               value(valueOffset, parameter.type, parameter.value, &parameter.samplerStates) &&
               annotations(annotationCount);
    }

    bool readTechnique(FxTechnique &technique) {
        DWORD nameOffset, annotationCount, passCount;
        if (!next(nameOffset) || !next(annotationCount) || !next(passCount))
            return fail("the file ends inside a technique");
        if (!name(nameOffset, technique.name) || !annotations(annotationCount))
            return false;
        if (!plausible(passCount, 12))
            return fail("a pass count exceeds the file");
        technique.passes.resize(passCount);
        for (FxPass &pass : technique.passes) {
            DWORD stateCount;
            if (!next(nameOffset) || !next(annotationCount) || !next(stateCount))
                return fail("the file ends inside a pass");
            if (!name(nameOffset, pass.name) || !annotations(annotationCount))
                return false;
            if (!plausible(stateCount, 16))
                return fail("a state count exceeds the file");
            pass.states.resize(stateCount);
            for (FxState &passState : pass.states) {
                if (!state(passState))
                    return false;
            }
        }
        return true;
    }

    // A size-prefixed block of data padded to whole words; returns its start and size.
    bool block(size_t &start, DWORD &length) {
        if (!next(length))
            return fail("the file ends before a data size");
        size_t padded = (size_t(length) + 3) & ~size_t(3);
        if (_cursor > _size || padded > _size - _cursor)
            return fail("a block of data runs past the end of the file");
        start = _cursor;
        _cursor += padded;
        return true;
    }

    bool readObjectsAndResources() {
        DWORD initCount, resourceCount;
        if (!next(initCount) || !next(resourceCount))
            return fail("the file ends before its object and resource counts");
        if (!plausible(initCount, 8) || !plausible(resourceCount, 24))
            return fail("an object or resource count exceeds the file");
        for (DWORD i = 0; i < initCount; ++i) {
            DWORD id, length;
            size_t start;
            if (!next(id))
                return fail("the file ends inside an object");
            if (!objectId(id) || !block(start, length))
                return false;
        }
        for (DWORD i = 0; i < resourceCount; ++i) {
            if (!readResource())
                return false;
        }
        return true;
    }

    bool readResource() {
        DWORD technique, index, element, stateIndex, usage, length;
        size_t start;
        if (!next(technique) || !next(index) || !next(element) || !next(stateIndex) || !next(usage))
            return fail("the file ends inside a resource");
        if (!block(start, length))
            return false;
        FxState *target = resourceState(technique, index, element, stateIndex);
        if (!target)
            return false;
        const uint8_t *bytes = _data + start;
        if (usage == kUsageBytecode) {
            if (target->type.type != kFxVertexShader && target->type.type != kFxPixelShader)
                return fail("shader bytecode for a state that holds no shader");
            if (length % 4 != 0)
                return fail("shader bytecode is not a whole number of words");
            target->shader.resize(length / 4);
            if (length != 0)
                std::memcpy(target->shader.data(), bytes, length);
            return true;
        }
        if (usage == kUsageParameterName) {
            target->parameterName.assign(reinterpret_cast<const char *>(bytes),
                                         strnlen(reinterpret_cast<const char *>(bytes), length));
            return true;
        }
        return fail("expressions and array selectors are not supported");
    }

    FxState *resourceState(DWORD technique, DWORD index, DWORD element, DWORD stateIndex) {
        if (technique == kNoIndex) {
            if (index >= _effect.parameters.size()) {
                fail("a resource names a parameter that does not exist");
                return nullptr;
            }
            std::vector<FxState> &states = _effect.parameters[index].samplerStates;
            if ((element != kNoIndex && element != 0) || stateIndex >= states.size()) {
                fail("a resource names a sampler state that does not exist");
                return nullptr;
            }
            return &states[stateIndex];
        }
        if (technique >= _effect.techniques.size() ||
            index >= _effect.techniques[technique].passes.size()) {
            fail("a resource names a pass that does not exist");
            return nullptr;
        }
        std::vector<FxState> &states = _effect.techniques[technique].passes[index].states;
        if (stateIndex >= states.size()) {
            fail("a resource names a pass state that does not exist");
            return nullptr;
        }
        return &states[stateIndex];
    }

    const uint8_t *_data;
    size_t _size;
    FxFile &_effect;
    std::string &_error;
    size_t _cursor = 0;
    DWORD _objectCount = 0;
};

} // namespace

bool isNumeric(const FxValueType &type) {
    return type.cls != kFxObject;
}

bool isTexture(const FxValueType &type) {
    return type.cls == kFxObject && type.type >= kFxTexture && type.type <= kFxTextureCube;
}

bool isSampler(const FxValueType &type) {
    return type.cls == kFxObject && type.type >= kFxSampler && type.type <= kFxSamplerCube;
}

bool parseEffectFile(const uint8_t *data, size_t size, FxFile &effect, std::string &error) {
    effect = FxFile{};
    error.clear();
    if (!data)
        return false;
    return FxParser(data, size, effect, error).run();
}

} // namespace software::d3d
