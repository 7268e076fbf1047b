#!/usr/bin/python3
"""Measures the page: the total size of its files (the game's, and on top
the parts that load on first use: the editor, the level list, the hint), and the time from
navigation to the first drawn board in headless Chromium beside the time of an
empty page that draws one canvas, both served by the same local server with
the browser cache off.

    /usr/bin/python3 tests/web/measure_startup.py build/web [RUNS]
"""
import functools
import http.server
import os
import shutil
import statistics
import sys
import tempfile
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

EMPTY_PAGE = """<!DOCTYPE html><html><head><meta charset="utf-8"><title>canvas</title></head>
<body><canvas id="c" width="640" height="512"></canvas><script>
var c = document.getElementById('c').getContext('2d');
c.fillStyle = '#804020'; c.fillRect(0, 0, 640, 512);
performance.mark('canvas-drawn');
</script></body></html>"""

# Fetched only when first used: the editor and its solver, the level list,
# the hint and the stored solutions.
EDITOR_FILES = ("editor.js", "solver-worker.js", "levels.js", "hint.js", "solutions.txt")


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def first_mark(driver, url, mark):
    driver.get(url)
    for _ in range(500):
        found = driver.execute_script("var m = performance.getEntriesByName(arguments[0]);"
                                      "return m.length ? m[0].startTime : null", mark)
        if found is not None:
            return found
    raise RuntimeError("no mark " + mark + " on " + url)


def main():
    site = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    files = sorted(os.listdir(site))
    sizes = {name: os.path.getsize(os.path.join(site, name)) for name in files}
    for name in files:
        print("%-20s %7d bytes" % (name, sizes[name]))
    editor = sum(sizes[name] for name in EDITOR_FILES if name in sizes)
    print("%-20s %7d bytes" % ("the game's files", sum(sizes.values()) - editor))
    print("%-20s %7d bytes" % ("loaded on first use", editor))

    root = tempfile.mkdtemp()
    shutil.copytree(site, os.path.join(root, "page"))
    with open(os.path.join(root, "empty.html"), "w") as f:
        f.write(EMPTY_PAGE)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=root))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = "http://127.0.0.1:%d/" % server.server_address[1]

    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + os.path.join(root, "profile")]:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.execute_cdp_cmd("Network.enable", {})
    driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
    page, empty = [], []
    first_mark(driver, base + "page/", "bexaran-board-drawn")  # warm the browser itself
    for _ in range(runs):
        page.append(first_mark(driver, base + "page/", "bexaran-board-drawn"))
        empty.append(first_mark(driver, base + "empty.html", "canvas-drawn"))
    driver.quit()
    server.shutdown()
    shutil.rmtree(root, ignore_errors=True)
    print("navigation to first board: median %.1f ms (min %.1f, max %.1f) over %d runs" %
          (statistics.median(page), min(page), max(page), runs))
    print("empty page with a canvas:  median %.1f ms (min %.1f, max %.1f)" %
          (statistics.median(empty), min(empty), max(empty)))
    print("difference %.1f ms, ratio %.2f" % (statistics.median(page) - statistics.median(empty),
                                              statistics.median(page) / statistics.median(empty)))


if __name__ == "__main__":
    main()
