#!/usr/bin/python3
"""Takes the README's pictures of the page as a player: the level list after
levels 1 and 2 were solved by their stored solutions and level 3 with a hint
asked first, and a hint on level 10's start, in headless Chromium.

    /usr/bin/python3 tests/web/screenshot_player.py build/web tools/levelgen/solutions.txt docs/level-list.png docs/hint.png
"""
import sys
import time

from screenshot import open_page

CODES = {"L": "ArrowLeft", "R": "ArrowRight", "U": "ArrowUp", "D": "ArrowDown"}


def wait(driver, condition, seconds=30):
    end = time.time() + seconds
    while time.time() < end and not driver.execute_script("return " + condition):
        time.sleep(0.02)


def solve(driver, moves):
    for move in moves:
        driver.execute_script("document.dispatchEvent(new KeyboardEvent('keydown', {code: arguments[0]}))",
                              CODES[move])
        wait(driver, "!Bexaran.sliding()")
    wait(driver, "document.getElementById('message').classList.contains('shown')")
    driver.find_element("id", "messageOk").click()


def hint(driver):
    driver.find_element("id", "hint").click()
    wait(driver, "/^Решение/.test(document.getElementById('hintText').textContent)")


def main():
    site, solutions, levels_out, hint_out = sys.argv[1:5]
    with open(solutions) as f:
        stored = [line.strip() for line in f]
    driver, server = open_page(site, "800,860")
    try:
        time.sleep(0.5)
        solve(driver, stored[0])
        solve(driver, stored[1])
        hint(driver)
        solve(driver, stored[2])
        driver.find_element("id", "levelsMenu").click()
        wait(driver, "!!document.querySelector('#levelGrid [data-level=\"1\"]') && /лучшее/.test("
                     "document.querySelector('#levelGrid [data-level=\"1\"] .mark').textContent)")
        driver.save_screenshot(levels_out)
        driver.find_element("css selector", "#levelGrid [data-level='10']").click()
        hint(driver)
        driver.find_element("id", "frame").screenshot(hint_out)
    finally:
        driver.quit()
        server.shutdown()


if __name__ == "__main__":
    main()
