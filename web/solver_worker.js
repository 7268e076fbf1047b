// The editor's solver in a Web Worker: the page posts a room (its 320 cell
// codes, the keeper's cell and the budget), the worker answers with
// { expanded } now and then while it searches and at the end with
// { verdict } or { failed: "memory" or "error" }, each with the worker's
// build. One search per worker: the page ends it after the answer, or to
// cancel. This is written in front of the solver's module, whose Module it
// fills.
var Build = "@BEXARAN_PAGE_VERSION@";
var expandedBefore = 0, lastExpanded = 0;
var outOfMemory = false; // set by the module when an allocation fails

// The solver's two searches each count from zero: their sum is the effort.
function postProgress(expanded) {
    if (expanded < lastExpanded) expandedBefore += lastExpanded;
    lastExpanded = expanded;
    postMessage({ expanded: expandedBefore + expanded, build: Build });
}

function text(at) {
    var s = "";
    for (var p = at; Module.HEAPU8[p]; ++p) s += String.fromCharCode(Module.HEAPU8[p]);
    return s;
}

// The result's fields where the module says they lie.
function readVerdict(at, layout) {
    var read = {
        i32: function (offset) { return Module.HEAP32[(at + offset) >> 2]; },
        f64: function (offset) { return Module.HEAPF64[(at + offset) >> 3]; },
        text: function (offset) { return text(Module.HEAP32[(at + offset) >> 2] >>> 0); }
    };
    var verdict = {};
    for (var name in layout) verdict[name] = read[layout[name][1]](layout[name][0]);
    verdict.outcome = verdict.outcomeName;
    delete verdict.outcomeName;
    return verdict;
}

function solve(room) {
    expandedBefore = lastExpanded = 0;
    try {
        var layout = JSON.parse(text(Module._verdictLayout()));
        Module.HEAPU8.set(room.board, Module._roomBuffer());
        var at = Module._solveRoom(room.keeper, room.seconds, room.megabytes);
        postMessage({ verdict: readVerdict(at, layout), build: Build });
    } catch (e) {
        postMessage({ failed: outOfMemory ? "memory" : "error", build: Build });
    }
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
