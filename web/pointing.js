// Pointing at the board: swipes and taps move the keeper as the arrow keys
// do; a tap on a cell he can reach walks him there by a shortest walk; a box
// pressed and released on another cell (a drag, or a tap on the box and then
// one on the cell) is pushed there in the fewest pushes the room allows. The
// core computes the walks and pushes by the game's rules (webWalkPath,
// webPushPath); the page plays them step by step at the slide's speed.
"use strict";

var BexaranPointing = (function () {
    var SwipePixels = 20; // CSS pixels: less is a tap

    // host: core, codes, cellAt, keeper() (his cell), direction(dx, dy) for
    // a swipe or the step to a cell beside him, play(direction), walk(letters),
    // stop(), say(text), ready() (the game takes a pointer now), after().
    function make(host) {
        var core = host.core, codes = host.codes;
        var pressed = null, chosen = -1;

        function holdsBox(cell) {
            var code = String.fromCharCode(core._webCellCode(cell));
            return code === codes.CellBox || code === codes.CellBoxOnGoal;
        }

        function mark(cell) {
            chosen = cell;
            host.markCell(cell);
        }

        function letters(count) {
            var at = core._webMoveLetters(), text = "";
            for (var i = 0; i < count; ++i) text += String.fromCharCode(core.HEAPU8[at + i]);
            return text;
        }

        function pushTo(box, target) {
            var count = core._webPushPath(box, target);
            if (count > 0) host.walk(letters(count));
            else host.say("Ящик туда не пройдёт");
        }

        // A tap: a box chosen before is pushed here (a tap on it again lets
        // it go); a box is chosen; a cell beside the keeper is one step, a
        // farther one a walk.
        function tap(cell) {
            if (cell < 0) return;
            if (chosen >= 0) {
                var box = chosen;
                mark(-1);
                if (cell !== box) pushTo(box, cell);
                return;
            }
            if (holdsBox(cell)) {
                mark(cell);
                host.say("Куда толкнуть ящик?");
                return;
            }
            var beside = host.besideKeeper(cell);
            if (beside >= 0) { host.play(beside); return; }
            if (cell === host.keeper()) return;
            var count = core._webWalkPath(cell);
            if (count > 0) host.walk(letters(count));
            else host.say("Туда не пройти");
        }

        function down(e) {
            host.stop();
            var cell = host.cellAt(e.clientX, e.clientY);
            pressed = { x: e.clientX, y: e.clientY, cell: cell, box: cell >= 0 && holdsBox(cell) };
        }

        function up(e) {
            var start = pressed;
            pressed = null;
            if (!start || !host.ready()) return;
            var dx = e.clientX - start.x, dy = e.clientY - start.y;
            var cell = host.cellAt(e.clientX, e.clientY);
            host.say("");
            if (Math.max(Math.abs(dx), Math.abs(dy)) < SwipePixels) tap(cell);
            else if (start.box && cell >= 0 && cell !== start.cell) { mark(-1); pushTo(start.cell, cell); }
            else { mark(-1); host.play(host.direction(dx, dy)); }
            host.after();
        }

        return {
            down: down, up: up,
            cancel: function () { pressed = null; },
            forget: function () { if (chosen >= 0) mark(-1); }
        };
    }

    return { make: make };
})();
