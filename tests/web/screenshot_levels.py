#!/usr/bin/python3
"""Plays levels through in the page by their stored solutions, as a player
at the keyboard would, on a desktop window and on a phone (390 by 844 CSS
pixels), and takes pictures of each level as it starts, halfway and solved.

    /usr/bin/python3 tests/web/screenshot_levels.py build/web tools/levelgen/solutions.txt OUT_FOLDER 1 10 25 41 50
"""
import os
import sys
import time

from screenshot import open_page
from screenshot_phone import screen, settle
from screenshot_player import wait

CODES = {"L": "ArrowLeft", "R": "ArrowRight", "U": "ArrowUp", "D": "ArrowDown"}


def play(driver, level, moves, out, view):
    driver.find_element("id", "levelsMenu").click()
    wait(driver, "!!document.querySelector('#levelGrid [data-level=\"%d\"]')" % level)
    driver.find_element("css selector", "#levelGrid [data-level='%d']" % level).click()
    settle(driver)
    name = os.path.join(out, "%s-level-%d-" % (view, level))
    driver.save_screenshot(name + "start.png")
    for k, move in enumerate(moves):
        driver.execute_script("document.dispatchEvent(new KeyboardEvent('keydown', {code: arguments[0]}))",
                              CODES[move])
        wait(driver, "!Bexaran.sliding()")
        if k == len(moves) // 2:
            settle(driver)
            driver.save_screenshot(name + "halfway.png")
    wait(driver, "document.getElementById('message').classList.contains('shown')")
    solved = driver.execute_script("return document.getElementById('message').classList.contains('shown')")
    driver.save_screenshot(name + "solved.png")
    driver.find_element("id", "messageOk").click()
    return solved


def main():
    site, solutions, out = sys.argv[1:4]
    levels = [int(n) for n in sys.argv[4:]]
    with open(solutions) as f:
        stored = [line.strip() for line in f]
    os.makedirs(out, exist_ok=True)
    for view, size in (("desktop", "800,860"), ("phone", "390,844")):
        driver, server = open_page(site, size)
        try:
            time.sleep(0.5)
            if view == "phone":
                screen(driver, 390, 844)
            for level in levels:
                solved = play(driver, level, stored[level - 1], out, view)
                print("%s level %d: %s" % (view, level, "solved" if solved else "NOT SOLVED"))
        finally:
            driver.quit()
            server.shutdown()


if __name__ == "__main__":
    main()
