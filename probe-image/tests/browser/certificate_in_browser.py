#!/usr/bin/env python3
"""A 500-point certificate printed by a real browser.

Makes a type-6 image, 500 position measurements of a probe that drifted from it,
a budget with a reference standard, and a check with --budget, --decision-rule
non-binary and --report; prints the page to PDF with headless Chromium and
requires of every page (pdftotext) the certificate number and "page x of y",
and of every page that holds rows of the results table its header. Keeps the
PDF and a PNG of page 1 in the output folder.
Exits 77 (skipped) where Chromium, pdfinfo, pdftotext or pdftoppm is missing.

Usage: certificate_in_browser.py PROBE_IMAGE OUTPUT_FOLDER
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

POINTS = 500
PREFIX = "TEST-2026-"
BUDGET = """method = "comparison with a length standard"
[[position]]
name = "reference standard"
expanded = 0.004
k = 2
[[position]]
name = "readout resolution"
half_width = 0.0005
distribution = "rectangular"
[[position]]
name = "repeatability"
u = 0.001
dof = 9
[[reference]]
id = "GB-07"
certificate = "CAL-2026-118"
due = 2999-12-31
"""


def run(arguments, expected=0, environment=None):
    result = subprocess.run(arguments, capture_output=True, text=True, timeout=300,
                            env=environment)
    if result.returncode != expected:
        sys.exit(f"{arguments[:2]} exited {result.returncode}, not {expected}:\n{result.stderr}")
    return result.stdout


def browser(arguments, profile):
    command = ["chromium", "--headless", "--disable-gpu", "--hide-scrollbars",
               f"--user-data-dir={profile}"] + arguments
    if os.geteuid() == 0:
        command.insert(1, "--no-sandbox")  # Chromium refuses to run as root with its sandbox
    result = subprocess.run(command, capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        sys.exit(f"chromium failed ({result.returncode}):\n{result.stderr}")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    tool, output = sys.argv[1], sys.argv[2]
    if not all(shutil.which(name) for name in ("chromium", "pdfinfo", "pdftotext", "pdftoppm")):
        print("chromium or poppler's tools are not installed")
        return 77
    os.makedirs(output, exist_ok=True)
    work = tempfile.mkdtemp(prefix="certificate-in-browser-")
    environment = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "data"))
    try:
        image = os.path.join(work, "probe.bin")
        run([tool, "new", "--type", "6", "-o", image, "--set", "Serial=1234567",
             "OText=SAMPLE", "Gain=52", "ForceK=1", "ForceX0=1",
             "PositionCoefficients=0.12,0.00105,2e-9,-1e-13"])
        raws = [-1.7 + 3.4 * i / (POINTS - 1) for i in range(POINTS)]
        arguments = [tool, "convert", image]
        for raw in raws:
            arguments += ["--position", f"{raw:.9g}"]
        library = [float(line.split("=")[1]) for line in run(arguments).splitlines()]
        csv = os.path.join(work, "position.csv")
        with open(csv, "w") as file:
            file.write("raw,position,u\n")
            for i, (raw, value) in enumerate(zip(raws, library)):
                error = 0.009 * ((i * 37) % 100 - 50) / 50  # within +-0.009 mm
                file.write(f"{raw:.9g},{value - error:.9g},0.001\n")
        budget = os.path.join(work, "budget.toml")
        with open(budget, "w") as file:
            file.write(BUDGET)
        page = os.path.join(work, "certificate.html")
        run([tool, "check", image, "--position", csv, "--budget", budget, "--decision-rule",
             "non-binary", "--tolerance", "0.01", "--report", page, "--certificate-prefix",
             PREFIX, "--operator", "A. Tester", "--authorised-by", "B. Head", "--customer",
             "Example Metrology Ltd", "--asset", "A-1017", "--temperature", "20.1 +- 0.5 C",
             "--humidity", "45 % RH"], expected=0, environment=environment)
        number = PREFIX + "00001"

        pdf = os.path.join(output, "certificate.pdf")
        browser(["--no-pdf-header-footer", f"--print-to-pdf={pdf}", f"file://{page}"],
                os.path.join(work, "profile"))
        info = run(["pdfinfo", pdf])
        pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
        if pages < 5:
            sys.exit(f"{pages} pages for {POINTS} points: the tables did not run over pages")
        table_pages = 0
        for index in range(1, pages + 1):
            text = run(["pdftotext", "-layout", "-f", str(index), "-l", str(index), pdf, "-"])
            if f"Certificate {number}" not in text:
                sys.exit(f"page {index}: no certificate number {number}")
            if f"page {index} of {pages}" not in text:
                sys.exit(f"page {index}: no \"page {index} of {pages}\"")
            rows = re.findall(r"(pass|fail)\s*$", text, re.M)
            if rows:
                table_pages += 1
                if "p(conform)" not in text:
                    sys.exit(f"page {index}: rows of the results table without its header")
        if table_pages < 2:
            sys.exit(f"the results table spans {table_pages} pages, not several")
        png = os.path.join(output, "certificate-page-1")
        run(["pdftoppm", "-png", "-r", "70", "-f", "1", "-l", "1", "-singlefile", pdf, png])
        print(f"{POINTS}-point certificate: {pages} A4 pages, the results table on "
              f"{table_pages}, each with number, page x of y and header; {png}.png")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
