#!/usr/bin/env python3
"""Tests of the schema checker and of the module files it guards."""

import contextlib
import copy
import io
import json
import os
import sys
import tempfile
import unittest

SCHEMA_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "protocol", "schemas")
sys.path.insert(0, SCHEMA_DIR)
sys.dont_write_bytecode = True  # keep the source tree clean

import check_schemas  # noqa: E402


def base_modules():
    """A small consistent pair of modules that every fault case starts from."""
    return {
        "AAA.json": {"module": "AAA", "types": [
            {"name": "Top", "type": "SEQUENCE", "extensible": True, "fields": [
                {"name": "rx-gain", "type": "INTEGER", "range": [0, 255], "optional": True},
                {"name": "body", "type": "AAA.Body"},
                {"name": "list", "type": "SEQUENCE OF", "of": "BBB.Item"},
            ], "additions": [
                {"name": "late", "type": "BOOLEAN"},
            ]},
            {"name": "Body", "type": "CHOICE", "extensible": True, "alternatives": [
                {"number": 0, "name": "none", "type": "NULL"},
                {"number": 1, "name": "mode", "type": "AAA.Mode"},
            ], "additions": [
                {"number": 2, "name": "text", "type": "IA5String", "size": [1, 64]},
            ]},
            {"name": "Mode", "type": "ENUMERATED", "max": 46, "items": [
                ["off", 0], ["on-air", 8], ["ef", 46],
            ], "constants": [["count", 3]]},
        ]},
        "BBB.json": {"module": "BBB", "types": [
            {"name": "Item", "type": "SEQUENCE", "fields": [{"name": "v", "type": "OCTET STRING"}]},
            {"name": "Opaque", "type": "unavailable"},
        ]},
    }


def top(docs):
    return docs["AAA.json"]["types"][0]


def body(docs):
    return docs["AAA.json"]["types"][1]


def mode(docs):
    return docs["AAA.json"]["types"][2]


FAULTS = [
    # (what is broken, mutation, expected text of the single problem line)
    ("dangling field reference",
     lambda d: top(d)["fields"][1].update(type="AAA.Missing"),
     "AAA.Top.body: reference to undefined type AAA.Missing"),
    ("dangling list element",
     lambda d: top(d)["fields"][2].update(of="CCC.Item"),
     "reference to undefined type CCC.Item"),
    ("max below the largest number",
     lambda d: mode(d).update(max=45),
     "max 45 is not the largest item number 46"),
    ("max taken from a constant",
     lambda d: mode(d)["constants"].append(["limit", 99]) or mode(d).update(max=99),
     "max 99 is not the largest item number 46"),
    ("gap in the alternatives",
     lambda d: body(d)["alternatives"].pop(1),
     "AAA.Body.text: alternative numbered 2, expected 1"),
    ("additions restarting at 0",
     lambda d: body(d)["additions"][0].update(number=0),
     "AAA.Body.text: alternative numbered 0, expected 2"),
    ("accessor clash between hyphen and underscore",
     lambda d: top(d)["fields"].append({"name": "rx_gain", "type": "BOOLEAN"}),
     "member names 'rx-gain' and 'rx_gain' clash as 'rx_gain'"),
    ("enumerator clash with a constant",
     lambda d: mode(d)["constants"].append(["on_air", 9]),
     "enumeration item names 'on-air' and 'on_air' clash"),
    ("keyword field",
     lambda d: top(d)["fields"][0].update(name="delete"),
     "member name 'delete' is the C++ keyword 'delete'"),
    ("keyword after hyphen conversion",
     lambda d: mode(d)["items"][0].__setitem__(0, "and-eq"),
     "is the C++ keyword 'and_eq'"),
    ("keyword alternative",
     lambda d: body(d)["alternatives"][0].update(name="union"),
     "member name 'union' is the C++ keyword"),
    ("keyword type name",
     lambda d: d["BBB.json"]["types"][1].update(name="class"),
     "type name 'class' is the C++ keyword"),
    ("C library macro",
     lambda d: mode(d)["items"][0].__setitem__(0, "major"),
     "is the C library macro 'major'"),
    ("duplicate type",
     lambda d: d["BBB.json"]["types"].append({"name": "Item", "type": "unavailable"}),
     "BBB.json: BBB: duplicate type name 'Item'"),
    ("duplicate field",
     lambda d: top(d)["additions"].append({"name": "body", "type": "NULL"}),
     "duplicate member name 'body'"),
    ("duplicate item",
     lambda d: mode(d)["items"].append(["off", 1]),
     "duplicate enumeration item name 'off'"),
    ("duplicate module",
     lambda d: d.update({"CCC.json": {"module": "BBB", "types": [{"name": "X", "type": "unavailable"}]}}),
     "module BBB is also defined in BBB.json"),
    ("additions without the extension marker",
     lambda d: top(d).pop("extensible"),
     "extension additions on a type without \"extensible\": true"),
    ("misspelt marker",
     lambda d: top(d)["fields"][0].update(optinal=True),
     "unknown key 'optinal'"),
    ("optional alternative",
     lambda d: body(d)["alternatives"][0].update(optional=True),
     "unknown key 'optional'"),
    ("empty range",
     lambda d: top(d)["fields"][0].update(range=[10, 1]),
     "range 10..1 is empty"),
    ("range beyond 32 bits",
     lambda d: top(d)["fields"][0].update(range=[0, 2**32]),
     "does not fit 32 bits"),
    ("size on an integer",
     lambda d: top(d)["fields"][0].update(size=[0, 1]),
     "size on INTEGER"),
    ("list without element type",
     lambda d: top(d)["fields"][2].pop("of"),
     "SEQUENCE OF without \"of\""),
    ("unknown built-in",
     lambda d: top(d)["fields"][1].update(type="REAL"),
     "unknown type 'REAL'"),
    ("module in the wrong file",
     lambda d: d.update({"CCC.json": d.pop("BBB.json")}),
     "module BBB must be in BBB.json"),
    ("unavailable type with members",
     lambda d: d["BBB.json"]["types"][1].update(fields=[]),
     "unknown key 'fields'"),
    ("negative enumeration number",
     lambda d: mode(d)["items"][0].__setitem__(1, -1),
     "item 'off' has number -1 outside"),
]


class CheckerFindsFaults(unittest.TestCase):
    def test_consistent_modules_pass(self):
        self.assertEqual(check_schemas.check(base_modules()), [])

    def test_each_fault_gives_one_line(self):
        for what, mutate, expected in FAULTS:
            with self.subTest(what):
                docs = copy.deepcopy(base_modules())
                mutate(docs)
                problems = check_schemas.check(docs)
                self.assertEqual(len(problems), 1, problems)
                self.assertIn(expected, problems[0])

    def test_files_that_do_not_parse_are_reported(self):
        with tempfile.TemporaryDirectory() as directory:
            for name, text in (("AAA.json", '{"module": "AAA", "module": "AAA", "types": []}'),
                               ("BBB.json", '{"module": '),
                               ("notes.txt", "not a module")):
                with open(os.path.join(directory, name), "w") as f:
                    f.write(text)
            docs, problems = check_schemas.load_directory(directory)
        self.assertEqual(docs, {})
        self.assertEqual(len(problems), 2)
        self.assertIn("AAA.json: cannot load: duplicate key 'module'", problems[0])
        self.assertIn("BBB.json: cannot load", problems[1])

    def test_command_line_exit_status(self):
        with tempfile.TemporaryDirectory() as directory:
            for name, doc in base_modules().items():
                with open(os.path.join(directory, name), "w") as f:
                    json.dump(doc, f)
            out = io.StringIO()
            with contextlib.redirect_stdout(out):
                self.assertEqual(check_schemas.main(["check", directory]), 0)
            self.assertEqual(out.getvalue(), "")
            broken = base_modules()
            mode(broken).update(max=1)
            with open(os.path.join(directory, "AAA.json"), "w") as f:
                json.dump(broken["AAA.json"], f)
            with contextlib.redirect_stdout(out):
                self.assertEqual(check_schemas.main(["check", directory]), 1)
            self.assertEqual(out.getvalue(), "AAA.json: AAA.Mode: max 1 is not the largest item number 46\n")


def load_schemas():
    docs, problems = check_schemas.load_directory(SCHEMA_DIR)
    assert not problems, problems
    return {doc["module"] + "." + t["name"]: t for doc in docs.values() for t in doc["types"]}


def references(definition, skip_alternative=lambda name: False):
    for key in ("fields", "alternatives", "additions"):
        for m in definition.get(key, []):
            if key != "fields" and skip_alternative(m["name"]):
                continue
            for target in (m["type"], m.get("of", "")):
                if "." in target:
                    yield target


def reached(types, root, skip_alternative=lambda name: False):
    seen, todo = set(), [root]
    while todo:
        name = todo.pop()
        if name not in seen:
            seen.add(name)
            todo.extend(references(types[name], skip_alternative))
    return seen


def per_module(names):
    counts = {}
    for name in names:
        module = name.split(".")[0]
        counts[module] = counts.get(module, 0) + 1
    return counts


class ControlLinkTables(unittest.TestCase):
    types = load_schemas()

    def test_message_reaches_every_control_link_type(self):
        # The radio-signalling part of TERM is opaque: only its two entry
        # points are reached, not the 34 types behind them.
        self.assertEqual(per_module(reached(self.types, "ZUZU.Message")),
                         {"ZUZU": 106, "TERM": 35 + 2, "ACP": 10, "HSP": 1, "BASE": 1, "MON": 4, "VUVERI": 152})

    def test_gateway_payloads_reach_the_envelope_part_of_the_packet_module(self):
        line_unit = lambda name: name.startswith(("dli-", "ali-"))
        vuveri = per_module(reached(self.types, "ZUZU.Message", line_unit))["VUVERI"]
        self.assertEqual(vuveri, 93)

    def test_opaque_stand_ins(self):
        opaque = [n for n, t in self.types.items() if t["type"] == "unavailable"]
        self.assertEqual(per_module(opaque), {"TERM": 36 + 98, "ACP": 40, "HSP": 20, "MON": 15,
                                              "MEDIA": 11, "ROUTER": 36, "YACP": 14})
        self.assertEqual(self.types["TERM.RtpParams"]["fields"][9],
                         {"name": "radio", "type": "TERM.RtpRadioRequest", "optional": True})

    def test_alternatives_behind_known_frames(self):
        command = self.types["ZUZU.Command"]
        self.assertEqual(command["alternatives"][12]["name"], "ping")
        self.assertEqual(len(command["alternatives"]), 15)
        self.assertEqual(self.types["ZUZU.ErrorCause"]["items"][2], ["invalidSlot", 2])
        tonec = self.types["ZUZU.TonecCode"]
        self.assertEqual(len(tonec["alternatives"]), 6)
        self.assertEqual(tonec["additions"], [{"number": 6, "name": "dtmfDone", "type": "NULL"}])


if __name__ == "__main__":
    unittest.main()
