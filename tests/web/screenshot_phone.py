#!/usr/bin/python3
"""Takes pictures of a room as large as the board on a phone, in headless
Chromium emulating one (390 by 844 CSS pixels, three device pixels to one):
the room whole as it is dropped in, the close view after the keeper has
walked right, the same turned sideways, and the whole room asked for again;
then the editor on the phone with a room of the board's full 20 by 16 cells
opened from a link, as it draws it and as it plays it.

    /usr/bin/python3 tests/web/screenshot_phone.py build/web OUT_FOLDER
"""
import base64
import os
import sys
import time

from screenshot import open_page

# A test room: 18 by 14 cells of floor inside the board's wall, with pillars,
# three boxes and three goals, the keeper at the left of an open row.
ROWS = ["@@@@@@@@@@@@@@@@@@@@",
        "@                  @",
        "@  o     @@     x  @",
        "@        @@        @",
        "@   @@         @@  @",
        "@                  @",
        "@      o    @      @",
        "@  @        @   x  @",
        "@  @   @@          @",
        "@          @@   o  @",
        "@   x              @",
        "@       @@     @@  @",
        "@                  @",
        "@                  @",
        "@@@@@@@@@@@@@@@@@@@@",
        "@@@@@@@@@@@@@@@@@@@@"]
KEEPER = 5 * 20 + 1
# The editor's room: floor right up to the board's outer wall.
FULL = ["@" * 20] + ["@" + " " * 18 + "@"] * 14 + ["@" * 20]
FULL[3] = "@  o      x        @"
FULL[8] = "@  $   @@@@   o x  @"

DROP = """
var bytes = Uint8Array.from(atob(arguments[0]), function (c) { return c.charCodeAt(0); });
var transfer = new DataTransfer();
transfer.items.add(new File([bytes], 'room.bxr'));
document.getElementById('board').dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true}));
"""


def room_file():
    cells = "".join(ROWS).encode()
    return cells + b"".join(n.to_bytes(4, "little") for n in (0, KEEPER, 3, 0))


def settle(driver):
    for _ in range(500):
        if not driver.execute_script("return Bexaran.walking() || document.getAnimations().length > 0"):
            return
        time.sleep(0.02)


def screen(driver, width, height):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 3, "mobile": True})
    time.sleep(0.3)
    settle(driver)


def editor(driver, out):
    screen(driver, 390, 844)
    link = base64.urlsafe_b64encode("".join(FULL).encode()).decode().rstrip("=")
    driver.execute_script("location.hash = arguments[0]", "#board=" + link)
    time.sleep(1.5)
    driver.save_screenshot(os.path.join(out, "phone-editor.png"))
    driver.execute_script("document.getElementById('play').click()")
    settle(driver)
    driver.save_screenshot(os.path.join(out, "phone-editor-play.png"))
    for _ in range(6):
        driver.execute_script("document.dispatchEvent(new KeyboardEvent('keydown', {code: 'ArrowRight'}))")
        settle(driver)
    driver.save_screenshot(os.path.join(out, "phone-editor-play-close.png"))


def main():
    site, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    driver, server = open_page(site, "800,900")
    try:
        screen(driver, 390, 844)
        time.sleep(0.5)
        driver.execute_script(DROP, base64.b64encode(room_file()).decode())
        time.sleep(0.5)
        settle(driver)
        driver.save_screenshot(os.path.join(out, "phone-whole.png"))
        for _ in range(9):
            driver.execute_script("document.dispatchEvent(new KeyboardEvent('keydown', {code: 'ArrowRight'}))")
            settle(driver)
        driver.save_screenshot(os.path.join(out, "phone-close.png"))
        screen(driver, 844, 390)
        driver.save_screenshot(os.path.join(out, "phone-landscape.png"))
        driver.find_element("id", "zoom").click()
        settle(driver)
        driver.save_screenshot(os.path.join(out, "phone-landscape-whole.png"))
        editor(driver, out)
    finally:
        driver.quit()
        server.shutdown()


if __name__ == "__main__":
    main()
