#!/usr/bin/env python3
"""The calibration reports of fit and check rendered by a real browser.

Makes a type-6 image, measurements of a probe that drifted from it, a fit with
--as-found and a check, each with --report; prints each page to PDF with headless
Chromium and requires at most four A4 pages (pdfinfo), and keeps a PNG
screenshot of each page in the output folder for a person to look at.
Exits 77 (skipped) where Chromium or pdfinfo is not installed.

Usage: report_in_browser.py PROBE_IMAGE OUTPUT_FOLDER
"""
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

MAX_PAGES = 4  # the errors, and the certificate with U and the decision per point
A4_POINTS = (595.0, 842.0)
SCREENSHOT_SIZE = "900,3000"


def run(arguments, expected=0):
    result = subprocess.run(arguments, capture_output=True, text=True, timeout=120)
    if result.returncode != expected:
        sys.exit(f"{arguments[:2]} exited {result.returncode}, not {expected}:\n{result.stderr}")
    return result.stdout


def library_values(tool, image, kind, raws):
    arguments = [tool, "convert", image]
    for raw in raws:
        arguments += [f"--{kind}", f"{raw:.9g}"]
    return [float(line.split("=")[1]) for line in run(arguments).splitlines()]


def write_csv(path, header, rows):
    with open(path, "w") as file:
        file.write(header + "\n")
        for row in rows:
            file.write(",".join(f"{value:.9g}" for value in row) + "\n")


def browser(arguments, profile):
    command = ["chromium", "--headless", "--disable-gpu", "--hide-scrollbars",
               f"--user-data-dir={profile}"] + arguments
    if os.geteuid() == 0:
        command.insert(1, "--no-sandbox")  # Chromium refuses to run as root with its sandbox
    result = subprocess.run(command, capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        sys.exit(f"chromium failed ({result.returncode}):\n{result.stderr}")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    tool, output = sys.argv[1], sys.argv[2]
    if not shutil.which("chromium") or not shutil.which("pdfinfo"):
        print("chromium or pdfinfo is not installed")
        return 77
    os.makedirs(output, exist_ok=True)
    work = tempfile.mkdtemp(prefix="report-in-browser-")
    os.environ["XDG_DATA_HOME"] = os.path.join(work, "data")  # the records of fit and check
    try:
        old = os.path.join(work, "old.bin")
        run([tool, "new", "--type", "6", "-o", old, "--set", "Serial=1234567", "OText=SAMPLE",
             "CalibrationDate=2612", "FabricationDate=2611", "UsageCount=1200", "Gain=52",
             "FValue=3.5", "RValue=5.7", "ForceK=1", "ForceX0=1",
             "PositionCoefficients=0.12,0.00105,2e-9,-1e-13"])
        noise = random.Random(21)
        raws = [-1.7 + 3.4 * i / 29 for i in range(30)]
        positions = library_values(tool, old, "position", raws)
        position_rows = []
        for i, (raw, value) in enumerate(zip(raws, positions)):
            u = 0.003 if i % 3 == 0 else 0.001
            position_rows.append((raw, value * 1.004 + 0.002 + noise.gauss(0, u), u))
        position_csv = os.path.join(work, "position.csv")
        write_csv(position_csv, "raw,position,u", position_rows)
        force_raws = [10 * i / 24 for i in range(25)]
        force_rows = [(raw, (raw - 1.1) * 1.02 + noise.gauss(0, 0.02), 0.02) for raw in force_raws]
        force_csv = os.path.join(work, "force.csv")
        write_csv(force_csv, "raw,force,u", force_rows)

        reports = {
            "fit": [tool, "fit", "--type", "6", "--position", position_csv, "--force", force_csv,
                    "--as-found", old, "-o", os.path.join(work, "new.bin"), "--operator",
                    "A. Tester", "--set", "Serial=1234567", "OText=SAMPLE",
                    "CalibrationDate=2612", "FabricationDate=2611", "FValue=3.5", "RValue=5.7"],
            "check": [tool, "check", old, "--position", position_csv, "--force", force_csv,
                      "--tolerance", "0.005", "--force-tolerance", "0.1", "--operator",
                      "A. Tester"],
        }
        for name, arguments in reports.items():
            page = os.path.join(work, f"{name}.html")
            run(arguments + ["--report", page], expected=3 if name == "check" else 0)
            ElementTree.parse(page)  # well-formed
            pdf = os.path.join(output, f"{name}-report.pdf")
            profile = os.path.join(work, f"profile-{name}")
            browser(["--no-pdf-header-footer", f"--print-to-pdf={pdf}", f"file://{page}"], profile)
            info = run(["pdfinfo", pdf])
            pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
            size = re.search(r"^Page size:\s+([\d.]+) x ([\d.]+) pts", info, re.M)
            width, height = float(size.group(1)), float(size.group(2))
            if abs(width - A4_POINTS[0]) > 2 or abs(height - A4_POINTS[1]) > 2:
                sys.exit(f"{name} report: pages of {width} x {height} pts, not A4")
            if not 1 <= pages <= MAX_PAGES:
                sys.exit(f"{name} report: {pages} pages, at most {MAX_PAGES} wanted")
            screenshot = os.path.join(output, f"{name}-report.png")
            browser([f"--window-size={SCREENSHOT_SIZE}", f"--screenshot={screenshot}",
                     f"file://{page}"], profile)
            if os.path.getsize(screenshot) == 0:
                sys.exit(f"{name} report: empty screenshot")
            print(f"{name} report: {pages} A4 pages; screenshot {screenshot}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
