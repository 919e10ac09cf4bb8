#!/usr/bin/env python3
"""Writes the Erlang side's view of the control-link messages for the
interoperability test: the types reached from ZUZU.Message, restricted to
the part on which this system's PER coding and X.691 agree.

Usage: zuzu_subset.py SCHEMA_DIRECTORY OUTPUT_DIRECTORY

Writes into OUTPUT_DIRECTORY:
  ZuzuInterop.asn    one ASN.1 module (automatic tags) with every type
                     reached from ZUZU.Message, named MODULE-Type, each
                     underscore of a name turned into a hyphen;
  ZuzuInterop.terms  the compared subset as Erlang terms, from which the
                     Erlang side makes its random values;
  ZuzuInterop.weights
                     one line "MODULE.Type NUMBER WEIGHT" per CHOICE
                     alternative (by number) and per OPTIONAL field or
                     extension addition (by field index) outside the subset,
                     which has the weight 0: how often the C++ side's random
                     values select the member.
Both sides select a CHOICE alternative with a weight of 1 plus the number of
types of the subset reached through it, so that random messages reach the
types about evenly, not the short answers mostly.

Outside the subset, and written as NULL in the ASN.1 module, are the types
whose coding here is not X.691's:
  - stand-ins ("unavailable"), which have no coding at all;
  - ENUMERATED types whose items are not numbered 0, 1, 2 ... in order
    (coded here by number, in X.691 by position);
  - OCTET STRING with a size range that admits 1 or 2 octets (never aligned
    here, aligned in X.691), IA5String with a size range whose characters
    fit in 16 bits (the same), and BIT STRING (none in these modules; above
    16 bits it ends octet-aligned here, not in X.691);
  - SEQUENCE types with a DEFAULT field (none in these modules; X.691
    leaves out a value equal to the default) or with a mandatory field
    outside the subset, lists of elements outside it and CHOICE types
    without an alternative inside it.
Extension values of ENUMERATED types (coded differently) are left out by
both sides' generators. Nothing the modules use needs the other departures
(lower-bound-only integers, more than 64 additions, fragmented lengths).

Standard library only.
"""

import os
import re
import sys

SCHEMA_TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "..", "protocol", "schemas")
sys.path.insert(0, os.path.abspath(SCHEMA_TOOLS))
import check_schemas  # noqa: E402
from generate import write_if_changed  # noqa: E402

TOP = "ZUZU.Message"
MODULE = "ZuzuInterop"

TYPE_REFERENCE = re.compile(r"^[A-Z][A-Za-z0-9]*(-[A-Za-z0-9]+)*$")
IDENTIFIER = re.compile(r"^[a-z][A-Za-z0-9]*(-[A-Za-z0-9]+)*$")


def asn_type_name(qualified):
    return qualified.replace(".", "-").replace("_", "-")


def asn_identifier(name):
    return name.replace("_", "-")


def erlang_atom(name):
    return "'" + name.replace("\\", "\\\\").replace("'", "\\'") + "'"


class Subset:
    def __init__(self, docs):
        self.types = {}
        for doc in docs.values():
            for t in doc["types"]:
                self.types[doc["module"] + "." + t["name"]] = t
        self.reasons = {}  # qualified name -> why it is outside the subset (None: inside)

    # Compatibility --------------------------------------------------------

    def member_problem(self, member):
        """Why a member's type departs from X.691 (None when it does not)."""
        kind = member["type"]
        size = member.get("size")
        if kind in ("SEQUENCE OF", "SET OF"):
            element = member["of"]
            if "." in element:
                return self.type_problem(element)
            return self.member_problem({"name": member["name"], "type": element})
        if kind == "OCTET STRING" and size and size[0] != size[1] and size[0] <= 2 and size[1] >= 1:
            return "an OCTET STRING of 1 or 2 octets in a size range"
        if kind == "IA5String" and size and size[0] != size[1] and size[1] * 8 <= 16:
            return "an IA5String of at most 16 bits in a size range"
        if kind == "BIT STRING":
            return "a BIT STRING"
        if "." in kind:
            return self.type_problem(kind)
        return None

    def type_problem(self, name):
        if name in self.reasons:
            return self.reasons[name]
        self.reasons[name] = None  # the modules have no recursive types
        t = self.types[name]
        kind = t["type"]
        problem = None
        if kind == "unavailable":
            problem = "a stand-in"
        elif kind == "ENUMERATED":
            if [n for _, n in t["items"]] != list(range(len(t["items"]))) or t["max"] != len(t["items"]) - 1:
                problem = "items not numbered 0, 1, 2 ..."
        elif kind == "SEQUENCE":
            if any("default" in f for f in t["fields"]):
                problem = "a DEFAULT field (which X.691 leaves out when it holds its default)"
            for f in t["fields"]:
                if problem:
                    break
                if not f.get("optional") and self.member_problem(f):
                    problem = "mandatory field %s: %s" % (f["name"], self.member_problem(f))
                    break
        elif kind == "CHOICE":
            if all(self.member_problem(a) for a in t["alternatives"] + t.get("additions", [])):
                problem = "no alternative in the subset"
        else:
            problem = self.member_problem(t)
        self.reasons[name] = problem
        return problem

    def reached(self):
        """Every type reached from the top, the top first, each once."""
        order, seen = [], set()

        def visit(name):
            if name in seen:
                return
            seen.add(name)
            order.append(name)
            if self.type_problem(name):
                return
            for m in self.members(self.types[name]):
                for ref in (m["type"], m.get("of", "")):
                    if "." in ref:
                        visit(ref)

        visit(TOP)
        return order

    @staticmethod
    def members(t):
        if t["type"] == "SEQUENCE":
            return t["fields"] + t.get("additions", [])
        if t["type"] == "CHOICE":
            return t["alternatives"] + t.get("additions", [])
        if t["type"] in ("ENUMERATED", "unavailable"):
            return []
        return [t]

    # ASN.1 ----------------------------------------------------------------

    def asn_member_type(self, m):
        kind = m["type"]
        size = m.get("size")
        constraint = " (SIZE (%d..%d))" % tuple(size) if size else ""
        if kind in ("SEQUENCE OF", "SET OF"):
            element = m["of"]
            element = asn_type_name(element) if "." in element else element
            return "%s%s OF %s" % (kind.split()[0], constraint, element)
        if "." in kind:
            return asn_type_name(kind)
        if kind == "INTEGER" and "range" in m:
            return "INTEGER (%d..%d)" % tuple(m["range"])
        return kind + constraint

    def asn_type(self, name):
        t = self.types[name]
        problem = self.type_problem(name)
        head = "%s ::= " % asn_type_name(name)
        if problem:
            return head + "NULL -- outside the compared subset: %s" % problem
        kind = t["type"]
        if kind == "ENUMERATED":
            items = [asn_identifier(n) for n, _ in t["items"]] + (["..."] if t.get("extensible") else [])
            return head + "ENUMERATED { %s }" % ", ".join(items)
        if kind in ("SEQUENCE", "CHOICE"):
            root = t["fields"] if kind == "SEQUENCE" else t["alternatives"]
            lines = []
            for m in root:
                optional = " OPTIONAL" if m.get("optional") else ""
                lines.append("%s %s%s" % (asn_identifier(m["name"]), self.asn_member_type(m), optional))
            if t.get("extensible"):
                lines.append("...")
                # Additions are present or absent here, whatever the schema.
                optional = " OPTIONAL" if kind == "SEQUENCE" else ""
                for m in t.get("additions", []):
                    lines.append("%s %s%s" % (asn_identifier(m["name"]), self.asn_member_type(m), optional))
            if not lines:
                return head + kind + " { }"
            return head + kind + " {\n    " + ",\n    ".join(lines) + "\n}"
        return head + self.asn_member_type(t)

    # Erlang description ---------------------------------------------------

    def erlang_member(self, m):
        kind = m["type"]
        if kind in ("SEQUENCE OF", "SET OF"):
            element = m["of"]
            inner = {"name": m["name"], "type": element}
            if "size" in m:
                return "{list, %d, %d, %s}" % (m["size"][0], m["size"][1], self.erlang_member(inner))
            return "{list, %s}" % self.erlang_member(inner)
        if "." in kind:
            return "{ref, %s}" % erlang_atom(asn_type_name(kind))
        bounds = m.get("range") or m.get("size")
        simple = {"NULL": "null", "BOOLEAN": "boolean", "INTEGER": "integer", "OCTET STRING": "octets",
                  "IA5String": "ia5", "OBJECT IDENTIFIER": "oid"}[kind]
        return "{%s, %d, %d}" % (simple, bounds[0], bounds[1]) if bounds else simple

    def erlang_type(self, name):
        t = self.types[name]
        kind = t["type"]
        atom = erlang_atom(asn_type_name(name))
        if kind == "ENUMERATED":
            body = "{enumerated, [%s]}" % ", ".join(erlang_atom(asn_identifier(n)) for n, _ in t["items"])
        elif kind == "SEQUENCE":
            fields = []
            for f in t["fields"]:
                presence = "optional" if f.get("optional") else "mandatory"
                fields.append((presence, f))
            fields += [("optional", f) for f in t.get("additions", [])]
            body = "{sequence, [%s]}" % ", ".join(
                "{absent, null}" if presence == "optional" and self.member_problem(f)
                else "{%s, %s}" % (presence, self.erlang_member(f)) for presence, f in fields)
        elif kind == "CHOICE":
            alternatives = [a for a in t["alternatives"] + t.get("additions", []) if not self.member_problem(a)]
            body = "{choice, [%s]}" % ", ".join(
                "{%s, %d, %s}" % (erlang_atom(asn_identifier(a["name"])), self.weight(a), self.erlang_member(a))
                for a in alternatives)
        else:
            body = "{alias, %s}" % self.erlang_member(t)
        return "{type, %s, %s}." % (atom, body)

    # Weights ----------------------------------------------------------------

    def types_below(self, member):
        """The types of the subset that a member of the subset reaches."""
        found = set()

        def visit(m):
            for ref in (m["type"], m.get("of", "")):
                if "." in ref and ref not in found:
                    found.add(ref)
                    for inner in self.members(self.types[ref]):
                        if not self.member_problem(inner):
                            visit(inner)

        visit(member)
        return found

    def weight(self, member):
        return 0 if self.member_problem(member) else 1 + len(self.types_below(member))

    def weights(self, name):
        """(member number, weight) of every CHOICE alternative and of every
        OPTIONAL field and addition outside the subset."""
        t = self.types[name]
        if t["type"] == "SEQUENCE":
            members = list(enumerate(t["fields"] + t.get("additions", [])))
            return [(i, 0) for i, f in members
                    if (f.get("optional") or i >= len(t["fields"])) and self.member_problem(f)]
        if t["type"] == "CHOICE":
            return [(a["number"], self.weight(a)) for a in t["alternatives"] + t.get("additions", [])]
        return []


def check_names(subset, names):
    """Names the Erlang side's module cannot spell (the schema checker has
    already refused names that differ only in hyphens and underscores)."""
    problems = []
    for name in names:
        if not TYPE_REFERENCE.match(asn_type_name(name)):
            problems.append("%s: %s is no ASN.1 type reference" % (name, asn_type_name(name)))
        t = subset.types[name]
        identifiers = [n for n, _ in t["items"]] if t["type"] == "ENUMERATED" else \
            [m["name"] for m in subset.members(t)] if t["type"] in ("SEQUENCE", "CHOICE") else []
        for identifier in identifiers:
            if not IDENTIFIER.match(asn_identifier(identifier)):
                problems.append("%s: %s is no ASN.1 identifier" % (name, asn_identifier(identifier)))
    return problems


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: zuzu_subset.py SCHEMA_DIRECTORY OUTPUT_DIRECTORY\n")
        return 2
    docs, problems = check_schemas.load_directory(argv[1])
    problems += check_schemas.check(docs) if not problems else []
    if problems:
        sys.stderr.write("".join(p + "\n" for p in problems))
        return 1
    subset = Subset(docs)
    names = subset.reached()
    problems = check_names(subset, names)
    if problems:
        sys.stderr.write("".join(p + "\n" for p in problems))
        return 1

    inside = [n for n in names if not subset.type_problem(n)]
    asn = ["-- Generated by zuzu_subset.py from the schema files. Do not edit.",
           "-- The control-link messages as far as their coding is X.691's.",
           "%s DEFINITIONS AUTOMATIC TAGS ::= BEGIN" % MODULE, ""]
    asn += [subset.asn_type(n) + "\n" for n in names]
    asn.append("END")
    terms = ["%% Generated by zuzu_subset.py from the schema files. Do not edit.",
             "{asn, \"%s.asn\"}." % MODULE,
             "{top, %s}." % erlang_atom(asn_type_name(TOP))]
    terms += [subset.erlang_type(n) for n in inside]
    weights = ["%s %d %d" % (n, i, w) for n in inside for i, w in subset.weights(n)]

    os.makedirs(argv[2], exist_ok=True)
    outputs = {MODULE + ".asn": asn, MODULE + ".terms": terms, MODULE + ".weights": weights}
    for file_name, lines in outputs.items():
        write_if_changed(os.path.join(argv[2], file_name), "".join(line + "\n" for line in lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
