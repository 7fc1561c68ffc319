#!/usr/bin/env python3
"""The review page of a 400-programme guide: its size, and how long Debian's
headless Chromium takes to load and lay it out (the goal: under 300 KB and
under a second). A benchmark, run by hand:

    /usr/bin/python3 bench/review_bench.py build/skedtool build/skedcomp
"""
import os
import shutil
import subprocess
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

skedtool, skedcomp = (os.path.abspath(arg) for arg in sys.argv[1:3])
work = tempfile.mkdtemp(prefix="skedcomp-review-bench-")
try:
    # Four channels of a hundred programmes each over a week, titles of
    # everyday length, composed whole.
    sections = ""
    for channel in range(4):
        lines = ""
        for k in range(100):
            day, slot = divmod(k, 15)
            minute = (slot * 96 + channel * 7) % 1440
            lines += "2026-12-%02d\t%02d:%02d\t%s\tProgramme %d of channel %d: a title of a usual length\n" % (
                7 + day, minute // 60, minute % 60, ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"][day],
                k, channel)
        subprocess.run([skedtool, "make", "c%d" % channel], cwd=work, input=lines.encode(), check=True)
        sections += "[c%d]\n" % channel
    with open(os.path.join(work, "guide.cfg"), "w") as cfg:
        cfg.write(sections)
    subprocess.run([skedcomp, "guide"], cwd=work, check=True, capture_output=True)
    page = subprocess.run([skedtool, "review", "guide"], cwd=work, check=True,
                          capture_output=True).stdout
    path = os.path.join(work, "guide.html")
    with open(path, "wb") as out:
        out.write(page)
    options = webdriver.ChromeOptions()
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                 "--disable-background-networking", "--window-size=1366,768"):
        options.add_argument(flag)
    options.binary_location = shutil.which("chromium")
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    try:
        times = []
        for _ in range(5):
            driver.get("file://" + path)
            times.append(driver.execute_script(
                "const t = performance.getEntriesByType('navigation')[0];"
                "return t.loadEventEnd - t.startTime;"))
    finally:
        driver.quit()
    programmes = page.count(b"<tr><td")
    print("%d programmes: %d KB; load and layout %s ms (best %.0f ms)" % (
        programmes, len(page) // 1024, ", ".join("%.0f" % t for t in times), min(times)))
finally:
    shutil.rmtree(work, ignore_errors=True)
