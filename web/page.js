// The page around the game core: canvas, menus, keys and swipes, the status
// bar, the message boxes and About, saved games as downloads and file picks,
// and the position kept in local storage. The core (bexaran-core.wasm) does
// every move, check and drawing; this file only carries events to it and its
// pictures and texts to the screen. The room editor (editor.js) is loaded
// from here when it is first opened.
"use strict";

var Module = { onRuntimeInitialized: function () { Bexaran.start(); } };

var Bexaran = (function () {
    // This page's build: the editor and the solver's worker are asked for by
    // it, so a page open across an update never mixes two builds' files.
    var Build = "@BEXARAN_PAGE_VERSION@";
    var TickMs = 40; // the animation timer of the Windows game
    var StorageKey = "bexaran.position";
    // The core's codes and sizes (webCodes), read once it has started.
    var Codes = null;
    var Width, Height, SavedGameSize, Direction, keyDirections;

    var core, context, picture, timer = 0;
    var solvedPending = false; // the level-solved message is waiting or its box is open
    var messageOpen = false, aboutOpen = false, closeMessage = null, askCancelled = null;
    var saveName = "bexaran.bxr"; // the name the last dialog chose, proposed by the next
    var storedPosition = null, ended = false;
    // The page's own move history (history.js): every move undone and redone.
    var moves = null;
    // Steps the keeper is yet to take, one each time the last has slid to
    // its end: a walk or a push pointed at, or a solution being shown.
    var queued = "";
    // The editor (editor.js), loaded when it is first opened; while it is
    // open it has the board, the keys and the taps, and the game waits.
    var editor = null, editorLoading = false, openAfterSolved = false;
    // Who the level-solved message waiting is for: the game, or a room the
    // editor plays; a message for a room the editor has since left is dropped.
    var solvedFor = null;

    function byId(id) { return document.getElementById(id); }

    function readCodes() {
        var at = core._webCodes(), text = "";
        while (core.HEAPU8[at]) text += String.fromCharCode(core.HEAPU8[at++]);
        Codes = JSON.parse(text);
        Width = Codes.Columns * Codes.CellPixels;
        Height = Codes.Rows * Codes.CellPixels;
        SavedGameSize = Codes.SavedGameSize;
        Direction = { left: Codes.DirectionLeft, right: Codes.DirectionRight,
                      up: Codes.DirectionUp, down: Codes.DirectionDown };
        keyDirections = {
            ArrowLeft: Direction.left, ArrowRight: Direction.right,
            ArrowUp: Direction.up, ArrowDown: Direction.down,
            KeyA: Direction.left, KeyD: Direction.right, KeyW: Direction.up, KeyS: Direction.down
        };
        Cell = Codes.CellPixels;
        Columns = Codes.Columns;
        Rows = Codes.Rows;
        wholeBoard = { x: 0, y: 0, width: Width, height: Height };
        view = wholeBoard;
    }

    // ---- drawing ------------------------------------------------------------

    // Copies what the core changed from its back buffer to the canvas, whose
    // pixels are the board's from the view's corner on.
    function flush() {
        var at = core._webTakeDirty() >> 2;
        var left = core.HEAP32[at], top = core.HEAP32[at + 1];
        var right = core.HEAP32[at + 2], bottom = core.HEAP32[at + 3];
        if (right <= left || bottom <= top) return;
        context.putImageData(picture, -view.x, -view.y, left, top, right - left, bottom - top);
    }

    // ---- the view: the whole board, or on a small screen the room alone ---------

    var Cell, Columns, Rows; // from the core's codes
    var ThumbCell = 40; // CSS pixels: a cell a thumb can aim at
    var EditMargin = 2, EditCells = 8; // the drawing view on a phone, in cells
    // Until the core has started, the canvas as the page's HTML sizes it.
    var wholeBoard = { x: 0, y: 0, width: byId("board").width, height: byId("board").height };
    var view = wholeBoard; // the part of the board on the canvas, in board pixels
    var phone = false;
    // A room whose cells, fitted whole, would be smaller than a thumb: on a
    // phone it is shown whole, shrunk (wholeView "start" as it begins, until
    // the keeper first moves; "chosen" when the player asks), or close, at a
    // thumb's size, the board gliding so he stays FollowMargin cells from an
    // edge where the room goes on.
    var FollowMargin = 3;
    var big = false, wholeView = "start", startKeeper = -1;
    // The whole view's size against the close one's.
    var shrunk = 1;
    // The close view's corner on the board, and the canvas's size, in CSS pixels
    // (offsetWidth would round it).
    var pan = [0, 0], shownSize = [0, 0];
    var laidOutFor = ""; // the screen's size at the last layout
    // The chosen box, the hint's arrow and its direction: placed again on a new layout.
    var marked = -1, arrow = null;

    // Device pixels per board pixel for a picture in a space of CSS pixels:
    // whole ones where that still fills three quarters of the space (and
    // keeps a cell at least thumbCell CSS pixels wide where the space allows
    // that), else the largest size that fits; drawn without smoothing either way.
    function scaleFor(picture, spaceWidth, spaceHeight, ratio, thumbCell) {
        var fit = Math.min(spaceWidth * ratio / picture.width, spaceHeight * ratio / picture.height);
        var whole = Math.floor(fit);
        var cellOf = function (scale) { return Cell * scale / ratio; };
        if (whole < 1 || cellOf(whole) < Math.min(thumbCell, cellOf(fit))) return fit;
        return whole / fit >= 0.75 || ratio <= 1 ? whole : fit;
    }

    function room() {
        var at = core._webRoom() >> 2;
        return core.HEAP32.subarray(at, at + 5);
    }

    // The level's cells other than wall with one cell of wall all round. Our
    // rooms are small, so on a phone this is what makes a cell big enough for
    // a thumb.
    function roomView() {
        var r = room();
        if (r[2] < r[0]) return wholeBoard; // no floor at all: nothing to single out
        var left = Math.max(r[0] - 1, 0), top = Math.max(r[1] - 1, 0);
        var right = Math.min(r[2] + 1, Columns - 1), bottom = Math.min(r[3] + 1, Rows - 1);
        return { x: left * Cell, y: top * Cell, width: (right - left + 1) * Cell, height: (bottom - top + 1) * Cell };
    }

    function sameView(a, b) {
        return a.x === b.x && a.y === b.y && a.width === b.width && a.height === b.height;
    }

    // A new view resizes the canvas, which clears it: the whole view is drawn again.
    function setView(next) {
        if (sameView(next, view)) return;
        view = next;
        showWhole();
        var canvas = byId("board");
        canvas.width = view.width;
        canvas.height = view.height;
        if (picture) context.putImageData(picture, -view.x, -view.y, view.x, view.y, view.width, view.height);
    }

    // The whole board where it can be shown at its natural size or larger
    // (a desktop); else (a phone) the room, as large as fits between the menu
    // bar and the status bar, which then span the screen.
    function layout(again) {
        var canvas = byId("board"), frame = byId("frame"), panel = byId("editor");
        var ratio = window.devicePixelRatio || 1;
        var bars = byId("menubar").offsetHeight + byId("status").offsetHeight + (panel ? panel.offsetHeight : 0) +
                   byId("hintBar").offsetHeight;
        var scale = scaleFor(wholeBoard, window.innerWidth - 2, window.innerHeight - bars - 8, ratio, 0);
        phone = scale < ratio && !!core;
        var next = phone ? phoneView() : wholeBoard;
        if (phone) scale = scaleFor(next, window.innerWidth, window.innerHeight - bars, ratio, ThumbCell);
        var wasBig = big;
        big = phone && Cell * scale / ratio < ThumbCell - 0.01 && !(editor && editor.drawing());
        if (big && !wasBig) showWhole();
        // Coming in or out of the zoom, in another room or on a turned screen,
        // the board is put in place at once: it glides only to follow him.
        var screen = window.innerWidth + "x" + window.innerHeight;
        if (big !== wasBig || !sameView(next, view) || screen !== laidOutFor) byId("pan").style.transition = "none";
        laidOutFor = screen;
        var fitted = scale;
        if (big) scale = closeScale(ratio);
        shrunk = fitted / scale;
        frame.classList.toggle("phone", phone);
        byId("stage").classList.toggle("big", big);
        // The button takes room in the menu bar: shown or hidden, the bars are measured anew (once).
        var toggled = byId("zoom").hidden === big;
        byId("zoom").hidden = !big;
        if (toggled && !again) { layout(true); return; }
        setView(next);
        shownSize = [next.width * scale / ratio, next.height * scale / ratio];
        canvas.style.width = shownSize[0] + "px";
        canvas.style.height = shownSize[1] + "px";
        frame.style.width = phone ? "" : canvas.style.width;
        byId("status").classList.toggle("narrow", (phone ? window.innerWidth : next.width * scale / ratio) < 480);
        markCell(marked);
        if (arrow) showArrow(arrow[0], arrow[1]);
        aim(false);
        // The jump is laid out before the glide is back.
        byId("pan").offsetWidth;
        byId("pan").style.transition = "";
    }

    // Device pixels per board pixel for a thumb's cell: whole ones where they
    // come near enough, so the pictures stay crisp.
    function closeScale(ratio) {
        var exact = ThumbCell * ratio / Cell, whole = Math.round(exact);
        return whole >= exact * 0.9 && whole <= exact * 1.25 ? whole : exact;
    }

    // A room comes on the screen whole; his first move brings the close view.
    function showWhole() {
        wholeView = "start";
        startKeeper = core ? room()[4] : -1;
    }

    // "Вся комната" / "Крупно": the close view centred on him, or the whole room.
    function toggleZoom() {
        wholeView = wholeView ? "" : "chosen";
        aim(true);
    }

    // Where a big room lies in the stage: the whole of it shrunk and centred,
    // or the close view following the keeper; the hint's arrow, while shown,
    // is kept in view too.
    function aim(centre) {
        var pane = byId("pan");
        if (!big) { pane.style.transform = ""; return; }
        var keeper = room()[4];
        if (wholeView === "start" && keeper !== startKeeper) { wholeView = ""; centre = true; }
        var stage = byId("stage").getBoundingClientRect(), size = shownSize, space = [stage.width, stage.height], axis;
        var cell = size[0] * Cell / view.width;
        byId("zoom").textContent = wholeView ? "Крупно" : "Вся комната";
        if (wholeView) {
            pane.style.transform = "translate(" + (space[0] - size[0] * shrunk) / 2 + "px," +
                                   (space[1] - size[1] * shrunk) / 2 + "px) scale(" + shrunk + ")";
            return;
        }
        var at = function (c) {
            return ((axis ? Math.floor(c / Columns) : c % Columns) - (axis ? view.y : view.x) / Cell) * cell;
        };
        for (axis = 0; axis < 2; ++axis) {
            pan[axis] = follow(centre ? at(keeper) + (cell - space[axis]) / 2 : pan[axis], size[axis], space[axis],
                               at(keeper), cell, FollowMargin);
            if (arrow) pan[axis] = follow(pan[axis], size[axis], space[axis], at(arrow[0]), cell, 1);
        }
        pane.style.transform = "translate(" + -pan[0] + "px," + -pan[1] + "px)";
    }

    // The close view's offset along one line of the board (size CSS pixels,
    // space of them shown) that keeps the cell at `at` margin cells from
    // either edge, moving from `from` as little as that takes; a board that
    // fits is centred.
    function follow(from, size, space, at, cell, margin) {
        if (size <= space) return (size - space) / 2;
        margin = Math.min(margin, Math.floor((space / cell - 1) / 2)) * cell;
        from = Math.max(Math.min(from, at - margin), at + cell + margin - space);
        return Math.max(0, Math.min(from, size - space));
    }

    // The cells lo..hi of a line of limit cells, widened to at least least
    // cells where the line allows, and kept inside it.
    function span(lo, hi, least, limit) {
        lo = Math.max(lo, 0);
        hi = Math.min(hi, limit - 1);
        while (hi - lo + 1 < Math.min(least, limit)) {
            if (lo > 0) --lo;
            if (hi - lo + 1 < least && hi < limit - 1) ++hi;
        }
        return [lo, hi];
    }

    // While the editor draws on a phone: the room drawn so far with two cells
    // to grow into all round, at least EditCells each way, so a cell is big
    // enough to aim at; nothing drawn yet, the whole board. The editor's
    // bounds are those of the room before a stroke in progress, so the view
    // never moves under the finger; it is fitted anew when the stroke ends.
    function drawingView() {
        var b = editor.bounds();
        if (!b) return wholeBoard;
        var across = span(b[0] - EditMargin, b[2] + EditMargin, EditCells, Columns);
        var down = span(b[1] - EditMargin, b[3] + EditMargin, EditCells, Rows);
        return { x: across[0] * Cell, y: down[0] * Cell,
                 width: (across[1] - across[0] + 1) * Cell, height: (down[1] - down[0] + 1) * Cell };
    }

    // A new level, a loaded game or a restored one may stand in another room.
    function followRoom() {
        if (phone && !sameView(phoneView(), view)) layout();
    }

    function phoneView() {
        return editor && editor.drawing() ? drawingView() : roomView();
    }

    // ---- the position kept across reloads -----------------------------------

    function positionHex() {
        var at = core._webPosition(), hex = "";
        for (var i = 0; i < SavedGameSize; ++i)
            hex += (core.HEAPU8[at + i] + 256).toString(16).slice(1);
        return hex;
    }

    // Between moves only, and not while a solved level waits for its box:
    // the solved board would never be congratulated after a reload.
    function persist() {
        if (ended || solvedPending || core._webSliding() || (editor && editor.isOpen())) return;
        if (moves) moves.save();
        var hex = positionHex();
        if (hex === storedPosition) return;
        storedPosition = hex;
        try { localStorage.setItem(StorageKey, hex); } catch (e) { /* private mode: not kept */ }
    }

    function giveFile(bytes) {
        var count = Math.min(bytes.length, SavedGameSize + 1);
        core.HEAPU8.set(bytes.subarray(0, count), core._webFileBuffer());
        return count;
    }

    function bytesOfHex(hex) {
        var bytes = new Uint8Array(hex.length / 2);
        for (var i = 0; i < bytes.length; ++i) bytes[i] = parseInt(hex.substr(i * 2, 2), 16);
        return bytes;
    }

    function giveHex(hex) { return giveFile(bytesOfHex(hex)); }

    // True when a kept position was taken.
    function restore() {
        var hex = null;
        try { hex = localStorage.getItem(StorageKey); } catch (e) { return false; }
        if (!hex || !/^([0-9a-f]{2})+$/.test(hex)) return false;
        if (!core._webRestore(giveHex(hex))) return false;
        storedPosition = hex;
        return true;
    }

    // Every event ends here: the canvas catches up, the position is kept and
    // the menu offers what the history can do.
    function after() {
        followRoom();
        aim(false);
        flush();
        persist();
        if (moves && !(editor && editor.isOpen())) {
            byId("undo").disabled = !moves.canUndo();
            byId("redo").disabled = !moves.canRedo();
        }
    }

    function moveState() {
        var at = core._webMoveState() >> 2;
        return { steps: core.HEAP32[at], pushing: core.HEAP32[at + 1], level: core.HEAP32[at + 2],
                 keeper: core.HEAP32[at + 3] };
    }

    // Every move of the player's goes through here, so the history sees it;
    // a room the editor plays keeps the game's history out of it.
    function playMove(direction) {
        var before = moveState().steps;
        core._webMove(direction);
        var now = moveState();
        if (now.steps !== before && !(editor && editor.isOpen())) {
            moves.moved(direction, now.pushing);
            clearHint();
            if (!(editor && editor.isOpen())) byId("part3").textContent = ""; // a pointing's line is past
        }
        return now.steps !== before;
    }

    // A key or a new tap stops a walk after the step under way.
    function stopWalking() { queued = ""; }

    function walkOn() {
        if (!queued || core._webSliding() || blocked() || solvedPending) return;
        var letter = queued.charAt(0).toUpperCase();
        queued = queued.slice(1);
        var direction = { L: Direction.left, R: Direction.right, U: Direction.up, D: Direction.down }[letter];
        if (!playMove(direction)) queued = "";
    }

    // ---- commands -------------------------------------------------------------

    function blocked() { return ended || messageOpen || aboutOpen || levelsOpen; }

    // bytes null: the browser could not read the file. As the menu's Load
    // does, a file dropped while the editor is open goes back to the game
    // first, so the loaded game is the one played.
    function loadBytes(name, bytes) {
        if (editor) editor.close();
        saveName = name;
        stopWalking();
        var was = positionHex();
        core._webLoad(bytes ? giveFile(bytes) : -1);
        // A loaded game is a room come on the screen: whole, as a level begins.
        if (positionHex() !== was) moves.reset(false), showWhole();
        after();
    }

    function loadFile(file) {
        if (!file || blocked()) return;
        var reader = new FileReader();
        reader.onload = function () { loadBytes(file.name, new Uint8Array(reader.result)); };
        reader.onerror = function () { loadBytes(file.name, null); };
        reader.readAsArrayBuffer(file.slice(0, SavedGameSize + 1));
    }

    // The window can only be closed by the browser; Exit stops the game as
    // the exe's Exit does, and leaves a link to start again in its place.
    function exit() {
        persist();
        ended = true;
        clearInterval(timer);
        byId("frame").style.display = "none";
        byId("ended").hidden = false;
    }

    // The game is put aside as a finished move leaves it: a slide under way
    // is played to its end, and a level it solves is congratulated and
    // advanced first, the editor opening when the box is closed.
    function openEditor() {
        if (blocked()) return;
        if (!(editor && editor.isOpen())) {
            core._webFinishSlide();
            flush();
            if (solvedPending) { openAfterSolved = true; return; }
        }
        if (editor) { editor.open(); after(); return; }
        loadEditor();
    }

    // The editor's script comes only now: the game's page stays as small.
    function loadEditor() {
        if (editorLoading) return;
        editorLoading = true;
        loadScript("editor.js", "Редактор", function () {
            editorLoading = false;
            if (editor) openEditor();
        });
    }

    // A part of the page that loads on first use, of this page's build;
    // loaded() runs when it has come, or with nothing done when it has not.
    function loadScript(name, caption, loaded) {
        var script = document.createElement("script");
        script.src = name + "?build=" + Build;
        script.onload = loaded;
        script.onerror = function () {
            loaded();
            showMessage("Не загрузилось. Проверьте связь и попробуйте ещё раз.", caption, true, null);
        };
        document.body.appendChild(script);
    }

    // ---- the level list, solutions, copying moves --------------------------------

    var levels = null, levelsLoading = false, levelsOpen = false;
    var solutions = null; // the stored optimal solutions: { letters: [...], optimum: { n: { pushes, moves } } }

    function openLevels() {
        if (levels) { levels.open(); return; }
        if (levelsLoading) return;
        levelsLoading = true;
        loadScript("levels.js", "Уровни", function () { levelsLoading = false; if (levels) levels.open(); });
    }

    // The stored solutions (solutions.txt, one line of moves per level), each
    // counted on its level by the core; fetched once.
    function withSolutions(then) {
        if (solutions) { then(solutions); return; }
        fetch("solutions.txt?build=" + Build).then(function (r) {
            if (!r.ok) throw new Error("no solutions");
            return r.text();
        }).then(function (text) {
            var lines = text.split(/\r?\n/), optimum = {};
            for (var n = 1; n <= Codes.LevelCount; ++n) {
                var letters = lines[n - 1] || "";
                writeLetters(letters);
                var at = core._webPlayOnLevel(n - 1) >> 2;
                if (core.HEAP32[at + 2] && core.HEAP32[at] === letters.length)
                    optimum[n] = { pushes: core.HEAP32[at + 1], moves: letters.length };
            }
            solutions = { letters: lines, optimum: optimum };
            then(solutions);
        }).catch(function () { /* shown without the optimum */ });
    }

    function writeLetters(letters) {
        var at = core._webMoveLetters();
        for (var i = 0; i < letters.length; ++i) core.HEAPU8[at + i] = letters.charCodeAt(i);
        core.HEAPU8[at + letters.length] = 0;
    }

    // A level chosen from the list starts as if the one before were solved.
    function chooseLevel(n) {
        if (editor) editor.close();
        core._webStartLevel(n - 1);
        levelBegun();
        after();
    }

    // "Показать решение": the level again, and its stored optimal solution
    // played at the slide's speed; offered once the level is solved.
    function watchSolution() {
        var level = moveState().level + 1;
        if (!(BexaranProgress.read()[level] || {}).solved) return;
        withSolutions(function (known) {
            if (!known.optimum[level] || blocked()) return;
            core._webRestart();
            levelBegun();
            queued = known.letters[level - 1];
            after();
        });
    }

    // The moves played since the history began as the usual letters: lower
    // case a walk, upper case a push.
    function copyMoves() {
        var letters = moves.played();
        if (!letters) return;
        var shown = function () { showMessage(letters, "Ходы", false, null); };
        if (navigator.clipboard && navigator.clipboard.writeText)
            navigator.clipboard.writeText(letters).then(function () {
                byId("part3").textContent = "Ходы скопированы";
            }, shown);
        else shown();
    }

    // ---- the hint (hint.js, loaded on first use) ------------------------------------

    var hint = null, hintLoading = false;

    function askHint() {
        if (editor && editor.isOpen()) return;
        stopWalking();
        core._webFinishSlide();
        flush();
        if (solvedPending) return;
        if (hint) { hint.ask(); return; }
        if (hintLoading) return;
        hintLoading = true;
        loadScript("hint.js", "Подсказка", function () { hintLoading = false; if (hint) hint.ask(); });
    }

    // The hint's line and arrow go with the position they were about.
    function clearHint() {
        if (hint) hint.stop();
        var text = byId("hintText");
        if (!text.textContent) return;
        text.textContent = "";
        for (var name in text.dataset) delete text.dataset[name];
        byId("hintBar").hidden = true;
        byId("hintArrow").hidden = true;
        arrow = null;
        layout();
    }

    function sayHint(line, data) {
        var text = byId("hintText");
        for (var name in text.dataset) delete text.dataset[name];
        for (name in data) text.dataset[name] = data[name];
        text.textContent = line;
        byId("hintBar").hidden = false;
        layout();
    }

    function showArrow(box, direction) {
        var shown = byId("hintArrow"), size = placeOver(shown, box);
        shown.textContent = direction === Direction.left ? "\u2190" : direction === Direction.right ? "\u2192" :
                            direction === Direction.up ? "\u2191" : "\u2193";
        shown.style.lineHeight = size + "px";
        shown.style.fontSize = (size * 0.8) + "px";
        shown.hidden = false;
        arrow = [box, direction];
        aim(false);
    }

    function positionNow() {
        var bytes = bytesOfHex(positionHex()), keeper = new DataView(bytes.buffer).getInt32(324, true);
        return { cells: bytes.slice(0, Codes.Columns * Codes.Rows), keeper: keeper };
    }

    // The position after the first count moves of the history, for the hint.
    function positionAfter(count) {
        var size = giveHex(moves.start());
        writeLetters(moves.played());
        var keeper = core._webPositionAfter(size, count), at = core._webRoomCells();
        return { cells: core.HEAPU8.slice(at, at + Codes.Columns * Codes.Rows), keeper: keeper };
    }

    // What the menus offer that depends on the game: the solution once solved.
    function refreshMenus() {
        var solved = !!(BexaranProgress.read()[moveState().level + 1] || {}).solved;
        byId("watchSolution").disabled = !solved || !!(editor && editor.isOpen());
        byId("copyMoves").disabled = !moves.canUndo() || !!(editor && editor.isOpen());
    }

    // A command the open editor takes for itself (its undo, its restart).
    function editorTakes(name) { return editor && editor.isOpen() && editor.command(name); }

    // A room the editor plays has the exe's one-step undo; the game has the
    // page's history.
    function undo() {
        if (editorTakes("undo")) return;
        if (editor && editor.isOpen()) { core._webUndo(); return; }
        stopWalking();
        clearHint();
        moves.undo();
    }

    function redo() {
        if (editorTakes("redo") || (editor && editor.isOpen())) return;
        stopWalking();
        clearHint();
        moves.redo();
    }

    // A level begins: new game, restart, a solved level's next, one chosen.
    function levelBegun() {
        stopWalking();
        clearHint();
        if (pointing) pointing.forget();
        moves.reset(true);
        showWhole();
    }

    var commands = {
        "new": function () { if (editor) editor.close(); core._webNewGame(); levelBegun(); },
        "save": function () { if (!editorTakes("save")) core._webSave(); },
        "load": function () { if (editor) editor.close(); byId("picker").click(); },
        "exit": function () { if (editor) editor.close(); exit(); },
        "undo": undo,
        "redo": redo,
        "restart": function () {
            if (editorTakes("restart")) return;
            core._webRestart();
            if (!(editor && editor.isOpen())) levelBegun();
        },
        "editor": openEditor,
        "levels": function () { if (editor) editor.close(); openLevels(); },
        "watchSolution": watchSolution,
        "copyMoves": copyMoves,
        "hint": askHint,
        "zoom": toggleZoom,
        "about": function () { showAbout(); }
    };

    function run(name) {
        closeMenus();
        if (blocked()) return;
        commands[name]();
        after();
    }

    // ---- dialogs --------------------------------------------------------------

    function showMessage(text, caption, error, closed) {
        byId("messageText").textContent = text;
        byId("messageCaption").textContent = caption;
        byId("message").classList.toggle("error", error);
        byId("message").classList.add("shown");
        byId("messageOk").textContent = "OK";
        byId("messageCancel").hidden = true;
        messageOpen = true;
        closeMessage = closed;
        askCancelled = null;
        byId("messageOk").focus();
    }

    // A question: yes runs only when the player answers with the yes button;
    // Esc and "Отмена" run no, if given.
    function ask(text, caption, yesLabel, yes, no) {
        showMessage(text, caption, false, yes);
        byId("messageOk").textContent = yesLabel;
        byId("messageCancel").hidden = false;
        askCancelled = no || function () {};
        byId("messageCancel").focus();
    }

    function messageClosed(cancelled) {
        byId("message").classList.remove("shown");
        messageOpen = false;
        var closed = cancelled && askCancelled ? askCancelled : closeMessage;
        closeMessage = askCancelled = null;
        if (closed) closed();
        after();
    }

    function showAbout() {
        byId("about").classList.add("shown");
        aboutOpen = true;
        byId("aboutClose").focus();
    }

    function aboutClosed() {
        byId("about").classList.remove("shown");
        aboutOpen = false;
    }

    // Runs after the tick that posted it, as the posted message does.
    function levelSolved() {
        flush();
        var forEditor = solvedFor === "editor";
        solvedFor = null;
        if (forEditor) {
            solvedPending = false;
            if (editor && editor.isOpen()) editor.solved();
            return;
        }
        stopWalking();
        var state = moveState(), played = moves.played();
        BexaranProgress.solved(state.level + 1, moves.fromStart() ? played.replace(/[a-z]/g, "").length : null,
                               state.steps);
        showMessage("Поздравляю!", "Поздравляю!", false, function () {
            solvedPending = false;
            core._webLevelSolved();
            levelBegun();
            if (openAfterSolved) { openAfterSolved = false; after(); openEditor(); }
        });
    }

    // ---- menus ----------------------------------------------------------------

    function closeMenus() {
        var open = document.querySelectorAll("#menubar > div.open");
        for (var i = 0; i < open.length; ++i) open[i].classList.remove("open");
    }

    function setUpMenus() {
        var bar = byId("menubar");
        bar.addEventListener("click", function (e) {
            var button = e.target.closest("button");
            if (!button) return;
            if (button.dataset.command) { run(button.dataset.command); return; }
            var menu = button.parentNode, wasOpen = menu.classList.contains("open");
            closeMenus();
            refreshMenus();
            if (!wasOpen && !blocked()) menu.classList.add("open");
        });
        bar.addEventListener("mouseover", function (e) {
            var menu = e.target.closest("#menubar > div");
            if (!menu || !bar.querySelector(".open") || menu.classList.contains("open")) return;
            closeMenus();
            if (menu.querySelector(".items")) menu.classList.add("open");
        });
        document.addEventListener("mousedown", function (e) {
            if (!e.target.closest("#menubar")) closeMenus();
        });
    }

    // ---- keys, swipes, drops ----------------------------------------------------

    var shortcuts = { KeyZ: "undo", KeyY: "redo", KeyN: "new", KeyR: "restart", KeyS: "save", KeyL: "load" };

    function onKey(e) {
        if (ended) return;
        if (messageOpen) {
            if (e.key === "Escape") { e.preventDefault(); messageClosed(true); }
            // Enter and Space press the focused button, as in a dialog box.
            if (e.key === "Enter" || e.key === " ") {
                e.preventDefault();
                messageClosed(document.activeElement === byId("messageCancel"));
            }
            return;
        }
        if (levelsOpen) {
            if (e.key === "Escape") { e.preventDefault(); BexaranLevels.close(); }
            return;
        }
        if (aboutOpen) {
            // Only the button closes it; Esc is swallowed as in the exe.
            if (e.key === "Enter" || e.key === " ") { e.preventDefault(); aboutClosed(); }
            if (e.key === "Escape") e.preventDefault();
            return;
        }
        // An open menu has the keyboard, as the exe's menu loop does.
        if (document.querySelector("#menubar > div.open")) {
            if (e.key === "Escape") closeMenus();
            e.preventDefault();
            return;
        }
        stopWalking(); // any key ends a walk after the step under way
        if (editor && editor.isOpen() && editor.onKey(e)) return;
        var command = (e.ctrlKey || e.metaKey) && !e.altKey ? shortcuts[e.code] : undefined;
        if (command === "undo" && e.shiftKey) command = "redo"; // Ctrl+Shift+Z
        // Browsers keep Ctrl+N for a new window: Shift+N is the page's own key.
        if (e.shiftKey && !e.ctrlKey && !e.metaKey && !e.altKey && e.code === "KeyN") command = "new";
        if (command) {
            e.preventDefault();
            if (!byId(command) || !byId(command).disabled) run(command);
            return;
        }
        var direction = keyDirections[e.code];
        var letter = e.code.length === 4; // WASD only without modifiers; arrows with any
        if (direction === undefined || (letter && (e.ctrlKey || e.metaKey || e.altKey || e.shiftKey))) return;
        e.preventDefault();
        stopWalking();
        playMove(direction);
        after();
    }

    // The cell under a point of the canvas, or -1.
    function cellAt(clientX, clientY) {
        var r = byId("board").getBoundingClientRect();
        var x = view.x + (clientX - r.left) * view.width / r.width;
        var y = view.y + (clientY - r.top) * view.height / r.height;
        // Only the cells the canvas shows: a finger off its edge is on none.
        if (x < view.x || y < view.y || x >= view.x + view.width || y >= view.y + view.height) return -1;
        return Math.floor(y / Cell) * Columns + Math.floor(x / Cell);
    }

    // A tap on a cell beside the keeper is the move towards it: he walks
    // there, or pushes the box there, as the arrow key would; -1 otherwise.
    function besideKeeper(cell) {
        var keeper = room()[4];
        var dx = cell % Columns - keeper % Columns, dy = Math.floor(cell / Columns) - Math.floor(keeper / Columns);
        if (cell < 0 || Math.abs(dx) + Math.abs(dy) !== 1) return -1;
        return swipeDirection(dx, dy);
    }

    function swipeDirection(dx, dy) {
        return Math.abs(dx) > Math.abs(dy) ? (dx < 0 ? Direction.left : Direction.right)
                                           : (dy < 0 ? Direction.up : Direction.down);
    }

    // The chosen box's frame over its cell, or none (cell -1).
    function markCell(cell) {
        var frame = byId("boxMark");
        marked = cell;
        if (cell < 0) { frame.hidden = true; return; }
        placeOver(frame, cell);
        frame.hidden = false;
    }

    // Puts a square over a cell of the canvas, in the canvas's own (not
    // zoomed) CSS pixels, the zoom of a big room moving both alike; its size.
    function placeOver(element, cell) {
        var canvas = byId("board"), size = shownSize[0] * Cell / view.width;
        element.style.left = (canvas.offsetLeft + ((cell % Columns) * Cell - view.x) * size / Cell) + "px";
        element.style.top = (canvas.offsetTop + (Math.floor(cell / Columns) * Cell - view.y) * size / Cell) + "px";
        element.style.width = element.style.height = size + "px";
        return size;
    }

    var pointing = null;

    function setUpPointing() {
        var canvas = byId("board");
        pointing = BexaranPointing.make({
            core: core, codes: Codes, cellAt: cellAt, besideKeeper: besideKeeper, direction: swipeDirection,
            keeper: function () { return room()[4]; }, markCell: markCell,
            play: function (direction) { stopWalking(); playMove(direction); },
            walk: function (letters) { queued = letters; walkOn(); },
            stop: stopWalking,
            say: function (text) { byId("part3").textContent = text; },
            ready: function () { return !blocked() && !(editor && editor.drawing()); },
            after: after
        });
        canvas.addEventListener("pointerdown", pointing.down);
        canvas.addEventListener("pointerup", pointing.up);
        canvas.addEventListener("pointercancel", pointing.cancel);
    }

    function setUpDrops() {
        document.addEventListener("dragover", function (e) { e.preventDefault(); });
        document.addEventListener("drop", function (e) {
            e.preventDefault();
            if (e.dataTransfer.files.length > 0) loadFile(e.dataTransfer.files[0]);
        });
        var picker = byId("picker");
        picker.addEventListener("change", function () {
            var file = picker.files[0];
            picker.value = ""; // the same file can be chosen again
            loadFile(file);
        });
    }

    // ---- the service worker -------------------------------------------------------

    // Kept for play without a network: the page and its icons, once loaded.
    // The worker asks each open page for its build before it deletes a
    // build's files, and is told when a page has started, so the files of
    // pages closed since can go.
    function setUpServiceWorker() {
        var worker = navigator.serviceWorker;
        worker.addEventListener("message", function (e) {
            if (e.data && e.data.askBuild && e.ports[0]) e.ports[0].postMessage({ build: Build });
        });
        worker.startMessages();
        window.addEventListener("load", function () {
            worker.register("sw.js").catch(function () { /* played online only */ });
            if (worker.controller) worker.controller.postMessage({ tidy: true });
        });
    }

    // ---- start ------------------------------------------------------------------

    function start() {
        core = Module;
        readCodes();
        context = byId("board").getContext("2d");
        picture = new ImageData(new Uint8ClampedArray(core.HEAPU8.buffer, core._webPixels(), Width * Height * 4),
                                Width, Height);
        core._webStart();
        var restored = restore();
        moves = BexaranHistory.make({ core: core, codes: Codes, positionHex: positionHex, giveHex: giveHex });
        if (restored) moves.restore();
        else moves.reset(true);
        layout();
        // The menu offers the restored history's undo and redo from the first
        // key on, not from the timer's first tick.
        after();
        performance.mark("bexaran-board-drawn");
        timer = setInterval(function () { core._webTick(); walkOn(); after(); }, TickMs);
        document.addEventListener("keydown", onKey);
        setUpMenus();
        setUpPointing();
        setUpDrops();
        byId("messageOk").addEventListener("click", function () { messageClosed(false); });
        byId("messageCancel").addEventListener("click", function () { messageClosed(true); });
        byId("aboutClose").addEventListener("click", aboutClosed);
        window.addEventListener("pagehide", persist);
        // A shared room: the page's address with #board= opens it in the editor.
        var openShared = function () { if (/^#board=/.test(location.hash)) openEditor(); };
        window.addEventListener("hashchange", openShared);
        openShared();
        if ("serviceWorker" in navigator && location.protocol !== "file:") setUpServiceWorker();
    }

    layout();
    window.addEventListener("resize", function () { layout(); });

    // What the core calls (web/platform_web.cpp).
    return {
        start: start,
        status: function (part, text) { byId("part" + part).textContent = text; },
        // The core's Undo item: the editor's played room's; the game's
        // follows the page's history (after).
        undoEnabled: function (enabled) { if (editor && editor.isOpen()) byId("undo").disabled = !enabled; },
        postLevelSolved: function () {
            solvedPending = true;
            solvedFor = editor && editor.isOpen() ? "editor" : "game";
            setTimeout(levelSolved, 0);
        },
        message: function (text, caption) { showMessage(text, caption, true, null); },
        download: function (bytes) {
            var link = document.createElement("a");
            link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
            link.download = saveName;
            document.body.appendChild(link);
            link.click();
            link.remove();
            setTimeout(function () { URL.revokeObjectURL(link.href); }, 1000);
        },
        sliding: function () { return core ? core._webSliding() !== 0 || solvedPending : true; },
        // The moves of the history played so far (upper case the pushes).
        played: function () { return moves ? moves.played() : ""; },
        // A walk or push pointed at, or a solution shown, still under way.
        walking: function () { return queued !== "" || (core ? core._webSliding() !== 0 : true); },
        // What editor.js works with: the core, the page's drawing, dialogs and downloads.
        build: Build,
        attachHint: function (made) {
            if (made.build !== Build) {
                showMessage("Сайт обновился. Перезагрузите страницу, чтобы получить подсказку.", "Подсказка", true, null);
                return null;
            }
            hint = made;
            return {
                core: core, codes: Codes, position: positionNow, positionAfter: positionAfter,
                played: function () { return moves.played(); }, writeLetters: writeLetters,
                counted: function () { BexaranProgress.hinted(moveState().level + 1); },
                say: sayHint, showArrow: showArrow
            };
        },
        attachLevels: function (made) {
            if (made.build !== Build) {
                showMessage("Сайт обновился. Перезагрузите страницу, чтобы открыть список уровней.", "Уровни", true, null);
                return null;
            }
            levels = made;
            return {
                core: core, codes: Codes, startLevel: chooseLevel, solutions: function (then) {
                    withSolutions(function (known) { then(known.optimum); });
                },
                level: function () { return moveState().level + 1; },
                setOpen: function (open) { levelsOpen = open; }
            };
        },
        // An editor of another build (the site was updated and this page's
        // own files are gone) is not used: the player is asked to reload.
        attachEditor: function (made) {
            if (made.build !== Build) {
                showMessage("Сайт обновился. Перезагрузите страницу, чтобы открыть редактор.", "Редактор", true, null);
                return null;
            }
            editor = made;
            return {
                codes: Codes, build: Build, ask: ask,
                core: core, flush: flush, layout: layout, after: after, giveFile: giveFile, cellAt: cellAt,
                showMessage: showMessage, blocked: blocked, closeMenus: closeMenus,
                download: function (bytes, name) { var was = saveName; saveName = name; Bexaran.download(bytes); saveName = was; }
            };
        },
        view: function () { return [view.x, view.y, view.width, view.height]; },
        keeper: function () { return room()[4]; }
    };
})();
