// The page's side of the solver's worker (solver-worker.js), shared by the
// editor's verdict and the game's hint: one search in a worker of its own,
// ended as soon as it answers, so an idle page does not keep the memory a
// search grew to. A worker of another build (the site was updated and this
// page's own files are gone) is not believed. Written in front of editor.js
// and hint.js, which use it.
"use strict";

var BexaranSolver = (function () {
    // room: { cells (the 320 cell codes as bytes), keeper }; budget: {
    // seconds, megabytes }; progress(expanded) now and then, or null;
    // then({ verdict } or { failed: "memory", "error" or "build" }) once.
    // Returns { stop }, which ends the search without an answer.
    function solve(build, room, budget, progress, then) {
        var made = new Worker("solver-worker.js?build=" + build), ended = false;
        var end = function () {
            if (ended) return;
            ended = true;
            made.terminate();
        };
        var answer = function (what) {
            if (ended) return;
            end();
            then(what);
        };
        made.onmessage = function (e) {
            if (e.data.build !== build) answer({ failed: "build" });
            else if (e.data.failed) answer({ failed: e.data.failed });
            else if (e.data.verdict !== undefined) answer({ verdict: e.data.verdict });
            else if (progress && !ended) progress(e.data.expanded);
        };
        made.onerror = function (e) { e.preventDefault(); answer({ failed: "error" }); };
        made.postMessage({ board: room.cells, keeper: room.keeper, seconds: budget.seconds, megabytes: budget.megabytes });
        return { stop: end };
    }

    return { solve: solve };
})();
