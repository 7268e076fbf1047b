// What the player has done in each of the 50 levels, kept in local storage
// (it survives reloads and updates): solved or not, the best solution by
// pushes and then steps, and how many hints the level took. The level list
// (levels.js) shows it; the page records a solved level and each hint here.
"use strict";

var BexaranProgress = (function () {
    var StorageKey = "bexaran.progress";

    function read() {
        try {
            var kept = JSON.parse(localStorage.getItem(StorageKey) || "{}");
            return kept && typeof kept === "object" && !Array.isArray(kept) ? kept : {};
        } catch (e) { return {}; }
    }

    function write(all) {
        try { localStorage.setItem(StorageKey, JSON.stringify(all)); } catch (e) { /* private mode */ }
    }

    // Level n (1 to 50) solved in pushes (null: not known, the play began
    // elsewhere than the level's start) and steps.
    function solved(n, pushes, steps) {
        var all = read(), was = all[n] || {};
        var better = !was.solved || (pushes !== null && (was.pushes === null || was.pushes === undefined ||
                     pushes < was.pushes || (pushes === was.pushes && steps < was.steps)));
        all[n] = { solved: true, pushes: better ? pushes : was.pushes, steps: better ? steps : was.steps,
                   hints: was.hints || 0, hintedSolve: (was.hintedSolve || false) || (was.pendingHints || 0) > 0,
                   pendingHints: 0 };
        write(all);
    }

    // A hint asked in level n: counted, and the next solve of it counts as helped.
    function hinted(n) {
        var all = read(), was = all[n] || { solved: false };
        was.hints = (was.hints || 0) + 1;
        was.pendingHints = (was.pendingHints || 0) + 1;
        all[n] = was;
        write(all);
    }

    return { read: read, solved: solved, hinted: hinted };
})();
