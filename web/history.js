// The page's move history: every move of the level in play can be undone, one
// by one back to where the history began (the level's start, or a loaded or
// restored position), and redone until a new move is made. Kept in local
// storage with the position it leads to, so it survives a reload. The exe
// keeps its one-step undo; this is the page's own.
"use strict";

var BexaranHistory = (function () {
    var StorageKey = "bexaran.history";

    // host: core, codes (the core's), positionHex (the position now, as a
    // saved game in hex), giveHex (writes a saved game's hex into the core's
    // file buffer; its size).
    function make(host) {
        var core = host.core, codes = host.codes;
        var letterOf = {}, directionOf = {};
        [["l", codes.DirectionLeft], ["r", codes.DirectionRight], ["u", codes.DirectionUp],
         ["d", codes.DirectionDown]].forEach(function (pair) {
            letterOf[pair[1]] = pair[0];
            directionOf[pair[0]] = pair[1];
        });
        // start: the saved game it began at; fromStart: that is the level's
        // own start (undo all the way draws it as the level starts); moves:
        // letters, upper case a push; at: how many of them are played.
        var h = { start: "", fromStart: true, moves: "", at: 0 };

        // Kept with the position it leads to; the page calls this between
        // moves only, when it keeps the position itself.
        var saved = null;
        function save() {
            var text = JSON.stringify({ start: h.start, fromStart: h.fromStart, moves: h.moves, at: h.at,
                                        end: host.positionHex() });
            if (text === saved) return;
            saved = text;
            try { localStorage.setItem(StorageKey, text); } catch (e) { /* private mode: kept while the page lasts */ }
        }

        function reset(fromStart) {
            h = { start: host.positionHex(), fromStart: fromStart, moves: "", at: 0 };
        }

        // A history kept before the reload, taken when it leads to the
        // position the page came back with.
        function restore() {
            var kept = null;
            try { kept = JSON.parse(localStorage.getItem(StorageKey) || "null"); } catch (e) { kept = null; }
            if (kept && typeof kept.moves === "string" && kept.end === host.positionHex() &&
                /^[LRUDlrud]*$/.test(kept.moves) && kept.at >= 0 && kept.at <= kept.moves.length) {
                h = { start: kept.start, fromStart: !!kept.fromStart, moves: kept.moves, at: kept.at };
                return;
            }
            reset(false);
        }

        function moved(direction, pushing) {
            var letter = letterOf[direction];
            h.moves = h.moves.slice(0, h.at) + (pushing ? letter.toUpperCase() : letter);
            h.at = h.moves.length;
        }

        // The position after the first n moves, drawn whole.
        function show(n) {
            if (n === 0 && h.fromStart) {
                core._webRestart();
            } else {
                var size = host.giveHex(h.start);
                var at = core._webMoveLetters();
                for (var i = 0; i < n; ++i) core.HEAPU8[at + i] = h.moves.charCodeAt(i);
                core.HEAPU8[at + n] = 0;
                if (!core._webReplayFrom(size, n)) { reset(false); return; }
            }
            h.at = n;
        }

        function undo() { if (h.at > 0) show(h.at - 1); }

        // The next move played as the arrow key would, slide and all.
        function redo() {
            if (h.at >= h.moves.length || core._webSliding()) return;
            var letter = h.moves.charAt(h.at), steps = core.HEAP32[core._webMoveState() >> 2];
            core._webMove(directionOf[letter.toLowerCase()]);
            if (core.HEAP32[core._webMoveState() >> 2] === steps) { h.moves = h.moves.slice(0, h.at); return; }
            ++h.at;
        }

        return {
            reset: reset, restore: restore, moved: moved, undo: undo, redo: redo, save: save,
            canUndo: function () { return h.at > 0; },
            canRedo: function () { return h.at < h.moves.length; },
            // The moves played, upper case the pushes; and whether they start
            // at the level's own start (so they are the player's whole solution).
            played: function () { return h.moves.slice(0, h.at); },
            start: function () { return h.start; },
            fromStart: function () { return h.fromStart; }
        };
    }

    return { make: make };
})();
