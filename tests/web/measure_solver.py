#!/usr/bin/python3
"""Measures the editor's solver, built to WebAssembly and run in a Web Worker
in headless Chromium, against the native one (bexaran-solve) on the same
rooms: the fixed boards of the solver benchmark (tests/bench/solver_bench.cpp)
and levels 40 and 47 of the table (searches of seconds, so the worker's fixed
cost of some milliseconds a search weighs little), each solved RUNS times by
both in one run of this script. The figure is the
solver's own time for the search (no process start, no worker start); the
positions expanded must be equal, or the two did not do the same work.

    /usr/bin/python3 tests/web/measure_solver.py build/web build/host/tools/solver/bexaran-solve [RUNS]
"""
import functools
import http.server
import os
import re
import subprocess
import sys
import tempfile
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

BENCH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bench", "solver_bench.cpp")
TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "game", "level_table.cpp")
LEVELS = (40, 47)
STARTS = "$<>^v"

# Solves one room in a fresh worker; answers the verdict.
SOLVE = """
var done = arguments[arguments.length - 1];
var worker = new Worker('solver-worker.js');
worker.onmessage = function (e) { if (e.data.verdict) { worker.terminate(); done(e.data.verdict); } };
worker.onerror = function (e) { done({error: e.message}); };
worker.postMessage({board: new Uint8Array(arguments[0]), keeper: arguments[1], seconds: 0, megabytes: 256});
"""


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def bench_boards():
    """The benchmark's boards: rows from the board's third row down, walls all round."""
    with open(BENCH) as f:
        source = f.read()
    table = source[source.index("Boards[][8] = {"):source.index("};")]
    boards = []
    for block in re.findall(r"\{([^{}]*)\}", table):
        cells = ["@"] * 320
        for y, row in enumerate(re.findall(r'"([^"]*)"', block)):
            for x in range(1, 19):
                cells[(y + 2) * 20 + x] = row[x]
        boards.append(cells)
    return boards


def level_boards():
    """Levels of the table as they start."""
    with open(TABLE) as f:
        rows = re.findall(r'ROW\("([^"]*)"\)', f.read())
    return [list("".join(rows[(n - 1) * 16:n * 16])) for n in LEVELS]


def native(solve, cells, runs, folder):
    path = os.path.join(folder, "room.txt")
    with open(path, "w") as f:
        for y in range(16):
            f.write("".join("P" if c in STARTS else c for c in cells[y * 20:y * 20 + 20]) + "\n")
    best, expanded = None, None
    for _ in range(runs):
        out = subprocess.check_output([solve, "--board", "--max-megabytes", "256", path], text=True)
        seconds = float(re.search(r"^seconds (\S+)$", out, re.M).group(1))
        expanded = int(re.search(r"^expanded (\d+)$", out, re.M).group(1))
        best = seconds if best is None else min(best, seconds)
    return best, expanded


def wasm(driver, cells, runs):
    keeper = next(i for i, c in enumerate(cells) if c in STARTS)
    board = [ord(" " if c in STARTS else c) for c in cells]
    best, expanded = None, None
    for _ in range(runs):
        verdict = driver.execute_async_script(SOLVE, board, keeper)
        if "error" in verdict:
            raise RuntimeError(verdict["error"])
        best = verdict["seconds"] if best is None else min(best, verdict["seconds"])
        expanded = int(verdict["expanded"])
    return best, expanded


def main():
    site, solve = sys.argv[1], os.path.abspath(sys.argv[2])
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    folder = tempfile.mkdtemp()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                 "--user-data-dir=" + os.path.join(folder, "profile")]:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_script_timeout(300)
    driver.get("http://127.0.0.1:%d/" % server.server_address[1])
    totals = [0.0, 0.0]
    try:
        for n, cells in enumerate(bench_boards() + level_boards()):
            native_seconds, native_expanded = native(solve, cells, runs, folder)
            wasm_seconds, wasm_expanded = wasm(driver, cells, runs)
            if native_expanded != wasm_expanded:
                raise RuntimeError("board %d: %d positions natively, %d in wasm" % (n, native_expanded, wasm_expanded))
            totals[0] += native_seconds
            totals[1] += wasm_seconds
            print("board %d: %d positions; native %.3f s, wasm %.3f s, ratio %.2f (best of %d)" %
                  (n, native_expanded, native_seconds, wasm_seconds, wasm_seconds / native_seconds, runs))
    finally:
        driver.quit()
        server.shutdown()
    print("all boards: native %.3f s, wasm %.3f s, wasm/native %.2f" % (totals[0], totals[1], totals[1] / totals[0]))


if __name__ == "__main__":
    main()
