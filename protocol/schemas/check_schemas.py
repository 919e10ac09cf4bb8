#!/usr/bin/env python3
"""Consistency check of the message schema files (<MODULE>.json, see FORMAT.md).

Usage: check_schemas.py [DIRECTORY]   (default: the directory of this script)

Loads every module file of the directory and prints one line per problem:
malformed entries, dangling type references, an enumeration whose max is not
its largest item number, CHOICE alternatives not numbered 0, 1, 2 ... without
gaps, duplicate names, names that clash once hyphens become underscores (the
get_/set_ accessors and the enumerators), and names that are C++ keywords.
Exits 1 when there is a problem, 0 otherwise. Standard library only, so that
the code generator can import load_directory() and check() as well.
"""

import json
import os
import re
import sys

SIMPLE_TYPES = ("NULL", "BOOLEAN", "INTEGER", "OCTET STRING", "IA5String", "OBJECT IDENTIFIER")
LIST_TYPES = ("SEQUENCE OF", "SET OF")
UNAVAILABLE = "unavailable"

INT32_MIN = -2**31
UINT32_MAX = 2**32 - 1

CXX_KEYWORDS = frozenset("""
    alignas alignof and and_eq asm auto bitand bitor bool break case catch char
    char8_t char16_t char32_t class compl concept const consteval constexpr
    constinit const_cast continue co_await co_return co_yield decltype default
    delete do double dynamic_cast else enum explicit export extern false float
    for friend goto if inline int long mutable namespace new noexcept not not_eq
    nullptr operator or or_eq private protected public register reinterpret_cast
    requires return short signed sizeof static static_assert static_cast struct
    switch template this thread_local throw true try typedef typeid typename
    union unsigned using virtual void volatile wchar_t while xor xor_eq
""".split())

# Names the C library or the compiler define as macros; an enumerator or
# accessor spelled like one does not survive the preprocessor.
C_MACROS = frozenset("""
    assert errno EOF NULL stdin stdout stderr offsetof major minor makedev
    linux unix
""".split())

MODULE_NAME = re.compile(r"[A-Z][A-Z0-9]*\Z")
TYPE_NAME = re.compile(r"[A-Za-z][A-Za-z0-9_]*\Z")
MEMBER_NAME = re.compile(r"[A-Za-z][A-Za-z0-9_-]*\Z")
REFERENCE = re.compile(r"([A-Z][A-Z0-9]*)\.([A-Za-z][A-Za-z0-9_]*)\Z")

MEMBER_KEYS = {"name", "type", "range", "size", "of"}
TYPE_KEYS = {
    "SEQUENCE": {"name", "type", "extensible", "fields", "additions"},
    "CHOICE": {"name", "type", "extensible", "alternatives", "additions"},
    "ENUMERATED": {"name", "type", "extensible", "max", "items", "constants"},
    UNAVAILABLE: {"name", "type"},
}


def cxx_name(name):
    """The C++ spelling of a schema identifier: each hyphen becomes an underscore."""
    return name.replace("-", "_")


def _reject_duplicate_keys(pairs):
    keys = [k for k, _ in pairs]
    duplicates = sorted({k for k in keys if keys.count(k) > 1})
    if duplicates:
        raise ValueError("duplicate key %s" % ", ".join(map(repr, duplicates)))
    return dict(pairs)


def load_directory(directory):
    """Reads every *.json file of the directory.

    Returns (docs, problems): docs maps each file name to its parsed content,
    problems lists the files that could not be read or parsed.
    """
    docs, problems = {}, []
    for entry in sorted(os.listdir(directory)):
        if not entry.endswith(".json"):
            continue
        path = os.path.join(directory, entry)
        try:
            with open(path, encoding="utf-8") as f:
                docs[entry] = json.load(f, object_pairs_hook=_reject_duplicate_keys)
        except (OSError, ValueError) as e:
            problems.append("%s: cannot load: %s" % (entry, e))
    if not docs and not problems:
        problems.append("%s: no module files" % directory)
    return docs, problems


def _is_int(v):
    return isinstance(v, int) and not isinstance(v, bool)


class _Checker:
    def __init__(self, docs):
        self.docs = docs
        self.problems = []
        self.where = ""
        # "MODULE.Type" -> definition, filled before references are resolved.
        self.types = {}
        self.references = []  # (where, "MODULE.Type")

    def report(self, message, where=None):
        self.problems.append("%s: %s" % (where or self.where, message))

    # --- names -----------------------------------------------------------

    def check_identifier(self, name, pattern, what):
        if not isinstance(name, str) or not pattern.match(name):
            self.report("%s name %r is not a valid identifier" % (what, name))
            return False
        spelled = cxx_name(name)
        if spelled in CXX_KEYWORDS:
            self.report("%s name %r is the C++ keyword %r" % (what, name, spelled))
        elif spelled in C_MACROS:
            self.report("%s name %r is the C library macro %r" % (what, name, spelled))
        if "__" in spelled or spelled.endswith("_"):
            self.report("%s name %r gives the reserved or odd C++ name %r" % (what, name, spelled))
        return True

    def check_unique(self, names, what):
        """Duplicate names, then names that only differ by hyphen against underscore."""
        seen, spelled = set(), {}
        for name in names:
            if name in seen:
                self.report("duplicate %s name %r" % (what, name))
                continue
            seen.add(name)
            other = spelled.setdefault(cxx_name(name), name)
            if other != name:
                self.report("%s names %r and %r clash as %r" % (what, other, name, cxx_name(name)))

    # --- type expressions ------------------------------------------------

    def check_bounds(self, value, key, low_limit):
        if (not isinstance(value, list) or len(value) != 2 or not all(map(_is_int, value))):
            self.report("%s must be [lower, upper], got %r" % (key, value))
            return
        lb, ub = value
        if lb > ub:
            self.report("%s %d..%d is empty" % (key, lb, ub))
        if lb < low_limit or ub > UINT32_MAX:
            self.report("%s %d..%d does not fit 32 bits" % (key, lb, ub))

    def check_element(self, element):
        if element in SIMPLE_TYPES:
            return
        if isinstance(element, str) and REFERENCE.match(element):
            self.references.append((self.where, element))
        else:
            self.report("list element type %r is neither a simple type nor MODULE.Type" % (element,))

    def check_type_expression(self, d):
        """The "type" of a member (or of an alias type) with its constraint keys."""
        t = d.get("type")
        if t in SIMPLE_TYPES or t in LIST_TYPES:
            if "range" in d:
                if t == "INTEGER":
                    self.check_bounds(d["range"], "range", INT32_MIN)
                else:
                    self.report("range on %s" % t)
            if "size" in d:
                if t in ("OCTET STRING", "IA5String") or t in LIST_TYPES:
                    self.check_bounds(d["size"], "size", 0)
                else:
                    self.report("size on %s" % t)
            if t in LIST_TYPES:
                if "of" in d:
                    self.check_element(d["of"])
                else:
                    self.report("%s without \"of\"" % t)
            elif "of" in d:
                self.report("\"of\" on %s" % t)
        elif isinstance(t, str) and REFERENCE.match(t):
            self.references.append((self.where, t))
            for key in ("range", "size", "of"):
                if key in d:
                    self.report("%r on a type reference" % key)
        else:
            self.report("unknown type %r" % (t,))

    def check_keys(self, d, allowed, required):
        for key in sorted(set(d) - allowed):
            self.report("unknown key %r" % key)
        for key in sorted(required - set(d)):
            self.report("missing key %r" % key)

    # --- members ---------------------------------------------------------

    def check_members(self, definition, root_key, numbered):
        parent = self.where
        root = definition.get(root_key, [])
        additions = definition.get("additions", [])
        if not isinstance(root, list) or not isinstance(additions, list):
            self.report("%s and additions must be lists" % root_key)
            return
        if additions and definition.get("extensible") is not True:
            self.report("extension additions on a type without \"extensible\": true")
        if numbered and not root:
            self.report("CHOICE without root alternatives")
        names = []
        position = -1
        for is_addition, members in ((False, root), (True, additions)):
            for m in members:
                position += 1
                if not isinstance(m, dict):
                    self.where = parent
                    self.report("member %r is not an object" % (m,))
                    continue
                name = m.get("name")
                self.where = "%s.%s" % (parent, name)
                allowed = set(MEMBER_KEYS)
                if numbered:
                    allowed.add("number")
                elif not is_addition:
                    allowed |= {"optional", "default"}
                self.check_keys(m, allowed, {"name", "type"} | ({"number"} if numbered else set()))
                if self.check_identifier(name, MEMBER_NAME, "member"):
                    names.append(name)
                self.check_type_expression(m)
                if "optional" in m and m["optional"] is not True:
                    self.report("\"optional\" must be true when given")
                if "optional" in m and "default" in m:
                    self.report("both optional and default")
                if numbered and "number" in m and (not _is_int(m["number"]) or m["number"] != position):
                    self.report("alternative numbered %r, expected %d (numbers run 0, 1, 2 ... "
                                "without gaps, additions continuing the root)" % (m["number"], position))
        self.where = parent
        self.check_unique(names, "member")

    def check_enumeration(self, definition):
        items = definition.get("items", [])
        constants = definition.get("constants", [])
        names, values = [], []
        for key, entries in (("items", items), ("constants", constants)):
            if not isinstance(entries, list):
                self.report("%s must be a list" % key)
                continue
            for entry in entries:
                if (not isinstance(entry, list) or len(entry) != 2 or not _is_int(entry[1])):
                    self.report("%s entry %r is not [name, number]" % (key, entry))
                    continue
                name, number = entry
                if self.check_identifier(name, MEMBER_NAME, "enumeration item"):
                    names.append(name)
                if key == "items":
                    values.append(number)
                    if number < 0 or number > 2**31 - 1:
                        self.report("item %r has number %d outside 0..2147483647" % (name, number))
        if not items:
            self.report("ENUMERATED without items")
        self.check_unique(names, "enumeration item")
        declared = definition.get("max")
        if not _is_int(declared):
            self.report("max must be a whole number, got %r" % (declared,))
        elif values and declared != max(values):
            self.report("max %d is not the largest item number %d" % (declared, max(values)))

    # --- types and modules -----------------------------------------------

    def check_type(self, definition):
        kind = definition.get("type")
        if kind in TYPE_KEYS:
            self.check_keys(definition, TYPE_KEYS[kind], {"name", "type"} | (
                {"alternatives"} if kind == "CHOICE" else
                {"items", "max"} if kind == "ENUMERATED" else set()))
        else:
            self.check_keys(definition, MEMBER_KEYS, {"name", "type"})
            self.check_type_expression(definition)
            return
        if "extensible" in definition and definition["extensible"] is not True:
            self.report("\"extensible\" must be true when given")
        if kind == "SEQUENCE":
            self.check_members(definition, "fields", numbered=False)
        elif kind == "CHOICE":
            self.check_members(definition, "alternatives", numbered=True)
        elif kind == "ENUMERATED":
            self.check_enumeration(definition)

    def check_module(self, filename, doc):
        self.where = filename
        if not isinstance(doc, dict):
            self.report("not a JSON object")
            return
        self.check_keys(doc, {"module", "types"}, {"module", "types"})
        module = doc.get("module")
        if not isinstance(module, str) or not MODULE_NAME.match(module):
            self.report("module name %r is not an upper-case identifier" % (module,))
            return
        if filename != module + ".json":
            self.report("module %s must be in %s.json" % (module, module))
        spelled = cxx_name(module)
        if spelled in CXX_KEYWORDS or spelled in C_MACROS:
            self.report("module name %r is reserved in C++" % module)
        types = doc.get("types")
        if not isinstance(types, list) or not types:
            self.report("\"types\" must be a non-empty list")
            return
        names = []
        for definition in types:
            self.where = filename
            if not isinstance(definition, dict):
                self.report("type entry %r is not an object" % (definition,))
                continue
            name = definition.get("name")
            self.where = "%s: %s.%s" % (filename, module, name)
            if not self.check_identifier(name, TYPE_NAME, "type"):
                continue
            names.append(name)
            self.types.setdefault("%s.%s" % (module, name), definition)
            self.check_type(definition)
        self.where = "%s: %s" % (filename, module)
        self.check_unique(names, "type")

    def run(self):
        modules = {}
        for filename in sorted(self.docs):
            doc = self.docs[filename]
            module = doc.get("module") if isinstance(doc, dict) else None
            if module in modules:
                self.report("module %s is also defined in %s" % (module, modules[module]), filename)
                continue
            if isinstance(module, str):
                modules[module] = filename
            self.check_module(filename, doc)
        for where, target in self.references:
            if target not in self.types:
                self.report("reference to undefined type %s" % target, where)
        return self.problems


def check(docs):
    """Returns the problems of the parsed module files (file name -> content)."""
    return _Checker(docs).run()


def main(argv):
    if len(argv) > 2:
        sys.stderr.write("usage: %s [DIRECTORY]\n" % argv[0])
        return 2
    directory = argv[1] if len(argv) == 2 else os.path.dirname(os.path.abspath(__file__))
    docs, problems = load_directory(directory)
    problems += check(docs)
    for line in problems:
        print(line)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
