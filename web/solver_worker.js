// The editor's solver in a Web Worker: the page posts a room (its 320 cell
// codes, the keeper's cell and the budget), the worker answers with
// { expanded } now and then while it searches and { verdict } at the end.
// One search at a time; the page cancels one by ending the worker. This is
// written in front of the solver's module, whose Module it fills.
var expandedBefore = 0, lastExpanded = 0;

// The solver's two searches each count from zero: their sum is the effort.
function postProgress(expanded) {
    if (expanded < lastExpanded) expandedBefore += lastExpanded;
    lastExpanded = expanded;
    postMessage({ expanded: expandedBefore + expanded });
}

function solve(room) {
    expandedBefore = lastExpanded = 0;
    Module.HEAPU8.set(room.board, Module._roomBuffer());
    var at = Module._solveRoom(room.keeper, room.seconds, room.megabytes);
    var words = Module.HEAP32, doubles = Module.HEAPF64;
    var moves = "";
    for (var p = words[(at >> 2) + 8]; Module.HEAPU8[p]; ++p) moves += String.fromCharCode(Module.HEAPU8[p]);
    postMessage({ verdict: {
        outcome: words[at >> 2], pushes: words[(at >> 2) + 1], moveCount: words[(at >> 2) + 2],
        lowerBound: words[(at >> 2) + 3], expanded: doubles[(at >> 3) + 2], seconds: doubles[(at >> 3) + 3],
        moves: moves
    } });
}

var ready = false, waiting = null; // a room posted before the module was ready
var Module = {
    onRuntimeInitialized: function () {
        ready = true;
        if (waiting) solve(waiting);
        waiting = null;
    }
};
self.onmessage = function (e) {
    if (ready) solve(e.data);
    else waiting = e.data;
};
