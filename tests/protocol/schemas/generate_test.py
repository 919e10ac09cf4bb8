#!/usr/bin/env python3
"""Tests of the code generator's refusals and of its file handling.

What the generated C++ means is tested by the C++ tests on the sample and
the real modules; here: every fault stops the generation with a clear line
and exit status 1 before any file is written, and a second run rewrites
nothing that did not change (so the build does not recompile it).
"""

import json
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "..", "..", "..", "protocol", "schemas", "generate.py")


def modules():
    return {
        "AAA": {"module": "AAA", "types": [
            {"name": "Top", "type": "SEQUENCE", "extensible": True, "fields": [
                {"name": "rx-gain", "type": "INTEGER", "range": [0, 255], "optional": True},
                {"name": "body", "type": "AAA.Body"},
            ], "additions": [{"name": "late", "type": "BOOLEAN"}]},
            {"name": "Body", "type": "CHOICE", "alternatives": [
                {"number": 0, "name": "none", "type": "NULL"},
                {"number": 1, "name": "mode", "type": "AAA.Mode"},
                {"number": 2, "name": "item", "type": "BBB.Item"},
            ]},
            {"name": "Mode", "type": "ENUMERATED", "max": 8, "items": [["off", 0], ["on-air", 8]]},
        ]},
        "BBB": {"module": "BBB", "types": [
            {"name": "Item", "type": "SEQUENCE", "fields": [{"name": "v", "type": "OCTET STRING"}]},
            {"name": "Short", "type": "IA5String", "size": [1, 4]},
        ]},
    }


def top(m):
    return m["AAA"]["types"][0]


def body(m):
    return m["AAA"]["types"][1]


def mode(m):
    return m["AAA"]["types"][2]


def item(m):
    return m["BBB"]["types"][0]


FAULTS = [
    # (what is broken, mutation, text expected on standard error); the
    # checker's own faults are tested with the checker, one stands for all.
    ("dangling reference", lambda m: top(m)["fields"][1].update(type="AAA.Missing"),
     "AAA.Top.body: reference to undefined type AAA.Missing"),
    ("accessor hiding an inherited member", lambda m: item(m)["fields"].append({"name": "from", "type": "NULL"}),
     "BBB.Item: the C++ name get_from clashes with a member of the generated class"),
    ("alternative hiding an inherited member", lambda m: body(m)["alternatives"][0].update(name="select"),
     "AAA.Body: the C++ name select clashes"),
    ("item hiding an inherited member", lambda m: mode(m)["items"][0].__setitem__(0, "setValue"),
     "AAA.Mode: the C++ name setValue clashes"),
    ("alternative named as its class", lambda m: body(m)["alternatives"][0].update(name="Body"),
     "AAA.Body: the C++ name Body clashes"),
    ("type name hiding a namespace", lambda m: m["BBB"]["types"].append({"name": "AAA", "type": "NULL"}),
     "BBB.AAA: the type name hides the namespace AAA"),
    ("type referring to itself", lambda m: item(m)["fields"].append({"name": "next", "type": "BBB.Item"}),
     "types refer to each other in a cycle: BBB.Item -> BBB.Item"),
    ("modules referring to each other",
     lambda m: item(m)["fields"].append({"name": "back", "type": "AAA.Mode"}),
     "modules refer to each other in a cycle"),
    ("list of a sized alias", lambda m: item(m)["fields"].append(
        {"name": "names", "type": "SEQUENCE OF", "of": "BBB.Short"}),
     "a list of the constrained alias BBB.Short cannot carry its constraint"),
    ("list of an alias of a sized alias", lambda m: (
        m["BBB"]["types"].append({"name": "Nick", "type": "BBB.Short"}),
        item(m)["fields"].append({"name": "nicks", "type": "SET OF", "of": "BBB.Nick"})),
     "a list of the constrained alias BBB.Nick cannot carry its constraint"),
]


class GeneratorTest(unittest.TestCase):
    def run_generator(self, mods):
        self.tmp = tempfile.TemporaryDirectory()
        schema_dir = os.path.join(self.tmp.name, "schemas")
        out_dir = os.path.join(self.tmp.name, "out")
        os.mkdir(schema_dir)
        for name, doc in mods.items():
            with open(os.path.join(schema_dir, name + ".json"), "w") as f:
                json.dump(doc, f)
        result = subprocess.run([sys.executable, "-B", GENERATOR, schema_dir, out_dir],
                                capture_output=True, text=True)
        return result, out_dir

    def tearDown(self):
        self.tmp.cleanup()

    def test_each_fault_stops_the_generation_before_anything_is_written(self):
        for what, mutate, expected in FAULTS:
            with self.subTest(what):
                mods = modules()
                mutate(mods)
                result, out_dir = self.run_generator(mods)
                self.assertEqual(1, result.returncode)
                self.assertIn(expected, result.stderr)
                self.assertIn("no message classes generated", result.stderr)
                self.assertFalse(os.path.exists(out_dir))
                self.tmp.cleanup()

    def test_a_second_run_rewrites_nothing_that_did_not_change(self):
        result, out_dir = self.run_generator(modules())
        self.assertEqual(0, result.returncode, result.stderr)
        self.assertEqual("", result.stdout + result.stderr)
        expected = {"AAA.h", "AAA.cpp", "BBB.h", "BBB.cpp", "AllTypes.cpp", "TypeList.inc", "Descriptions.inc"}
        self.assertEqual(expected, set(os.listdir(out_dir)))
        for name in expected:
            os.utime(os.path.join(out_dir, name), ns=(1, 1))
        schema_dir = os.path.join(self.tmp.name, "schemas")
        changed = modules()
        mode(changed)["items"].append(["standby", 9])
        mode(changed)["max"] = 9
        with open(os.path.join(schema_dir, "AAA.json"), "w") as f:
            json.dump(changed["AAA"], f)
        subprocess.run([sys.executable, "-B", GENERATOR, schema_dir, out_dir], check=True)
        rewritten = {name for name in expected if os.stat(os.path.join(out_dir, name)).st_mtime_ns != 1}
        self.assertEqual({"AAA.h", "AAA.cpp", "Descriptions.inc"}, rewritten)


if __name__ == "__main__":
    unittest.main()
