"""Tests of the Windows builds: the eight modules' files, and the modules
loaded into qhost under Wine, driven by qhost scripts."""

import json
import os
import struct
import subprocess
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DATA = os.path.normpath(os.path.join(ROOT, "..", "shared", "data", "dxf"))
QHOST = os.path.join(ROOT, "scripts", "qhost")

ARCHS = {"x64": ".x64", "x86": ""}
MODULES = [("2012", "arx"), ("2013", "arx"), ("13", "brx"), ("14", "brx")]


def wine():
    return "/usr/lib/wine/wine" if os.path.exists("/usr/lib/wine/wine") else "/usr/lib/wine/wine64"


def module_path(arch, generation, kind):
    return os.path.join(ROOT, "build", arch, "bin", "Quendrel.%s%s.%s" % (generation, ARCHS[arch], kind))


def all_modules():
    return [(arch, g, k, module_path(arch, g, k)) for arch in ARCHS for g, k in MODULES]


def qhost(script, arch="x64", env=None):
    """Runs a script; returns the exit status, the output records and standard error."""
    e = dict(os.environ)
    e.update(env or {})
    # Files, not pipes: Wine's own processes may outlive the run holding what they inherited.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        p = subprocess.run([QHOST, "--arch", arch, "-"], input=script.encode("utf-8"), stdout=out, stderr=err,
                           env=e, timeout=300, cwd=ROOT)
        out.seek(0)
        err.seek(0)
        records = [json.loads(line) for line in out.read().decode("utf-8").splitlines() if line.strip()]
        return p.returncode, records, err.read().decode("utf-8", "replace")


def run_wine(args, env=None):
    """Runs a Windows program; returns its exit status and standard output."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        p = subprocess.run([wine()] + args, stdout=out, stderr=err, env=env, timeout=300)
        out.seek(0)
        err.seek(0)
        return p.returncode, out.read().decode("utf-8"), err.read().decode("utf-8", "replace")


class PeFile:
    """The export table and the resources of a PE file."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        machine, nsections = struct.unpack_from("<HH", self.data, pe + 4)
        optsize = struct.unpack_from("<H", self.data, pe + 20)[0]
        opt = pe + 24
        magic = struct.unpack_from("<H", self.data, opt)[0]
        dirs = opt + (112 if magic == 0x20B else 96)
        self.dirs = [struct.unpack_from("<II", self.data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(nsections):
            s = opt + optsize + 40 * i
            vsize, va, rawsize, raw = struct.unpack_from("<IIII", self.data, s + 8)
            self.sections.append((va, max(vsize, rawsize), raw))
        self.machine = machine

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return rva - va + raw
        raise ValueError("rva %x" % rva)

    def cstr(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode()

    def exports(self):
        """Name to function address."""
        rva, size = self.dirs[0]
        if not rva:
            return {}
        o = self.offset(rva)
        base, nfuncs, nnames, funcs, names, ords = struct.unpack_from("<IIIIII", self.data, o + 16)
        out = {}
        for i in range(nnames):
            name = self.cstr(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
            ordinal = struct.unpack_from("<H", self.data, self.offset(ords) + 2 * i)[0]
            out[name] = struct.unpack_from("<I", self.data, self.offset(funcs) + 4 * ordinal)[0]
        return out

    def resources(self):
        """(type, name, language) to bytes."""
        rva, _ = self.dirs[2]
        root = self.offset(rva)
        out = {}

        def walk(o, path):
            named, ids = struct.unpack_from("<HH", self.data, o + 12)
            for i in range(named + ids):
                key, target = struct.unpack_from("<II", self.data, o + 16 + 8 * i)
                if key & 0x80000000:
                    n = root + (key & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, n)[0]
                    key = self.data[n + 2:n + 2 + 2 * length].decode("utf-16-le")
                if target & 0x80000000:
                    walk(root + (target & 0x7FFFFFFF), path + [key])
                else:
                    drva, dsize = struct.unpack_from("<II", self.data, root + target)
                    out[tuple(path + [key])] = self.data[self.offset(drva):self.offset(drva) + dsize]

        walk(root, [])
        return out


class ModuleFiles(unittest.TestCase):
    def test_each_module_exports_what_its_host_asks_for(self):
        for arch, generation, kind, path in all_modules():
            with self.subTest(module=os.path.basename(path)):
                pe = PeFile(path)
                self.assertEqual(pe.machine, 0x8664 if arch == "x64" else 0x14C)
                exports = pe.exports()
                if kind == "arx":
                    self.assertEqual(sorted(exports), ["acrxEntryPoint", "acrxGetApiVersion"])
                else:
                    self.assertEqual(sorted(exports), ["acrxEntryPoint", "acrxGetApiVersion",
                                                       "odrxCreateModuleObject", "odrxGetAPIVersion"])
                    self.assertEqual(exports["acrxGetApiVersion"], exports["odrxGetAPIVersion"])

    def test_all_modules_carry_the_same_resources(self):
        first = None
        for arch, generation, kind, path in all_modules():
            res = PeFile(path).resources()
            with self.subTest(module=os.path.basename(path)):
                self.assertTrue((4, 210, 1033) in res, "missing (4, 210, 1033)")   # menu, English
                self.assertTrue((4, 210, 1049) in res, "missing (4, 210, 1049)")   # menu, Russian
                self.assertTrue((5, 202, 1024) in res, "missing (5, 202, 1024)")   # editor dialog, neutral
                self.assertTrue((5, 211, 1024) in res, "missing (5, 211, 1024)")   # About box, neutral
                self.assertTrue((9, 209, 1024) in res, "missing (9, 209, 1024)")   # accelerators, neutral
                self.assertTrue((6, 7, 1033) in res, "missing (6, 7, 1033)")     # strings 96 to 111, English
                self.assertTrue((6, 8, 1049) in res, "missing (6, 8, 1049)")     # strings 112 to 127, Russian
                self.assertTrue((24, 2, 1024) in res, "missing (24, 2, 1024)")    # manifest
                if first is None:
                    first = res
                else:
                    self.assertEqual(res, first)

    def test_editor_dialog_template_is_as_designed(self):
        res = PeFile(module_path("x64", "2013", "arx")).resources()
        t = res[(5, 202, 1024)]
        ver, sig, helpid, exstyle, style, count, x, y, cx, cy = struct.unpack_from("<HHIIIHhhhh", t, 0)
        self.assertEqual((ver, sig), (1, 0xFFFF))
        self.assertEqual((style, exstyle, count, x, y, cx, cy), (0x90CC0840, 0, 9, 0, 0, 306, 132))
        self.assertIn("Quendrel 3.3".encode("utf-16-le"), t)
        self.assertIn("MS Sans Serif".encode("utf-16-le"), t)
        a = res[(5, 211, 1024)]
        style, exstyle, count, x, y, cx, cy = struct.unpack_from("<IIHhhhh", a, 0)
        self.assertEqual((style, count, cx, cy), (0x90C800C0, 2, 214, 134))


class Localization(unittest.TestCase):
    PROBE = os.path.join(ROOT, "build", "x64", "bin", "localization_probe.exe")

    def probe(self, lang):
        e = dict(os.environ)
        e["LC_ALL"] = lang
        rc, out, err = run_wine([self.PROBE], env=e)
        self.assertEqual(rc, 0, err)
        return [json.loads(line) for line in out.splitlines()]

    def test_strings_and_menu_follow_the_user_language(self):
        english = [1033, "", "\nOnly DTEXT, MTEXT and DIMENSION entities allowed", "Text style", "Ln %d, Col %d",
                   "Information", "1 occurrences replaced", "3 occurrences replaced", "&Edit", "&Paste\tCtr+V"]
        self.assertEqual(self.probe("C"), english)
        russian = self.probe("ru_RU.UTF-8")
        self.assertEqual(russian, [1049, "", "\nРазрешены только объекты ТЕКСТ, МТЕКСТ и РАЗМЕР", "Стиль текста",
                                   "Стр:%d, Кол:%d", "Информация", "Заменено 1 вхождений", "Заменено 3 вхождений",
                                   "&Редактирование", "Вставить\tCtr+V"])
        # A language the module has nothing in gets English.
        self.assertEqual(self.probe("de_DE.UTF-8"), [1031] + english[1:])


class EntryPoints(unittest.TestCase):
    """Each module loaded by hand, as a host's loader would."""

    def probe(self, arch, path, *args):
        exe = os.path.join(ROOT, "build", arch, "bin", "module_probe.exe")
        rc, out, err = run_wine([exe, path] + list(args))
        self.assertEqual(rc, 0, err)
        return json.loads(out)

    def test_entry_points_answer_as_the_hosts_expect(self):
        versions = {"2012": 0x120000, "2013": 0x130000, "13": [3, 6, 0, 0], "14": [3, 9, 0, 0]}
        for arch, generation, kind, path in all_modules():
            with self.subTest(module=os.path.basename(path)):
                r = self.probe(arch, path)
                self.assertEqual(r["acrxVersion"], versions[generation])
                self.assertEqual(r["unknownCodes"], [0] * 6)
                self.assertEqual((r["commandsBeforeInit"], r["lisp"]), (0, 0))
                self.assertEqual((r["te"], r["flags"], r["resourceIsModule"]), (True, 0x400002, True))
                self.assertFalse(r["teAfterUnload"])
                self.assertEqual((r["reactorsAfterLoad"], r["reactorsAfterFree"]), (1, 0))
                if kind == "brx":
                    self.assertEqual(r["odrxVersion"], versions[generation])
                    for key in ("sameObject", "firstArgCleared", "secondArgKept", "sysDataIsModule",
                                "moduleNameIsPath"):
                        self.assertTrue(r[key], key)

    def test_brx_data_manager_waits_for_a_document_manager(self):
        for generation, kind in MODULES:
            path = module_path("x64", generation, kind)
            with self.subTest(module=os.path.basename(path)):
                r = self.probe("x64", path, "--no-doc-manager")
                self.assertEqual(r["reactorsAfterLoad"], 0)


class Settings(unittest.TestCase):
    """The options in the registry, as a module reads and writes them."""

    PROBE = os.path.join(ROOT, "build", "x64", "bin", "settings_probe.exe")

    def registry(self, *lines):
        rc, out, err = qhost("\n".join(list(lines) + ["registry"]) + "\n")
        self.assertEqual(rc, 0, err)
        return out[-1]

    def probe(self, *args):
        rc, out, err = run_wine([self.PROBE] + list(args))
        self.assertEqual(rc, 0, err)
        return json.loads(out)

    def setUp(self):
        self.registry("delreg")

    def tearDown(self):
        self.registry("delreg")

    def test_first_run_has_every_option_off_and_the_default_font(self):
        record = self.probe()
        self.assertEqual(record, {"DoubleClickEdit": 0, "DblClkEditDim": 0, "DblClkEditDTEXT": 0,
                                  "DblClkEditMTEXT": 0, "ExitOnEnter": 0, "ExitOnCtrlEnter": 0, "FastYAlign": 0,
                                  "FontSize": 10, "FontName": "MS Sans Serif"})
        self.assertEqual(self.registry(), {})  # the key is made, empty

    def test_toggling_stores_one_and_then_zero(self):
        self.assertEqual(self.probe("toggle", "FastYAlign")["FastYAlign"], 1)
        self.assertEqual(self.registry(), {"FastYAlign": 1})
        self.assertEqual(self.probe("toggle", "FastYAlign")["FastYAlign"], 0)
        self.assertEqual(self.registry(), {"FastYAlign": 0})

    def test_foreign_values_never_leave_a_field_half_written(self):
        self.registry("setreg DoubleClickEdit dword 5", "setreg ExitOnEnter binary 0100",
                      "setreg DblClkEditDim binary 0100000002", "setreg FontSize sz \"7\"",
                      'setreg FontName sz "%s"' % ("x" * 40))
        record = self.probe()
        self.assertEqual(record["DoubleClickEdit"], 5)  # counts as on
        self.assertEqual((record["ExitOnEnter"], record["DblClkEditDim"]), (0, 0))
        self.assertEqual(record["FontName"], "MS Sans Serif")
        # Four bytes of any type are taken as they stand: "7" and its terminator.
        self.assertEqual(record["FontSize"], 0x37)
        self.assertEqual(self.probe("toggle", "DoubleClickEdit")["DoubleClickEdit"], 0)
        self.assertEqual(self.registry()["DoubleClickEdit"], 0)

    def test_font_is_stored_as_the_whole_field(self):
        self.probe("font", "Courier New", "12")
        self.assertEqual(self.registry(), {"FontSize": 12, "FontName": "Courier New"})
        self.assertEqual(self.probe()["FontName"], "Courier New")
        # 31 characters and the terminator fill the field; one more does not fit.
        self.registry('setreg FontName sz "%s"' % ("F" * 31))
        self.assertEqual(self.probe()["FontName"], "F" * 31)
        self.registry('setreg FontName sz "%s"' % ("F" * 32))
        self.assertEqual(self.probe()["FontName"], "MS Sans Serif")
        # Not a string at all: the default.
        self.registry("setreg FontName binary " + "4100" * 8)
        self.assertEqual(self.probe()["FontName"], "MS Sans Serif")


class EditorText(unittest.TestCase):
    def test_the_pane_text_is_read_and_set_as_the_write_back_needs(self):
        rc, out, err = run_wine([os.path.join(ROOT, "build", "x64", "bin", "editor_text_probe.exe")])
        self.assertEqual(rc, 0, err)
        values = [json.loads(line) for line in out.splitlines()]
        self.assertEqual(values, [
            "", 1,                                 # an empty pane has one empty line
            0,                                     # loading raises no change notification
            "alpha\rbeta\r\rgamma", 4, "alpha", "beta", "", "gamma",
            "beta",                                # the selection's text
            [6, 10],                               # the selection stays after a replacement
            "alpha\rBETA\r\rgamma", 0,
            1,                                     # typing does notify
            2, "",                                 # a final line end makes one more, empty line
        ])


class DoubleClick(unittest.TestCase):
    """The double-click filter of each family against a view holding a TEXT, an MTEXT over a second
    TEXT, and a dimension."""

    def run_probe(self, family):
        rc, out, err = run_wine([os.path.join(ROOT, "build", "x64", "bin", "double_click_probe_%s.exe" % family)])
        self.assertEqual(rc, 0, err)
        return {r["case"]: r for r in map(json.loads, out.splitlines())}

    def test_only_enabled_kinds_under_the_cursor_launch_one_editor(self):
        launched = {"TEXT", "MTEXT", "DIMENSION", "pre-selected TEXT and a TEXT clicked"}
        for family in ("arx", "brx"):
            cases = self.run_probe(family)
            brx_only = {"pre-selected TEXT, empty space clicked"} if family == "brx" else set()
            self.assertEqual(len(cases), 14)
            for name, r in cases.items():
                with self.subTest(family=family, case=name):
                    took = name in launched | brx_only
                    self.assertEqual(r["consumed"], took)
                    self.assertEqual(r["queued"], ["TE\n"] if took else [])
                    self.assertEqual((r["echo"], r["locks"], r["sets"], r["open"]), (0, 0, 0, 0))


class ModuleSpine(unittest.TestCase):
    def test_load_run_and_unload_in_every_module(self):
        drawing = os.path.join(DATA, "libredwg_example_2000.dxf")
        for arch, generation, kind, path in all_modules():
            with self.subTest(module=os.path.basename(path)):
                script = "\n".join([
                    "open " + drawing,
                    "dump",
                    "host",
                    "load " + path,
                    "host",
                    "pickfirst 4E3",
                    "select cancel",
                    "command TE",
                    "host",
                    "select",
                    "command TE",
                    # a text and a line: only the text passes the filter
                    "select 178 8B",
                    "command TE",
                    "host",
                    "commandline",
                    "dump",
                    "unload " + path,
                    "host",
                    "load " + path,
                    "host",
                    "unload " + path,
                ]) + "\n"
                rc, out, err = qhost(script, arch)
                self.assertEqual(rc, 0, err)
                states = [r for r in out if isinstance(r, dict) and "commands" in r]
                entities = [r for r in out if isinstance(r, dict) and "type" in r]
                said = [r for r in out if isinstance(r, str)]
                self.assertEqual(len(states), 6)
                idle, loaded, ran, ran2, unloaded, reloaded = states
                before, after = entities[:len(entities) // 2], entities[len(entities) // 2:]
                self.assertEqual(reloaded["commands"], ["Quendrel._TE"])


class Drawings(unittest.TestCase):
    # TEXT, MTEXT and DIMENSION in the ENTITIES section of each drawing.
    COUNTS = {
        "ezdxf_text.dxf": (62, 30, 0), "ezdxf_text_alignments.dxf": (16, 0, 0),
        "ezdxf_mtext_complex_inline_codes.dxf": (0, 8, 0), "ezdxf_uncommon.dxf": (0, 19, 13),
        "ezdxf_duplicate_handles.dxf": (19, 0, 7), "qcad_dl3dl_TGL31031_1.dxf": (358, 0, 29),
        "qcad_dl3dl_Layer.dxf": (417, 0, 0), "qcad_dl3dl_DIN7200.dxf": (589, 1034, 20),
        "qcad_example01.dxf": (0, 1, 13), "libredwg_example_2000.dxf": (2, 1, 9),
        "libredwg_example_r12.dxf": (2, 0, 9), "netdxf_sample.dxf": (1, 2, 8),
    }

    def test_open_dump_and_save_of_every_drawing(self):
        files = sorted(self.COUNTS)
        with tempfile.TemporaryDirectory() as tmp:
            lines = []
            for f in files:
                lines += ["open " + os.path.join(DATA, f), "dump", "save " + os.path.join(tmp, f), "host"]
            rc, out, err = qhost("\n".join(lines) + "\n")
            self.assertEqual(rc, 0, err)
            dumps, current = [], []
            for r in out:
                if "commands" in r:  # the host line closes each drawing's dump
                    dumps.append(current)
                    current = []
                else:
                    current.append(r)
            self.assertEqual(len(dumps), len(files))
            for f, records in zip(files, dumps):
                with self.subTest(file=f):
                    with open(os.path.join(DATA, f), "rb") as a, open(os.path.join(tmp, f), "rb") as b:
                        self.assertTrue(a.read() == b.read())
                    kinds = [r["type"] for r in records]
                    self.assertEqual((kinds.count("TEXT"), kinds.count("MTEXT"), kinds.count("DIMENSION")),
                                     self.COUNTS[f])

    def test_justified_text_is_dumped_with_its_alignment_point(self):
        rc, out, err = qhost("open %s\ndump\n" % os.path.join(DATA, "qcad_dl3dl_TGL31031_1.dxf"))
        self.assertEqual(rc, 0, err)
        centred = [r for r in out if r["type"] == "TEXT" and r["hmode"] == 1 and r["vmode"] == 2]
        self.assertGreater(len(centred), 100)
        self.assertTrue(all(r["alignment"] != [0, 0, 0] for r in centred))

    def test_bad_lines_and_files_fail_with_their_line_number(self):
        with tempfile.TemporaryDirectory() as tmp:
            broken = os.path.join(tmp, "broken.dxf")
            with open(broken, "w") as f:
                f.write("  0\nSECTION\nnonsense\nX\n")
            rc, out, err = qhost("new\nopen %s\n" % broken)
            self.assertEqual(rc, 1)
            self.assertIn("qhost: 2: ", err)
            self.assertIn("line 3", err)
            rc, out, err = qhost("new\nfrobnicate\nhost\n")
            self.assertEqual((rc, out), (1, []))
            self.assertIn("qhost: 2: unknown command", err)


if __name__ == "__main__":
    unittest.main()
