#!/usr/bin/env python3
"""probe-image and the lab database, end to end: the built program (natively, or
a Windows build under Wine) writes, sends, pushes, lists and tells what is due,
against the throwaway server the tests start.

Usage: lab_program_test.py BENCH PROGRAM [EMULATOR...]; ODBCSYSINI names the
server's data sources. BENCH names this run's journal, so that runs of several
builds land in one database as separate benches' journals.
"""
import hashlib
import json
import os
import subprocess
import sys
import tempfile
import unittest

BENCH = sys.argv[1]
COMMAND = sys.argv[3:] + [sys.argv[2]]
# On Linux the simulated bridge is reached only when named; Windows has it as its bridge.
SIMULATED = [] if len(sys.argv) > 3 else ["--simulated"]
SOURCE = "probe_lab"
DOWN = ("Driver={PostgreSQL Unicode};Servername=127.0.0.1;Port=1;Database=probe_lab;"
        "UID=bench_two;PWD=top-secret-word")


def chained_ids(path):
    """The ids of the journal's chained lines, each checked against its text."""
    ids = []
    with open(path, "rb") as journal:
        for line in journal:
            line = line.rstrip(b"\r\n")
            if not line.startswith(b'{"id":"'):
                continue
            identity = line[7:71].decode()
            assert hashlib.sha256(b"{" + line[73:]).hexdigest() == identity, line
            ids.append(identity)
    return ids


def chained_line(fields, prev, journal):
    rest = json.dumps(fields, separators=(",", ":"))[1:]
    without_id = '{"prev":%s,"journal":"%s",%s' % (
        "null" if prev is None else '"%s"' % prev, journal, rest)
    identity = hashlib.sha256(without_id.encode()).hexdigest()
    return '{"id":"%s",%s' % (identity, without_id[1:]), identity


class LabProgramTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="lab-program-")
        cls.journal = os.path.join(cls.folder, "records.jsonl")
        cls.environment = dict(os.environ, I2CBRDG_EEPROM=os.path.join(cls.folder, "eeprom.bin"),
                               XDG_DATA_HOME=cls.folder, WINEDEBUG="-all")
        cls.environment.pop("PROBE_IMAGE_DATABASE", None)
        cls.run_tool("db", "init", "--database", SOURCE)
        # A journal this bench kept before: two chained lines, under its own host name.
        journal = hashlib.sha256(BENCH.encode() + os.urandom(8)).hexdigest()[:32]
        prev = None
        lines = []
        for n in (1, 2):
            line, prev = chained_line({"time": "2026-01-0%dT08:00:00Z" % n, "operator": "ana",
                                       "host": BENCH, "command": "status", "serial": "",
                                       "exit": 4, "message": "no bridge"}, prev, journal)
            lines.append(line)
        with open(cls.journal, "w") as file:
            file.write("\n".join(lines) + "\n")

    @classmethod
    def run_tool(cls, *arguments, expect=None):
        result = subprocess.run(COMMAND + list(arguments), env=cls.environment, cwd=cls.folder,
                                capture_output=True, text=True, timeout=120)
        if expect is not None and result.returncode != expect:
            raise AssertionError("%s: exit %d\n%s%s" % (" ".join(arguments), result.returncode,
                                                        result.stdout, result.stderr))
        return result

    @staticmethod
    def tool_path(path):
        """A path as the program takes it: a Windows build under Wine reads Z:\\..."""
        return "Z:" + path.replace("/", "\\") if len(COMMAND) > 1 else path

    def path(self, name):
        return self.tool_path(os.path.join(self.folder, name))

    def database_ids(self):
        listing = self.run_tool("records", "--database", SOURCE, "--json", expect=0)
        return {record.get("id") for record in json.loads(listing.stdout)}

    def test_1_a_write_goes_to_the_journal_then_to_the_database(self):
        self.run_tool("new", "--type", "3", "-o", self.path("a.bin"), "--set", "Serial=4711",
                      "PositionCoefficients=0,1", "CalibrationDate=2501", expect=0)
        written = self.run_tool("write", self.path("a.bin"), *SIMULATED, "--record", self.tool_path(self.journal),
                                "--database", SOURCE, expect=0)
        self.assertIn("System Available", self.run_tool("status", *SIMULATED, "--no-record").stdout)
        # A journal line without an id (one written before the chain) is told, not lost.
        if "not sent" in written.stderr:
            self.assertIn("kept in the journal, not sent to the database", written.stderr)
        pushed = self.run_tool("records", "push", "--record", self.tool_path(self.journal),
                               "--database", SOURCE,
                               expect=0)
        self.assertIn("sent 0 records", pushed.stdout)
        ids = chained_ids(self.journal)
        self.assertGreaterEqual(len(ids), 2)
        self.assertTrue(set(ids) <= self.database_ids())

    def test_2_a_server_that_is_away_changes_no_result(self):
        journal = self.tool_path(self.journal)
        before = self.run_tool("status", *SIMULATED, "--record", journal)
        away = self.run_tool("status", *SIMULATED, "--record", journal, "--database", DOWN)
        self.assertEqual(away.returncode, before.returncode, away.stderr)
        self.assertIn("kept in the journal, not sent to the database", away.stderr)
        self.assertNotIn("top-secret-word", away.stdout + away.stderr)
        with open(self.journal, encoding="utf-8") as file:
            kept = file.read()
        self.assertNotIn("top-secret-word", kept)
        last = json.loads(kept.splitlines()[-1])
        self.assertIn("--database", last["arguments"])
        self.assertTrue(any("UID=bench_two" in a for a in last["arguments"]), last["arguments"])
        # The next push sends what was kept.
        self.run_tool("records", "push", "--record", journal, "--database", SOURCE, expect=0)
        self.assertTrue(set(chained_ids(self.journal)) <= self.database_ids())

    def test_3_the_database_answers_for_every_bench(self):
        status = self.run_tool("db", "status", "--database", SOURCE, expect=0)
        self.assertIn("schema version", status.stdout)
        self.assertRegex(status.stdout, r"\d+ records from \d+ bench")
        table = self.run_tool("records", "--database", SOURCE, "--bench", BENCH, expect=0).stdout
        self.assertTrue(table.startswith("TIME"), table)
        self.assertIn(BENCH, table)
        self.assertIn("no bridge", table)
        since = self.run_tool("records", "--database", SOURCE, "--bench", BENCH, "--since",
                              "2026-01-02", "--json", expect=0)
        times = [r["time"] for r in json.loads(since.stdout)]
        self.assertIn("2026-01-02T08:00:00Z", times)
        self.assertNotIn("2026-01-01T08:00:00Z", times)
        self.assertEqual(self.run_tool("records", "--bench", BENCH).returncode, 1)
        # A journal name no system takes is no journal, or one that cannot be read,
        # never a crash.
        self.assertIn(self.run_tool("records", "push", "--record", "x" * 5000, "--database",
                                    SOURCE).returncode, (0, 2))

    def test_4_due_names_the_probe_from_the_image_left_in_it(self):
        # Three probes seen on another bench: one left with an image long run out, one
        # whose old image was overwritten by a fresh one, one found by a status poll.
        serials = ["%d%06d" % (n, int.from_bytes(os.urandom(3), "big") % 10**6) for n in (7, 8, 9)]
        image = lambda serial, date: {"sha256": "0" * 64, "type": "M003", "serial": serial,
                                      "calibrationDate": date}
        records = [
            {"time": "2026-01-01T08:00:00Z", "command": "write", "serial": serials[0],
             "exit": 0, "asLeftReadBack": True, "asLeft": image(serials[0], "2001")},
            {"time": "2026-01-02T08:00:00Z", "command": "write", "serial": serials[1],
             "exit": 0, "asLeftReadBack": True, "asLeft": image(serials[1], "2001")},
            {"time": "2026-01-03T08:00:00Z", "command": "write", "serial": serials[1],
             "exit": 0, "asLeftReadBack": True, "asLeft": image(serials[1], "9912")},
            {"time": "2026-01-04T08:00:00Z", "command": "status", "serial": serials[2],
             "exit": 0, "asFound": image(serials[2], "2002")},
        ]
        journal = hashlib.sha256(os.urandom(16)).hexdigest()[:32]
        prev, lines = None, []
        for record in records:
            line, prev = chained_line(dict(record, host=BENCH + "-due"), prev, journal)
            lines.append(line)
        with open(os.path.join(self.folder, "due.jsonl"), "w") as file:
            file.write("\n".join(lines) + "\n")
        self.run_tool("records", "push", "--record", self.path("due.jsonl"), "--database", SOURCE,
                      expect=0)
        due = self.run_tool("due", "--database", SOURCE, "--within", "0", expect=0).stdout
        rows = {line.split()[0]: line.split() for line in due.splitlines()[1:]}
        self.assertEqual(rows[serials[0]][2:4], ["2001", "2020-08"])  # through July 2020
        self.assertEqual(rows[serials[2]][2:4], ["2002", "2020-09"])
        # 9912 reads as a calibration 99 years ahead: never calibrated, as the library says.
        self.assertEqual(rows[serials[1]][2], "9912")
        if chained_ids(self.journal)[2:]:  # the write was chained: its image is in the database
            self.assertIn("4711", due)
            self.assertIn("2501", due)
        self.assertEqual(self.run_tool("due").returncode, 1)  # no database given nor set

    def test_5_a_lot_is_made_once_for_every_bench(self):
        self.run_tool("new", "--type", "3", "-o", self.path("lot.bin"), "--set", "Serial=1",
                      "PositionCoefficients=0,1", "CalibrationDate=2501", expect=0)
        lot = "%s-%s" % (BENCH, os.urandom(4).hex())
        first = int.from_bytes(os.urandom(2), "big") * 100
        serials = "%d-%d" % (first, first + 99)
        create = lambda name, serials: self.run_tool(
            "lot", "create", name, "--serials", serials, "--template", self.path("lot.bin"),
            "--database", SOURCE)
        made = create(lot, serials)
        self.assertEqual(made.returncode, 0, made.stderr)
        self.assertIn("lot %s made: serials %s, 100 serials" % (lot, serials), made.stdout)
        self.assertIn("kept in the lab database", made.stdout)
        self.assertIn("kept already as defined", create(lot, serials).stdout)
        overlapping = create(lot + "-b", "%d-%d" % (first + 99, first + 150))
        self.assertEqual(overlapping.returncode, 3, overlapping.stdout + overlapping.stderr)
        self.assertIn("overlap", overlapping.stderr)

    def test_6_two_benches_programming_one_lot_never_write_one_serial_twice(self):
        self.run_tool("new", "--type", "3", "-o", self.path("program.bin"), "--set", "Serial=1",
                      "PositionCoefficients=0,1", expect=0)
        lot = "%s-p-%s" % (BENCH, os.urandom(4).hex())
        first = 7000000 + int.from_bytes(os.urandom(2), "big") % 29000 * 100
        self.run_tool("lot", "create", lot, "--serials", "%d-%d" % (first, first + 19),
                      "--template", self.path("program.bin"), "--database", SOURCE, expect=0)
        eeproms = [os.path.join(self.folder, "p%d.eeprom" % n) for n in range(8)]
        for eeprom in eeproms:
            with open(eeprom, "wb") as file:
                file.write(b"\xff" * 256)

        def bench(n):
            targets = []
            for eeprom in eeproms[4 * n:4 * n + 4]:
                targets += ["--eeprom", self.tool_path(eeprom)]
            return subprocess.Popen(
                COMMAND + ["program", self.path("program.bin"), "--lot", lot, "--database",
                           SOURCE, "--record", self.path("bench%d.jsonl" % n)] + targets,
                env=self.environment, cwd=self.folder, stdout=subprocess.PIPE,
                stderr=subprocess.PIPE, text=True)

        benches = [bench(0), bench(1)]
        for process in benches:
            out, err = process.communicate(timeout=300)
            self.assertEqual(process.returncode, 0, out + err)
        serials = []
        for eeprom in eeproms:
            with open(eeprom, "rb") as file:
                serials.append(int(file.read()[5:12]))
        self.assertEqual(sorted(serials), list(range(first, first + 8)))
        # Run again, every probe is done: nothing is written, nothing taken.
        again = self.run_tool("program", self.path("program.bin"), "--lot", lot, "--database",
                              SOURCE, "--record", self.path("bench0.jsonl"),
                              "--eeprom", self.tool_path(eeproms[0]), expect=0)
        self.assertIn("0 programmed, 1 skipped, 0 failed; 12 serials left", again.stdout)
        # The lot at a glance from the database: both benches' records and the ledger.
        report = json.loads(self.run_tool("lot", "report", lot, "--database", SOURCE, "--json",
                                          expect=0).stdout)
        self.assertEqual(report["probes"],
                         {"programmed": 8, "skipped": 1, "failed": 0, "spoiled": 0,
                          "firstPassYield": 1.0})
        self.assertEqual(report["serialsUsed"],
                         {"programmed": 8, "spoiled": 0, "taken": 0, "left": 12})
        self.assertEqual([use["serial"] for use in report["used"]],
                         ["%07d" % serial for serial in range(first, first + 8)])


def kernel_cannot_run():
    """Why the 32-bit Wine loader cannot run here, or None (cmake/kernel-runs-32bit)."""
    check = os.environ.get("KERNEL_RUNS_32BIT")
    if not check or "/usr/lib/wine/wine" not in COMMAND[:-1]:
        return None
    result = subprocess.run([check], capture_output=True, text=True)
    return None if result.returncode == 0 else result.stdout.strip()


if __name__ == "__main__":
    reason = kernel_cannot_run()
    if reason:
        print("SKIPPED: " + reason)
        sys.exit(77)
    unittest.main(argv=sys.argv[:1], verbosity=2)
