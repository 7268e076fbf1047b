#!/usr/bin/python3
"""Takes the README's picture of the editor: a built-in level opened from a
share link, with the solver's proven verdict, in headless Chromium at the
page's natural size.

    /usr/bin/python3 tests/web/screenshot_editor.py build/web build/host/tools/cli/bexaran-cli 25 docs/editor.png
"""
import base64
import subprocess
import sys
import time

from screenshot import open_page


def main():
    site, cli, level, out = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
    rows = subprocess.check_output([cli, "level", level], text=True).splitlines()[:16]
    cells = "".join(rows).replace("P", "$").replace("p", "$")
    link = base64.urlsafe_b64encode(cells.encode()).decode().rstrip("=")
    driver, server = open_page(site, "800,900", "#board=" + link)
    for _ in range(600):
        state = driver.execute_script("var v = document.getElementById('verdict'); return v && v.dataset.state")
        if state and state != "searching":
            break
        time.sleep(0.05)
    driver.execute_script("document.querySelector('#palette button[data-tool=\"3\"]').click()")
    driver.find_element("id", "frame").screenshot(out)
    driver.quit()
    server.shutdown()


if __name__ == "__main__":
    main()
