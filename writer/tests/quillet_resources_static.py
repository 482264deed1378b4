#!/usr/bin/env python3
"""Quillet's resources read from the program file without running it: both
dialogs with every control, the menu string, the icon images, the version record
and the manifest.

  quillet_resources_static.py Quillet.exe resource.h"""

import os
import re
import struct
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake"))
from pe_file import PeFile  # noqa: E402

RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_MANIFEST = 3, 5, 6, 14, 24
BUTTON, STATIC = "#128", "#130"
WS_VISIBLE, WS_CAPTION, WS_SYSMENU, WS_POPUP = 0x10000000, 0x00C00000, 0x00080000, 0x80000000
DS_MODALFRAME, DS_SETFONT = 0x80, 0x40
WS_EX_CLIENTEDGE, WS_EX_APPWINDOW = 0x200, 0x40000


class Reader:
    def __init__(self, data, at=0):
        self.data, self.at = data, at

    def take(self, form):
        values = struct.unpack_from("<" + form, self.data, self.at)
        self.at += struct.calcsize("<" + form)
        return values if len(values) > 1 else values[0]

    def text(self):
        """A sz_Or_Ord field: "" , "#id" or a string."""
        first = self.take("H")
        if first == 0xFFFF:
            return f"#{self.take('H')}"
        chars = []
        while first:
            chars.append(chr(first))
            first = self.take("H")
        return "".join(chars)

    def align(self):
        self.at += -self.at % 4


def read_dialog(data):
    r = Reader(data)
    version, signature, _, ex_style, style, count, x, y, cx, cy = r.take("HHIIIHhhhh")
    assert (version, signature) == (1, 0xFFFF), "not a DIALOGEX"
    menu, window_class, caption = r.text(), r.text(), r.text()
    point_size, _, _, _ = r.take("HHBB")
    dialog = dict(style=style, ex_style=ex_style, size=(cx, cy), caption=caption, menu=menu,
                  window_class=window_class, point_size=point_size, typeface=r.text(), controls=[])
    for _ in range(count):
        r.align()
        _, _, style, x, y, cx, cy, control_id = r.take("IIIhhhhI")
        control = dict(style=style, at=(x, y), size=(cx, cy), id=control_id & 0xFFFF,
                       window_class=r.text(), title=r.text())
        extra = r.take("H")
        r.at += extra
        dialog["controls"].append(control)
    return dialog


class QuilletResources(unittest.TestCase):
    program = ids = None

    @classmethod
    def setUpClass(cls):
        pe = PeFile(cls.program)
        cls.resources = pe.resources()
        cls.version = pe.version()
        cls.architecture = {"i386": "x86", "x86-64": "amd64"}.get(pe.machine)

    def resource(self, kind, name):
        self.assertIn((kind, name), self.resources, f"resource {kind}/{name}")
        return self.resources[(kind, name)]

    def expect_control(self, control, control_id, title, window_class, at, size):
        self.assertEqual(control["id"], control_id, title)
        self.assertEqual(control["title"], title)
        self.assertEqual(control["window_class"], window_class, title)
        self.assertEqual((control["at"], control["size"]), (at, size), title)
        self.assertTrue(control["style"] & WS_VISIBLE, title)

    def test_main_dialog(self):
        dialog = read_dialog(self.resource(RT_DIALOG, self.ids["IDD_QUILLET_DIALOG"]))
        self.assertEqual((dialog["caption"], dialog["size"]), ("Quillet", (275, 89)))
        self.assertEqual((dialog["typeface"], dialog["point_size"]), ("MS Shell Dlg", 8))
        wanted = WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_POPUP
        self.assertEqual(dialog["style"] & wanted, wanted)
        self.assertEqual(dialog["ex_style"] & (WS_EX_CLIENTEDGE | WS_EX_APPWINDOW), WS_EX_CLIENTEDGE | WS_EX_APPWINDOW)
        c = dialog["controls"]
        self.assertEqual(len(c), 5)
        self.expect_control(c[0], 2, "Close", BUTTON, (213, 6), (50, 16))
        self.expect_control(c[1], self.ids["IDC_STATUS_LINE"], "Communication Closed", STATIC, (33, 65), (202, 9))
        self.expect_control(c[2], 0xFFFF, "Communication Status", BUTTON, (7, 54), (256, 28))
        self.expect_control(c[3], self.ids["IDC_WRITE"], "Write", BUTTON, (93, 26), (84, 19))
        self.expect_control(c[4], 0xFFFF, "Quillet Version 1.0.0", STATIC, (7, 6), (119, 8))

    def test_about_box_and_its_menu_string(self):
        dialog = read_dialog(self.resource(RT_DIALOG, self.ids["IDD_ABOUTBOX"]))
        self.assertEqual((dialog["caption"], dialog["size"]), ("\u00c0 propos de Quillet", (235, 55)))
        c = dialog["controls"]
        self.assertEqual(len(c), 4)
        self.assertEqual((c[0]["title"], c[0]["at"]), (f"#{self.ids['IDR_MAINFRAME']}", (11, 17)))
        self.expect_control(c[1], 0xFFFF, "Quillet Version 1.0.0", STATIC, (40, 10), (119, 8))
        self.assertNotEqual(c[2]["title"], "")
        self.expect_control(c[3], 1, "OK", BUTTON, (178, 7), (50, 16))

        string_id = self.ids["IDS_ABOUTBOX"]
        r = Reader(self.resource(RT_STRING, string_id // 16 + 1))
        for _ in range(string_id % 16):
            skipped = r.take("H")
            r.at += 2 * skipped
        length = r.take("H")
        text = r.data[r.at : r.at + 2 * length].decode("utf-16-le")
        self.assertEqual(text, "&\u00c0 propos de Quillet...")

    def test_icon_images(self):
        r = Reader(self.resource(RT_GROUP_ICON, self.ids["IDR_MAINFRAME"]))
        _, kind, count = r.take("HHH")
        self.assertEqual(kind, 1)
        images = []
        for _ in range(count):
            width, _, _, _, _, bits, _, icon = r.take("BBBBHHIH")
            self.resource(RT_ICON, icon)
            images.append((width, bits))
        expected = [(w, b) for w in (48, 32, 16) for b in (4, 8, 24)] + [(32, 1)]
        self.assertEqual(sorted(images), sorted(expected))

    def test_version_record_and_manifest(self):
        version = self.version
        self.assertIsNotNone(version, "version record")
        signature, _, file_ms, file_ls, product_ms = struct.unpack_from("<IIIII", version["\\"])
        self.assertEqual(signature, 0xFEEF04BD)
        self.assertEqual((file_ms, file_ls, product_ms), (0x00010000, 0, 0x00010000))
        self.assertEqual(version["Translation"], struct.pack("<HH", 0x040C, 1252))
        self.assertIn("040c04e4", version)
        for key, value in [("FileDescription", "Quillet"), ("OriginalFilename", "Quillet.exe"),
                           ("FileVersion", "1.0.0"), ("ProductVersion", "1.0.0")]:
            self.assertEqual(version.get(key), value, key)

        manifest = self.resource(RT_MANIFEST, 1).decode("utf-8")
        self.assertIn("Microsoft.Windows.Common-Controls", manifest)
        self.assertIn('version="6.0.0.0"', manifest)
        self.assertEqual(manifest.count(f'processorArchitecture="{self.architecture}"'), 2)


if __name__ == "__main__":
    QuilletResources.program = sys.argv[1]
    with open(sys.argv[2]) as header:
        QuilletResources.ids = {m[1]: int(m[2], 0) for m in re.finditer(r"#define (\w+) (\w+)", header.read())}
    unittest.main(argv=sys.argv[:1], verbosity=2)
