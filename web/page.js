// The page around the game core: canvas, menus, keys and swipes, the status
// bar, the message boxes and About, saved games as downloads and file picks,
// and the position kept in local storage. The core (bexaran-core.wasm) does
// every move, check and drawing; this file only carries events to it and its
// pictures and texts to the screen.
"use strict";

var Module = { onRuntimeInitialized: function () { Bexaran.start(); } };

var Bexaran = (function () {
    var TickMs = 40; // the animation timer of the Windows game
    var Width = 640, Height = 512;
    var StorageKey = "bexaran.position";
    var SavedGameSize = 336;
    var Direction = { left: 0, right: 3, up: 6, down: 9 };
    var keyDirections = {
        ArrowLeft: Direction.left, ArrowRight: Direction.right,
        ArrowUp: Direction.up, ArrowDown: Direction.down,
        KeyA: Direction.left, KeyD: Direction.right, KeyW: Direction.up, KeyS: Direction.down
    };

    var core, context, picture, timer = 0;
    var solvedPending = false; // the level-solved message is waiting or its box is open
    var messageOpen = false, aboutOpen = false, closeMessage = null;
    var saveName = "bexaran.bxr"; // the name the last dialog chose, proposed by the next
    var storedPosition = null, ended = false;

    function byId(id) { return document.getElementById(id); }

    // ---- drawing ------------------------------------------------------------

    // Copies what the core changed from its back buffer to the canvas.
    function flush() {
        var at = core._webTakeDirty() >> 2;
        var left = core.HEAP32[at], top = core.HEAP32[at + 1];
        var right = core.HEAP32[at + 2], bottom = core.HEAP32[at + 3];
        if (right <= left || bottom <= top) return;
        context.putImageData(picture, 0, 0, left, top, right - left, bottom - top);
    }

    // Whole device pixels per board pixel where that still fills most of the
    // window; on a screen too small for that (a phone), the largest size that
    // fits, still drawn without smoothing.
    function layout() {
        var canvas = byId("board");
        var ratio = window.devicePixelRatio || 1;
        var spareHeight = byId("menubar").offsetHeight + byId("status").offsetHeight + 8;
        var fit = Math.min((window.innerWidth - 2) * ratio / Width,
                           (window.innerHeight - spareHeight) * ratio / Height);
        var whole = Math.floor(fit);
        var scale = whole >= 1 && (whole / fit >= 0.75 || ratio <= 1) ? whole : fit;
        canvas.style.width = (Width * scale / ratio) + "px";
        canvas.style.height = (Height * scale / ratio) + "px";
        byId("frame").style.width = canvas.style.width;
        byId("status").classList.toggle("narrow", Width * scale / ratio < 480);
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
        if (ended || solvedPending || core._webSliding()) return;
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

    function restore() {
        var hex = null;
        try { hex = localStorage.getItem(StorageKey); } catch (e) { return; }
        if (!hex || !/^([0-9a-f]{2})+$/.test(hex)) return;
        var bytes = new Uint8Array(hex.length / 2);
        for (var i = 0; i < bytes.length; ++i) bytes[i] = parseInt(hex.substr(i * 2, 2), 16);
        if (core._webRestore(giveFile(bytes))) storedPosition = hex;
    }

    // Every event ends here: the canvas catches up and the position is kept.
    function after() {
        flush();
        persist();
    }

    // ---- commands -------------------------------------------------------------

    function blocked() { return ended || messageOpen || aboutOpen; }

    // bytes null: the browser could not read the file.
    function loadBytes(name, bytes) {
        saveName = name;
        core._webLoad(bytes ? giveFile(bytes) : -1);
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

    var commands = {
        "new": function () { core._webNewGame(); },
        "save": function () { core._webSave(); },
        "load": function () { byId("picker").click(); },
        "exit": exit,
        "undo": function () { core._webUndo(); },
        "restart": function () { core._webRestart(); },
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
        messageOpen = true;
        closeMessage = closed;
        byId("messageOk").focus();
    }

    function messageClosed() {
        byId("message").classList.remove("shown");
        messageOpen = false;
        var closed = closeMessage;
        closeMessage = null;
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
        showMessage("Поздравляю!", "Поздравляю!", false, function () {
            solvedPending = false;
            core._webLevelSolved();
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

    var shortcuts = { KeyZ: "undo", KeyN: "new", KeyR: "restart", KeyS: "save", KeyL: "load" };

    function onKey(e) {
        if (ended) return;
        if (messageOpen) {
            if (e.key === "Enter" || e.key === " " || e.key === "Escape") {
                e.preventDefault();
                messageClosed();
            }
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
        var command = (e.ctrlKey || e.metaKey) && !e.altKey ? shortcuts[e.code] : undefined;
        // Browsers keep Ctrl+N for a new window: Shift+N is the page's own key.
        if (e.shiftKey && !e.ctrlKey && !e.metaKey && !e.altKey && e.code === "KeyN") command = "new";
        if (command) {
            e.preventDefault();
            if (command !== "undo" || !byId("undo").disabled) run(command);
            return;
        }
        var direction = keyDirections[e.code];
        var letter = e.code.length === 4; // WASD only without modifiers; arrows with any
        if (direction === undefined || (letter && (e.ctrlKey || e.metaKey || e.altKey || e.shiftKey))) return;
        e.preventDefault();
        core._webMove(direction);
        after();
    }

    function setUpSwipes() {
        var canvas = byId("board"), start = null;
        canvas.addEventListener("pointerdown", function (e) { start = { x: e.clientX, y: e.clientY }; });
        canvas.addEventListener("pointerup", function (e) {
            if (!start || blocked()) { start = null; return; }
            var dx = e.clientX - start.x, dy = e.clientY - start.y;
            start = null;
            if (Math.max(Math.abs(dx), Math.abs(dy)) < 20) return; // a tap, not a swipe
            var direction = Math.abs(dx) > Math.abs(dy) ? (dx < 0 ? Direction.left : Direction.right)
                                                        : (dy < 0 ? Direction.up : Direction.down);
            core._webMove(direction);
            after();
        });
        canvas.addEventListener("pointercancel", function () { start = null; });
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

    // ---- start ------------------------------------------------------------------

    function start() {
        core = Module;
        context = byId("board").getContext("2d");
        picture = new ImageData(new Uint8ClampedArray(core.HEAPU8.buffer, core._webPixels(), Width * Height * 4),
                                Width, Height);
        core._webStart();
        restore();
        flush();
        performance.mark("bexaran-board-drawn");
        persist();
        timer = setInterval(function () { core._webTick(); after(); }, TickMs);
        document.addEventListener("keydown", onKey);
        setUpMenus();
        setUpSwipes();
        setUpDrops();
        byId("messageOk").addEventListener("click", messageClosed);
        byId("aboutClose").addEventListener("click", aboutClosed);
        window.addEventListener("pagehide", persist);
    }

    layout();
    window.addEventListener("resize", layout);

    // What the core calls (web/platform_web.cpp).
    return {
        start: start,
        status: function (part, text) { byId("part" + part).textContent = text; },
        undoEnabled: function (enabled) { byId("undo").disabled = !enabled; },
        postLevelSolved: function () { solvedPending = true; setTimeout(levelSolved, 0); },
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
        sliding: function () { return core ? core._webSliding() !== 0 || solvedPending : true; }
    };
})();
