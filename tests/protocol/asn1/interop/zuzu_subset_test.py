#!/usr/bin/env python3
"""Tests of the choice of the compared subset of the control-link messages:
which types zuzu_subset.py leaves out (and so writes as NULL), what the C++
side is told to leave out, and the refusal of names that the Erlang side
cannot spell."""

import contextlib
import io
import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zuzu_subset  # noqa: E402


def schema(*types):
    """A ZUZU module whose Message reaches each given type through an
    OPTIONAL field of its own, named f0, f1 ..."""
    fields = [{"name": "f%d" % i, "type": "ZUZU.%s" % t["name"], "optional": True} for i, t in enumerate(types)]
    message = {"name": "Message", "type": "SEQUENCE", "fields": [{"name": "seq", "type": "INTEGER"}] + fields}
    return {"ZUZU.json": {"module": "ZUZU", "types": [message] + list(types)}}


def alias(name, member):
    return dict(member, name=name)


def enumerated(name, numbers):
    return {"name": name, "type": "ENUMERATED", "max": max(numbers),
            "items": [["i%d" % n, n] for n in numbers]}


def sequence(name, *fields):
    return {"name": name, "type": "SEQUENCE", "fields": list(fields)}


class Classification(unittest.TestCase):
    CASES = [
        # (what, the type, left out)
        ("a stand-in", {"name": "T", "type": "unavailable"}, True),
        ("items 0, 1, 2", enumerated("T", [0, 1, 2]), False),
        ("items with a gap", enumerated("T", [0, 1, 5]), True),
        ("items out of order", enumerated("T", [1, 0]), True),
        ("octets without a size", alias("T", {"type": "OCTET STRING"}), False),
        ("octets of a fixed size of 2", alias("T", {"type": "OCTET STRING", "size": [2, 2]}), False),
        ("octets of 1 to 8", alias("T", {"type": "OCTET STRING", "size": [1, 8]}), True),
        ("octets of 3 to 8", alias("T", {"type": "OCTET STRING", "size": [3, 8]}), False),
        ("characters of 1 to 2", alias("T", {"type": "IA5String", "size": [1, 2]}), True),
        ("characters of 1 to 64", alias("T", {"type": "IA5String", "size": [1, 64]}), False),
        ("a field with a default", sequence("T", {"name": "d", "type": "INTEGER", "default": 3}), True),
        ("a list of octets of 1 to 8",
         alias("T", {"type": "SEQUENCE OF", "of": "OCTET STRING", "size": [0, 4]}), False),
    ]

    def test_each_construct_is_in_or_out_as_its_coding_is_x691s_or_not(self):
        for what, t, left_out in self.CASES:
            with self.subTest(what):
                subset = zuzu_subset.Subset(schema(t))
                self.assertEqual(left_out, subset.type_problem("ZUZU.T") is not None)

    def test_a_type_is_left_out_with_what_it_cannot_do_without(self):
        gap = enumerated("Gap", [0, 4])
        needs = sequence("Needs", {"name": "g", "type": "ZUZU.Gap"})
        copes = sequence("Copes", {"name": "g", "type": "ZUZU.Gap", "optional": True},
                         {"name": "n", "type": "NULL"})
        listed = alias("Listed", {"type": "SET OF", "of": "ZUZU.Gap"})
        only_gap = {"name": "OnlyGap", "type": "CHOICE", "extensible": True,
                    "alternatives": [{"number": 0, "name": "g", "type": "ZUZU.Gap"}],
                    "additions": [{"number": 1, "name": "l", "type": "ZUZU.Listed"}]}
        subset = zuzu_subset.Subset(schema(gap, needs, copes, listed, only_gap))
        left_out = {n for n in ["ZUZU.Needs", "ZUZU.Copes", "ZUZU.Listed", "ZUZU.OnlyGap"]
                    if subset.type_problem(n)}
        self.assertEqual({"ZUZU.Needs", "ZUZU.Listed", "ZUZU.OnlyGap"}, left_out)
        self.assertEqual([(0, 0)], subset.weights("ZUZU.Copes"))


class Files(unittest.TestCase):
    def run_script(self, docs):
        with tempfile.TemporaryDirectory() as root:
            schemas, out = os.path.join(root, "schemas"), os.path.join(root, "out")
            os.mkdir(schemas)
            for name, doc in docs.items():
                with open(os.path.join(schemas, name), "w", encoding="utf-8") as f:
                    json.dump(doc, f)
            errors = io.StringIO()
            with contextlib.redirect_stderr(errors):
                status = zuzu_subset.main(["zuzu_subset.py", schemas, out])
            files = {}
            if status == 0:
                for name in os.listdir(out):
                    with open(os.path.join(out, name), encoding="utf-8") as f:
                        files[name] = f.read()
            return status, files, errors.getvalue()

    def test_left_out_members_have_weight_0_and_alternatives_the_types_below_them(self):
        pick = {"name": "Pick", "type": "CHOICE", "alternatives": [
            {"number": 0, "name": "none", "type": "NULL"},
            {"number": 1, "name": "gap", "type": "ZUZU.Gap"},
            {"number": 2, "name": "pair", "type": "ZUZU.Pair_of"}]}
        pair = sequence("Pair_of", {"name": "a_b", "type": "ZUZU.Colour"}, {"name": "c", "type": "INTEGER"})
        status, files, errors = self.run_script(
            schema(pick, pair, enumerated("Gap", [0, 2]), enumerated("Colour", [0, 1])))
        self.assertEqual(0, status, errors)
        self.assertEqual(["ZUZU.Message 3 0", "ZUZU.Pick 0 1", "ZUZU.Pick 1 0", "ZUZU.Pick 2 3"],
                         files["ZuzuInterop.weights"].split("\n")[:-1])
        asn = files["ZuzuInterop.asn"]
        self.assertIn("ZUZU-Gap ::= NULL -- outside the compared subset", asn)
        self.assertIn("ZUZU-Pair-of ::= SEQUENCE {\n    a-b ZUZU-Colour,\n    c INTEGER\n}", asn)
        self.assertIn("{type, 'ZUZU-Pick', {choice, [{'none', 1, null}, {'pair', 3, {ref, 'ZUZU-Pair-of'}}]}}.",
                      files["ZuzuInterop.terms"])

    def test_names_the_erlang_side_cannot_spell_are_refused(self):
        odd = sequence("Odd", {"name": "Rx", "type": "NULL"}, {"name": "Tx", "type": "BOOLEAN"})
        status, files, errors = self.run_script(schema(odd))
        self.assertEqual(1, status)
        self.assertEqual("ZUZU.Odd: Rx is no ASN.1 identifier\nZUZU.Odd: Tx is no ASN.1 identifier\n", errors)
        self.assertEqual({}, files)


if __name__ == "__main__":
    unittest.main()
