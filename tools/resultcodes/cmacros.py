"""Reads result-code constants out of C headers.

Collects the object-like and function-like #define macros of a set of headers (plus
enumerators of chosen enums), expands a macro body the way the preprocessor would for the
handful of forms these headers use (MAKE_HRESULT, _HRESULT_TYPEDEF_, __MSABI_LONG, casts,
integer suffixes) and evaluates it to an unsigned 32-bit value.
"""

import re

_DEFINE = re.compile(r"^\s*#\s*define\s+([A-Za-z_]\w*)(\([^)]*\))?\s*(.*)$")
_ENUMERATOR = re.compile(r"^\s*([A-Za-z_]\w*)\s*=\s*([^,]+?)\s*,?\s*(?://.*|/\*.*)?$")
_TOKEN = re.compile(r"0[xX][0-9A-Fa-f]+[uUlL]*|\d+[uUlL]*|[A-Za-z_]\w*|<<|>>|<=|>=|==|!=|\S")
_INTEGER_SUFFIX = re.compile(r"^(0[xX][0-9A-Fa-f]+|\d+)[uUlL]*$")

# Type names that appear in casts; a parenthesised run of these is dropped.
_CAST_WORDS = {
    "HRESULT", "SCODE", "DWORD", "LONG", "ULONG", "long", "unsigned", "int", "signed",
    "__LONG32", "UINT", "INT",
}


class Definition:
    """One named constant as a header defines it."""

    def __init__(self, name, params, body, header, order):
        self.name = name
        self.params = params  # None for object-like macros and enumerators
        self.body = body
        self.header = header
        self.order = order  # position over all headers read, for precedence


def _strip_comments(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def _logical_lines(text):
    return _strip_comments(text.replace("\\\n", " ")).splitlines()


class MacroTable:
    """Every definition read so far; the first definition of a name is the one kept."""

    def __init__(self):
        self.definitions = {}
        self._order = 0

    def define(self, name, params, body, header="built-in"):
        """Adds a definition; a later definition of the same name is ignored, so definitions
        added before the headers are read take their place."""
        self._add(name, params, body, header)

    def _add(self, name, params, body, header):
        if name in self.definitions:
            return
        self.definitions[name] = Definition(name, params, body.strip(), header, self._order)
        self._order += 1

    def read_header(self, path, header_name, enum_prefixes=()):
        """Reads the #defines of a header and the enumerators whose names start with one of
        enum_prefixes."""
        with open(path, encoding="latin-1") as f:
            text = f.read()
        for line in _logical_lines(text):
            match = _DEFINE.match(line)
            if match:
                name, params, body = match.groups()
                if params is not None:
                    params = [p.strip() for p in params[1:-1].split(",") if p.strip()]
                self._add(name, params, body, header_name)
                continue
            if enum_prefixes:
                match = _ENUMERATOR.match(line)
                if match and match.group(1).startswith(tuple(enum_prefixes)):
                    self._add(match.group(1), None, match.group(2), header_name)

    def value(self, name):
        """The unsigned 32-bit value of a definition, or None when it is not a constant."""
        definition = self.definitions.get(name)
        if definition is None or definition.params is not None or not definition.body:
            return None
        try:
            tokens = self._expand(_TOKEN.findall(definition.body), {name})
            return _evaluate(tokens) & 0xFFFFFFFF
        except (ValueError, SyntaxError, TypeError, ZeroDivisionError, RecursionError):
            return None

    def is_alias(self, name):
        """True when the definition is only another name (XACTENGINE_E_FAIL -> E_FAIL)."""
        definition = self.definitions.get(name)
        tokens = _TOKEN.findall(definition.body) if definition else []
        while len(tokens) >= 3 and tokens[0] == "(" and tokens[-1] == ")":
            tokens = tokens[1:-1]
        return len(tokens) == 1 and tokens[0] in self.definitions

    def _expand(self, tokens, active):
        out = []
        i = 0
        while i < len(tokens):
            token = tokens[i]
            definition = self.definitions.get(token)
            if definition is None or token in active:
                out.append(token)
                i += 1
                continue
            if definition.params is None:
                body = _TOKEN.findall(definition.body)
                out.extend(self._expand(body, active | {token}))
                i += 1
                continue
            args, i = _call_arguments(tokens, i + 1)
            if args is None:
                raise ValueError("function-like macro without arguments: " + token)
            args = [self._expand(a, active) for a in args]
            body = []
            for body_token in _TOKEN.findall(definition.body):
                if body_token in definition.params:
                    body.extend(["("] + args[definition.params.index(body_token)] + [")"])
                else:
                    body.append(body_token)
            out.extend(self._expand(body, active | {token}))
        return out


def _call_arguments(tokens, i):
    """Splits the argument list that starts at tokens[i] == '('; returns (args, next index)."""
    if i >= len(tokens) or tokens[i] != "(":
        return None, i
    depth = 0
    args = [[]]
    for j in range(i, len(tokens)):
        token = tokens[j]
        if token == "(":
            depth += 1
            if depth == 1:
                continue
        elif token == ")":
            depth -= 1
            if depth == 0:
                return ([] if args == [[]] else args), j + 1
        elif token == "," and depth == 1:
            args.append([])
            continue
        args[-1].append(token)
    raise ValueError("unbalanced parentheses")


def _drop_casts(tokens):
    out = []
    i = 0
    while i < len(tokens):
        if tokens[i] == "(":
            j = i + 1
            while j < len(tokens) and tokens[j] in _CAST_WORDS:
                j += 1
            if j > i + 1 and j < len(tokens) and tokens[j] == ")":
                i = j + 1
                continue
        out.append(tokens[i])
        i += 1
    return out


def _evaluate(tokens):
    python = []
    for token in _drop_casts(tokens):
        number = _INTEGER_SUFFIX.match(token)
        if number:
            python.append(str(int(number.group(1), 0)))
        elif token in ("<<", ">>", "|", "&", "+", "-", "~", "(", ")", "*"):
            python.append(token)
        else:
            raise ValueError("not a constant expression: " + token)
    return int(eval(" ".join(python), {"__builtins__": {}}, {}))
