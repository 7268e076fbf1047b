// The level list ("Уровни"): the 50 levels, each with its picture drawn by
// the core, its number and what the player has done there (progress.js):
// not yet played, solved, or solved in the proven fewest pushes (a star),
// with the player's best pushes and steps beside the optimum, and whether
// hints helped. Choosing a level starts it; the game's own order stays.
// Loaded by page.js when the list is first opened.
"use strict";

(function () {
    var Build = "@BEXARAN_PAGE_VERSION@";
    var host = Bexaran.attachLevels({ build: Build, open: open });
    if (!host) return;
    var core = host.core, codes = host.codes;
    var built = false;

    function byId(id) { return document.getElementById(id); }

    function plural(n, one, few, many) {
        var tens = n % 100, units = n % 10;
        if (tens >= 11 && tens <= 14) return many;
        return units === 1 ? one : units >= 2 && units <= 4 ? few : many;
    }

    function figures(pushes, steps) {
        return pushes + " " + plural(pushes, "толчок", "толчка", "толчков") + ", " +
               steps + " " + plural(steps, "шаг", "шага", "шагов");
    }

    var Style =
        "#levels .box { width: min(720px, 94vw); }" +
        "#levelGrid { display: grid; grid-template-columns: repeat(auto-fill, minmax(150px, 1fr)); gap: 6px;" +
        "  max-height: 70vh; overflow-y: auto; padding: 8px; background: #fff; }" +
        "#levelGrid button { font: inherit; display: flex; flex-direction: column; align-items: center; gap: 2px;" +
        "  padding: 4px; border: 1px solid #bbb; background: #f7f7f7; }" +
        "#levelGrid button.current { border-color: #2a6fb0; background: #e2f0fc; }" +
        "#levelGrid canvas { height: 96px; max-width: 140px; object-fit: contain; image-rendering: auto; }" +
        "#levelGrid .mark { font-size: 12px; color: #555; text-align: center; }" +
        "#levelGrid [data-state=optimal] .number::after { content: ' \\2605'; color: #c08a00; }" +
        "#levelGrid [data-state=solved] .number::after { content: ' \\2713'; color: #2a7a2a; }";

    // The level's room, drawn by the core at a quarter of a cell's pixels.
    function picture(n) {
        var small = codes.CellPixels / 4, width = codes.Columns * small, height = codes.Rows * small;
        var at = core._webLevelPicture(n - 1), room = core._webLevelPictureRoom() >> 2;
        var left = core.HEAP32[room] * small, top = core.HEAP32[room + 1] * small;
        var canvas = document.createElement("canvas");
        canvas.width = core.HEAP32[room + 2] * small;
        canvas.height = core.HEAP32[room + 3] * small;
        var pixels = new Uint8ClampedArray(core.HEAPU8.buffer, at, width * height * 4).slice();
        canvas.getContext("2d").putImageData(new ImageData(pixels, width, height), -left, -top, left, top,
                                             canvas.width, canvas.height);
        return canvas;
    }

    function build() {
        var style = document.createElement("style");
        style.textContent = Style;
        document.head.appendChild(style);
        var dialog = document.createElement("div");
        dialog.className = "overlay";
        dialog.id = "levels";
        dialog.innerHTML = "<div class='box'><div class='caption'>Уровни</div><div id='levelGrid'></div>" +
                           "<div class='buttons'><button id='levelsClose'>Закрыть</button></div></div>";
        document.body.appendChild(dialog);
        var grid = byId("levelGrid");
        for (var n = 1; n <= codes.LevelCount; ++n) {
            var button = document.createElement("button");
            button.dataset.level = n;
            button.appendChild(picture(n));
            var number = document.createElement("span");
            number.className = "number";
            number.textContent = "Уровень " + n;
            var mark = document.createElement("span");
            mark.className = "mark";
            button.appendChild(number);
            button.appendChild(mark);
            grid.appendChild(button);
        }
        grid.addEventListener("click", function (e) {
            var button = e.target.closest("button");
            if (button) { close(); host.startLevel(Number(button.dataset.level)); }
        });
        byId("levelsClose").addEventListener("click", close);
        built = true;
    }

    // The marks, from the progress kept and the stored optimal solutions.
    function mark(optimum) {
        var progress = BexaranProgress.read(), current = host.level();
        var buttons = byId("levelGrid").querySelectorAll("button");
        for (var i = 0; i < buttons.length; ++i) {
            var n = i + 1, done = progress[n] || {}, best = optimum[n];
            var optimal = done.solved && best && done.pushes === best.pushes;
            var text = "не пройден";
            if (done.solved) {
                text = done.pushes === null || done.pushes === undefined ? "пройден" : "пройден: " + figures(done.pushes, done.steps);
                if (best) text += "; лучшее: " + figures(best.pushes, best.moves);
            }
            if (done.hintedSolve) text += "; с подсказками";
            buttons[i].dataset.state = optimal ? "optimal" : done.solved ? "solved" : "new";
            buttons[i].dataset.hinted = done.hintedSolve ? "1" : "0";
            buttons[i].querySelector(".mark").textContent = text;
            buttons[i].classList.toggle("current", n === current);
        }
    }

    function open() {
        if (!built) build();
        byId("levels").classList.add("shown");
        host.setOpen(true);
        mark({});
        host.solutions(function (optimum) { mark(optimum); });
        var current = byId("levelGrid").querySelector("button.current");
        if (current) { current.scrollIntoView({ block: "nearest" }); current.focus(); }
    }

    function close() {
        byId("levels").classList.remove("shown");
        host.setOpen(false);
    }

    window.BexaranLevels = { close: close };
})();
