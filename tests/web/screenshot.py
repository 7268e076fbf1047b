#!/usr/bin/python3
"""Takes the README's picture of the page: level 1 part solved, in headless
Chromium, the page at its natural size (one screen pixel per board pixel).

    /usr/bin/python3 tests/web/screenshot.py build/web tools/levelgen/solutions.txt MOVES docs/web.png
"""
import functools
import http.server
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def open_page(site, window_size, fragment=""):
    """A local server for the site and headless Chromium on its page; returns
    the driver and the server, both to be stopped by the caller."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                 "--window-size=" + window_size, "--user-data-dir=" + tempfile.mkdtemp()]:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.get("http://127.0.0.1:%d/%s" % (server.server_address[1], fragment))
    return driver, server


def main():
    site, solutions, count, out = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    with open(solutions) as f:
        moves = f.readline().strip()[:count]
    driver, server = open_page(site, "800,800")
    time.sleep(0.5)
    codes = {"L": "ArrowLeft", "R": "ArrowRight", "U": "ArrowUp", "D": "ArrowDown"}
    for move in moves:
        driver.execute_script("document.dispatchEvent(new KeyboardEvent('keydown', {code: arguments[0]}))",
                              codes[move])
        while driver.execute_script("return Bexaran.sliding()"):
            time.sleep(0.01)
    driver.find_element("id", "frame").screenshot(out)
    driver.quit()
    server.shutdown()


if __name__ == "__main__":
    main()
