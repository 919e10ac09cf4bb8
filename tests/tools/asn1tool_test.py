#!/usr/bin/env python3
"""Tests of asn1tool as a user runs it.

Usage: asn1tool_test.py [EMULATOR ARGS...] ASN1TOOL
"""

import subprocess
import sys
import unittest

COMMAND = sys.argv[1:]
del sys.argv[1:]

PING_SEQ_SLOT = "{ seq 7, slot 5, pdu command : ping : NULL }"


def run(args, stdin):
    result = subprocess.run(COMMAND + args, input=stdin, capture_output=True, text=True, timeout=60)
    return result.returncode, result.stdout, result.stderr


class Asn1ToolTest(unittest.TestCase):
    def test_encodes_value_notation_to_hexadecimal(self):
        for args, text, octets in [
            (["encode", "ZUZU.Message"], "{ pdu command : ping : NULL }", "06 00"),
            (["encode", "ZUZU.Message"], PING_SEQ_SLOT, "C0 01 07 00 05 18"),
            (["--unaligned", "encode", "ZUZU.Message"], PING_SEQ_SLOT, "C0 01 07 01 46 00"),
            (["encode", "ZUZU.Message"], "{ pdu response : success : NULL }\n", "10"),
            # The CHOICE wrappers [2] and [0] are primitive, as the NULL they hold.
            (["--ber", "encode", "ZUZU.Message"], PING_SEQ_SLOT, "30 0C 80 01 07 81 01 05 82 04 80 02 8C 00"),
        ]:
            with self.subTest(args=args, text=text):
                self.assertEqual((0, octets + "\n", ""), run(args, text))

    def test_decoded_text_encodes_to_the_same_octets(self):
        for variant in ([], ["--unaligned"], ["--ber"]):
            with self.subTest(variant=variant):
                status, octets, _ = run(variant + ["encode", "ZUZU.Message"], PING_SEQ_SLOT)
                self.assertEqual(0, status)
                # White space anywhere in the hexadecimal input is ignored.
                spread = " \n\t".join(octets.split()).lower()
                status, text, errors = run(variant + ["decode", "ZUZU.Message"], spread)
                self.assertEqual((0, ""), (status, errors))
                self.assertIn("ping", text)
                self.assertEqual((0, octets, ""), run(variant + ["encode", "ZUZU.Message"], text))

    def test_failures_exit_1_with_one_line_and_no_output(self):
        for args, stdin, reason in [
            (["encode", "ZUZU.Nothing"], "{}", "no type ZUZU.Nothing"),
            (["encode", "ZUZU.Message"], "{ pdu command : pong : NULL }", "not a value of ZUZU.Message"),
            (["encode", "ZUZU.Message"], "{ slot 1024, pdu command : ping : NULL }", "cannot be encoded"),
            (["encode", "ZUZU.Message"], "{ pdu signal : rtpExt : {} }", "not a value of ZUZU.Message"),
            (["decode", "ZUZU.Message"], "06 0", "in the middle of an octet"),
            (["decode", "ZUZU.Message"], "0x06", "not hexadecimal"),
            (["decode", "ZUZU.Message"], "23 C0", "not a PER aligned encoding of ZUZU.Message"),
            (["--ber", "decode", "ZUZU.Message"], "30 80 00 00", "not a BER encoding of ZUZU.Message"),
            (["decode"], "", "usage"),
            (["transcode", "ZUZU.Message"], "", "usage"),
        ]:
            with self.subTest(args=args, stdin=stdin):
                status, out, errors = run(args, stdin)
                self.assertEqual((1, ""), (status, out))
                self.assertEqual(1, errors.count("\n"), errors)
                self.assertTrue(errors.startswith("asn1tool: "), errors)
                self.assertIn(reason, errors)


if __name__ == "__main__":
    unittest.main()
