#!/usr/bin/env python3
"""Tests of the layering check on small source trees of its own."""

import contextlib
import importlib.util
import io
import os
import pathlib
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean
SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check-layers.py")
spec = importlib.util.spec_from_file_location("check_layers", SCRIPT)
check_layers = importlib.util.module_from_spec(spec)
spec.loader.exec_module(check_layers)


def faults_of(files):
    """The check's verdict and report on a tree holding the given files."""
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            path = pathlib.Path(root, name)
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        report = io.StringIO()
        with contextlib.redirect_stdout(report):
            status = check_layers.main(root)
        return status, report.getvalue()


def including(header):
    return '#include "%s"\n' % header


class LayeringTest(unittest.TestCase):
    def test_includes_of_the_own_layer_and_below_pass(self):
        status, report = faults_of({
            "protocol/asn1/per/PERDecoder.cpp": including("protocol/asn1/per/PERDecoder.h")
            + including("protocol/asn1/value/Values.h") + including("runtime/base/Fd.h"),
            "protocol/asn1/CoderEnv.cpp": including("protocol/asn1/ber/BERDecoder.h")
            + including("protocol/asn1/notation/AVNDecoder.h"),
            "tests/anything_test.cpp": including("core/Server.h"),
        })
        self.assertEqual((0, ""), (status, report))

    def test_includes_above_or_beside_the_own_layer_are_reported(self):
        cases = [
            ("protocol/asn1/value/Choice.cpp", "protocol/asn1/ber/BERTags.h", "is above"),
            ("protocol/asn1/value/Visitor.cpp", "protocol/asn1/ASN1.h", "is above"),
            ("protocol/asn1/per/PERDecoder.cpp", "protocol/asn1/CoderEnv.h", "is above"),
            ("protocol/asn1/ber/BERDecoder.cpp", "protocol/asn1/per/PERBitReader.h", "stands beside"),
            ("protocol/asn1/constraints/ConstraintChecks.cpp", "protocol/asn1/notation/ValueNotation.h",
             "stands beside"),
            ("runtime/base/Fd.cpp", "runtime/loop/Event.h", "is above"),
        ]
        for source, header, verdict in cases:
            with self.subTest(source=source, header=header):
                status, report = faults_of({source: including(header)})
                self.assertEqual(1, status)
                self.assertIn("%s: includes %s" % (source, header), report)
                self.assertIn(verdict, report)


if __name__ == "__main__":
    unittest.main()
