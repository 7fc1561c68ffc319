#!/usr/bin/env python3
"""skedtool review's page in a real browser (Debian's headless Chromium).

The example guide's page, at 1366 and at 800 pixels: every programme a
visible block whose left edge and width follow its start and the next start
on the grid's time axis, each start a <time> shown whole where the programme
runs 15 minutes or more, no two blocks overlapping; each kind of mark where
the example puts one; a channel's colour the same on the page of its base;
dark mode and print; a guide of evenings showing its evenings in the first
screen; screenshots kept as artifacts. A page of hostile titles: shown as text, nothing runs, nothing is
loaded. Exits 77 (skipped) when the browser or Selenium is missing.

    review_browser_test.py SKEDTOOL SKEDCOMP EXAMPLES_DIR ARTIFACT_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77


def skip(reason):
    print("skipped: " + reason)
    sys.exit(SKIP)


try:
    from selenium import webdriver
    from selenium.common.exceptions import NoAlertPresentException
    from selenium.webdriver.chrome.service import Service
except ImportError:
    skip("python3-selenium is not installed")
for program in ("chromium", "chromedriver"):
    if shutil.which(program) is None:
        skip(program + " is not installed (Debian: chromium, chromium-driver)")

skedtool, skedcomp, examples, artifacts = (os.path.abspath(arg) for arg in sys.argv[1:5])
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED: " + message)


def run(args, cwd, **kwargs):
    return subprocess.run(args, cwd=cwd, check=True, capture_output=True, **kwargs)


def browser():
    options = webdriver.ChromeOptions()
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--window-size=1366,768"):
        options.add_argument(flag)
    options.binary_location = shutil.which("chromium")
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    # The page itself 1366x768, whatever the window around it takes.
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": 1366, "height": 768, "deviceScaleFactor": 1, "mobile": False})
    return driver


START = re.compile(r"^\w{3} \d{4}-\d\d-\d\d (\d\d):(\d\d) ")

# Per block: where each hour begins on the axis, its own box, its start
# time's box, its classes and label.
BLOCKS = """
const rem = parseFloat(getComputedStyle(document.documentElement).fontSize);
const ruler = document.querySelector('.hours .line');
const hours = [...ruler.querySelectorAll('span')].map(
    s => ruler.getBoundingClientRect().left + parseFloat(s.style.left) * rem);
return [...document.querySelectorAll('.day .lane')].map(lane => {
  return [...lane.querySelectorAll('.b')].map(b => {
    const r = b.getBoundingClientRect();
    const s = getComputedStyle(b);
    const time = b.querySelector('time');
    const t = time ? time.getBoundingClientRect() : null;
    const badges = [...b.querySelectorAll('.badge')].map(x => x.getBoundingClientRect());
    return {hours: hours, left: r.left, right: r.right, top: r.top, bottom: r.bottom,
            width: r.width, height: r.height,
            visible: s.visibility !== 'hidden' && s.display !== 'none',
            timeRight: t ? t.right : null, timeBottom: t ? t.bottom : null,
            timeCut: time ? time.scrollWidth > time.clientWidth : true,
            badgesShown: badges.every(x => x.left >= r.left && x.right <= r.right &&
                                           x.bottom <= r.bottom),
            datetime: time ? time.getAttribute('datetime') : null,
            cls: b.className, label: b.getAttribute('title'),
            day: lane.closest('.day').querySelector('.label').textContent};
  });
});
"""


def minutes(label):
    found = START.match(label)
    return int(found.group(1)) * 60 + int(found.group(2))


def at(hours, minute):
    """Where the grid's axis puts a minute of the day: linear within each hour."""
    hour = min(minute // 60, 23)
    return hours[hour] + (hours[hour + 1] - hours[hour]) * (minute - hour * 60) / 60


def check_grid(driver, width):
    """The blocks at one width: placed on the axis, starts whole, no overlap."""
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": 768, "deviceScaleFactor": 1, "mobile": False})
    lanes = driver.execute_script(BLOCKS)
    check(driver.execute_script("return document.documentElement.scrollWidth <= "
                                "document.documentElement.clientWidth"),
          "%d px: only the grid scrolls sideways" % width)
    for lane in lanes:
        bars = [block for block in lane if "point" not in block["cls"].split()]
        for i, block in enumerate(lane):
            start = minutes(block["label"])
            end = minutes(lane[i + 1]["label"]) if i + 1 < len(lane) else 1440
            where = "%d px: %s %s" % (width, block["day"][:14], block["label"][:40])
            check(block["visible"] and block["height"] > 5 and block["width"] >= 4,
                  "visible: " + where)
            check(abs(block["left"] - at(block["hours"], start)) < 1.5,
                  "left edge at its start: " + where)
            if end > start:
                check(abs(block["right"] - at(block["hours"], end)) < 1.5,
                      "right edge at the next start: " + where)
            check(block["datetime"] is not None and block["datetime"][11:] ==
                  block["label"][15:20], "a <time datetime> of its start: " + where)
            if end - start >= 15:
                check(not block["timeCut"] and block["timeRight"] <= block["right"] - 1 and
                      block["timeBottom"] <= block["bottom"], "its start shown whole: " + where)
                check(block["badgesShown"], "its marks shown: " + where)
        for first, second in zip(bars, bars[1:]):
            check(first["right"] <= second["left"] + 0.5, "%d px: %s overlaps %s"
                  % (width, first["label"][:30], second["label"][:30]))
        for point in lane:
            if "point" in point["cls"].split():
                check(all(point["bottom"] <= bar["top"] + 0.5 or point["right"] <= bar["left"]
                          or point["left"] >= bar["right"] for bar in bars),
                      "%d px: the sliver of %s stands clear" % (width, point["label"][:30]))
    os.makedirs(artifacts, exist_ok=True)
    driver.save_screenshot(os.path.join(artifacts, "review-guide-%d.png" % width))
    return [block for lane in lanes for block in lane]


def check_example(driver, page):
    driver.get("file://" + page)
    blocks = check_grid(driver, 800)
    blocks = check_grid(driver, 1366)
    rows = driver.execute_script("return document.querySelectorAll('tbody tr').length")
    check(len(blocks) == rows and rows > 100, "a block per programme: %d blocks, %d rows"
          % (len(blocks), rows))
    check(driver.execute_script("return document.querySelector('h1').textContent") == "guide",
          "the heading names the guide once")

    def marked(day, title, mark):
        return [b for b in blocks if b["day"].startswith(day) and title in b["label"]
                and mark in b["cls"].split()]
    check(len(marked("Tue", "Nosferatu", "moved")) == 1, "the shifted film is marked moved")
    check(len(marked("Sat", "Science Lab", "twice")) == 2, "both copies are marked taken twice")
    check(len(marked("Mon", "20:00", "same")) == 1, "two starts at 20:00 are marked")
    check(len(marked("Sat", "Basketball", "damaged")) == 1, "the '?' title is marked")
    check(len(marked("Sat", "Night Highlights", "long")) == 1, "six hours without a start")
    gaps = driver.execute_script(
        "return [...document.querySelectorAll('.day .gap')].map(g => "
        "g.closest('.day').querySelector('.label').textContent)")
    check(any(day.startswith("Tue") for day in gaps), "the night before Tuesday is a gap")
    check(any(day.startswith("Mon") for day in gaps), "Monday's empty morning is a gap alike")
    legend = driver.execute_script(
        "return [...document.querySelectorAll('.legend .b')].map(b => b.className)")
    for mark in ("moved", "twice", "same", "damaged", "long"):
        check(any(mark in cls.split() for cls in legend), "the legend shows " + mark)
    look = driver.execute_script(
        "const s = e => { const c = getComputedStyle(e); return [c.backgroundImage, "
        "c.borderRightStyle, c.borderTopStyle]; };"
        "return [s(document.querySelector('.legend .b.long')), "
        "s(document.querySelector('.legend .gap'))]")
    check(look[0] != look[1], "the long-gap mark and the gap look apart: %r" % look)
    check(driver.execute_script("return document.querySelector('th').getBoundingClientRect()"
                                ".height > 0 && getComputedStyle(document.querySelector('th'))"
                                ".position === 'sticky'"), "the listing's header is sticky")
    # The details a block shows on hover are its accessible name too.
    for block in driver.find_elements("css selector", ".day .b")[:5]:
        check(block.accessible_name == block.get_attribute("title") != "",
              "accessible name: %r" % block.accessible_name)
    os.makedirs(artifacts, exist_ok=True)

    driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
        "features": [{"name": "prefers-color-scheme", "value": "dark"}]})
    background = driver.execute_script(
        "return getComputedStyle(document.documentElement).backgroundColor")
    check(background == "rgb(21, 21, 21)", "dark mode: " + background)
    driver.save_screenshot(os.path.join(artifacts, "review-guide-dark.png"))
    driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print", "features": []})
    check(driver.execute_script("return getComputedStyle(document.querySelector('th')).position")
          == "static", "printed, the header is not sticky")
    driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "", "features": []})


SWATCHES = """
return Object.fromEntries([...document.querySelectorAll('ul.sources li')].map(li => [
  li.textContent.split(' \u2014 ')[0].split(/[\\\\/]/).pop(),
  li.querySelector('.sw').className]));
"""


# Where the ruler puts an hour, in pixels from the page's left edge.
HOUR_AT = """
const rem = parseFloat(getComputedStyle(document.documentElement).fontSize);
const ruler = document.querySelector('.hours .line');
const spans = [...ruler.querySelectorAll('span')];
return ruler.getBoundingClientRect().left + parseFloat(spans[arguments[0]].style.left) * rem;
"""


def check_evenings(driver, page):
    """A guide of evenings: the hours nothing runs in are slivers, so that the
    first screen shows the evening, not hatching (which took 55% of 1366 px):
    the empty hours take at most two fifths of it at 800 px and a quarter at
    1366 px, and the evening shows to 20:00 and to 22:00."""
    driver.get("file://" + page)
    for width, share, last_hour in ((800, 0.4, 20), (1366, 0.25, 22)):
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": 768, "deviceScaleFactor": 1, "mobile": False})
        empty = driver.execute_script(HOUR_AT, 18) - driver.execute_script(HOUR_AT, 0)
        last = driver.execute_script(HOUR_AT, last_hour)
        check(empty <= share * width and last <= width,
              "%d px: hours 0-18 take %d px, %d:00 stands at %d px" % (width, empty, last_hour, last))
        driver.save_screenshot(os.path.join(artifacts, "review-evening-%d.png" % width))


def check_bases(driver, page, guide):
    """The page of the bases: a label for every lane, and each channel in the
    colour it has on the guide's page."""
    driver.get("file://" + guide)
    colours = driver.execute_script(SWATCHES)
    driver.get("file://" + page)
    check(driver.execute_script(SWATCHES) == colours,
          "each channel in the colour of the guide's page: %r" % colours)
    labels = driver.execute_script(
        "return [...document.querySelectorAll('.day')].map(d => [d.querySelectorAll("
        "'.lane').length, [...d.querySelectorAll('.label small')].map(s => s.textContent)])")
    check(labels and all(len(names) == lanes == 4 for lanes, names in labels),
          "every lane is labelled: %r" % labels[:1])
    driver.save_screenshot(os.path.join(artifacts, "review-bases.png"))


HOSTILE = ["<script>alert(1)</script>", "\"><img src=x onerror=alert(1)>",
           "<style>body{background:url(http://127.0.0.1:9/x)}</style>"]


def check_hostile(driver, page):
    driver.get("file://" + page)
    try:
        driver.switch_to.alert
        check(False, "a dialog opened")
    except NoAlertPresentException:
        pass
    check(driver.execute_script("return performance.getEntriesByType('resource').length") == 0,
          "nothing was loaded")
    check(driver.execute_script("return document.querySelectorAll('script, img').length") == 0,
          "no element came from a title")
    shown = driver.execute_script(
        "return [...document.querySelectorAll('tbody tr td:nth-child(4)')].map(td => td.textContent)")
    check(shown == HOSTILE, "titles shown as text: %r" % shown)


def main():
    work = tempfile.mkdtemp(prefix="skedcomp-review-")
    try:
        os.makedirs(os.path.join(work, "bases"))
        for channel in ("one", "kino", "sport", "kids"):
            run([skedtool, "make", "bases/" + channel,
                 os.path.join(examples, channel + ".listing")], work)
        shutil.copy(os.path.join(examples, "guide.cfg"), work)
        run([skedcomp, "guide"], work)
        page = os.path.join(work, "guide.html")
        with open(page, "wb") as out:
            out.write(run([skedtool, "review", "guide"], work).stdout)
        if shutil.which("xmllint"):
            # xmllint's HTML is version 4, which has no <time>: that alone is no fault.
            lint = subprocess.run(["xmllint", "--html", "--noout", page], capture_output=True)
            errors = [line for line in lint.stderr.decode().splitlines()
                      if "HTML parser error" in line and "Tag time invalid" not in line]
            check(not errors, "well-formed: %r" % errors)
        listing = "".join("2026-12-07\t%02d:00\tMon\t%s\n" % (6 + i, title)
                          for i, title in enumerate(HOSTILE))
        run([skedtool, "make", "hostile"], work, input=listing.encode())
        bases = os.path.join(work, "bases.html")
        with open(bases, "wb") as out:
            out.write(run([skedtool, "review", "--bases", "bases/kids", "bases/sport",
                           "bases/one", "bases/kino"], work).stdout)
        with open(os.path.join(work, "evening.cfg"), "w") as cfg:
            cfg.write("[bases/one]\n" + "".join("range%d=18:00-24:00\n" % day for day in range(1, 8)))
        run([skedcomp, "evening"], work)
        evening = os.path.join(work, "evening.html")
        with open(evening, "wb") as out:
            out.write(run([skedtool, "review", "evening"], work).stdout)
        hostile = os.path.join(work, "hostile.html")
        with open(hostile, "wb") as out:
            out.write(run([skedtool, "review", "--bases", "hostile"], work).stdout)

        driver = browser()
        try:
            check_example(driver, page)
            check_bases(driver, bases, page)
            check_evenings(driver, evening)
            check_hostile(driver, hostile)
        finally:
            driver.quit()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d failed" % len(failures))
        sys.exit(1)
    print("review page: all checks passed; screenshots in " + artifacts)


main()
