// The room editor: a palette, painting on the board with the game's own
// pictures, undo and redo of edits, a live verdict from the solver in a Web
// Worker, playing the room in the game, rooms kept in local storage, share
// links and the room as a saved game. Loaded by page.js when the editor is
// first opened; the game waits, untouched, until the player goes back to it.
"use strict";

(function () {
    var Build = "@BEXARAN_PAGE_VERSION@";
    var host = Bexaran.attachEditor({
        build: Build, open: open, close: close, command: command, onKey: onKey, solved: solved,
        isOpen: function () { return mode !== "closed"; },
        drawing: function () { return mode === "edit"; },
        bounds: bounds
    });
    if (!host) return; // a file of another build: the page has said so
    var core = host.core, Codes = host.codes;
    var Columns = Codes.Columns, Rows = Codes.Rows, Cells = Columns * Rows;
    var SavedGameSize = Codes.SavedGameSize;
    var Wall = Codes.CellWall, Floor = Codes.CellFloor, Goal = Codes.CellGoal;
    var Box = Codes.CellBox, BoxOnGoal = Codes.CellBoxOnGoal;
    // The room's text (links, kept rooms, the work kept between visits) has
    // the keeper in it: "$" on floor, "+" on a goal.
    var Keeper = "$", KeeperOnGoal = "+";
    var Tools = [
        { code: Wall, name: "Стена" }, { code: Floor, name: "Пол" }, { code: Goal, name: "Место" },
        { code: Box, name: "Ящик" }, { code: BoxOnGoal, name: "Ящик на месте" }, { code: Keeper, name: "Кладовщик" }
    ];
    var ToolKeeper = 5;
    var RoomsKey = "bexaran.rooms", WorkKey = "bexaran.editor";
    var ShareLength = 427; // 320 bytes in base64url without padding
    var UndoDepth = 500;
    var SearchDelayMs = 120; // a stroke of painting settles before a search starts
    var budget = { seconds: 5, megabytes: 256 };

    var mode = "closed"; // "edit", "play" (the player plays the room), "replay" (the solution shows)
    var room = emptyRoom();
    var undoStack = [], redoStack = [];
    var tool = 0, cursor = 21, stroke = null;
    var search = null, searchTimer = 0, verdicts = {}, shown = null;
    var replay = null;

    function byId(id) { return document.getElementById(id); }

    // ---- rooms ------------------------------------------------------------------

    // cells: the 320 cell codes without the keeper; keeper: his cell or -1.
    function emptyRoom() {
        var cells = [];
        for (var i = 0; i < Cells; ++i) cells.push(Wall);
        return { cells: cells, keeper: -1 };
    }

    function copyRoom(r) { return { cells: r.cells.slice(), keeper: r.keeper }; }

    function sameRoom(a, b) { return a.keeper === b.keeper && a.cells.join("") === b.cells.join(""); }

    function count(cells, codes) {
        var n = 0;
        for (var i = 0; i < cells.length; ++i) n += codes.indexOf(cells[i]) >= 0;
        return n;
    }

    // The core's verdict on the room (webJudgeRoom): { game }, the saved game
    // at its start (floor the keeper cannot reach made wall), or { check,
    // error }, a RoomCheck and one line saying what is wrong.
    function checkRoom(r) {
        var at = core._webRoomCells();
        for (var c = 0; c < Cells; ++c) core.HEAPU8[at + c] = r.cells[c].charCodeAt(0);
        var check = core._webJudgeRoom(r.keeper);
        if (check === Codes.RoomPlayable) {
            var game = core._webJudgedGame();
            return { game: core.HEAPU8.slice(game, game + SavedGameSize), keeper: r.keeper };
        }
        return { check: check, error: roomFault(check, r) };
    }

    function roomFault(check, r) {
        switch (check) {
        case Codes.RoomNoKeeper: return "Нет кладовщика";
        case Codes.RoomBadCell: return "В комнате неизвестные клетки";
        case Codes.RoomOpen: return "Комната не закрыта стенами";
        case Codes.RoomStrayCell: return "Ящик или место вне комнаты кладовщика";
        case Codes.RoomNoBoxes: return "Нет ни одного ящика";
        case Codes.RoomBoxesGoalsDiffer:
            return "Ящиков " + count(r.cells, Box + BoxOnGoal) + ", мест " + count(r.cells, Goal + BoxOnGoal);
        case Codes.RoomAllBoxesHome: return "Все ящики уже на местах";
        default: return "Игра не принимает эту комнату";
        }
    }

    // ---- share links: the 320 cell codes, the keeper in them, in base64url ---------

    // The room's cells as text: the cell codes, the keeper's cell "$", or
    // "+" where he stands on a goal.
    function roomText(r) {
        var text = "";
        for (var c = 0; c < Cells; ++c) text += c !== r.keeper ? r.cells[c] : r.cells[c] === Goal ? KeeperOnGoal : Keeper;
        return text;
    }

    function encodeRoom(r) {
        return btoa(roomText(r)).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
    }

    // { room } or { error }: the length, the alphabet, the cell codes and a
    // single keeper are checked here, the walls around him by the caller.
    function decodeRoom(text) {
        if (text.length !== ShareLength) return { error: "у неё не та длина" };
        if (!/^[A-Za-z0-9_-]*$/.test(text)) return { error: "в ней лишние знаки" };
        var bytes = atob(text.replace(/-/g, "+").replace(/_/g, "/") + "=");
        var r = emptyRoom();
        for (var c = 0; c < Cells; ++c) {
            var code = bytes.charAt(c), keeper = code === Keeper || code === KeeperOnGoal;
            if ((Wall + Floor + Goal + Box + BoxOnGoal + Keeper + KeeperOnGoal).indexOf(code) < 0)
                return { error: "в ней неизвестные клетки" };
            if (keeper && r.keeper >= 0) return { error: "в ней два кладовщика" };
            if (keeper) r.keeper = c;
            r.cells[c] = code === Keeper ? Floor : code === KeeperOnGoal ? Goal : code;
        }
        return { room: r };
    }

    function shareLink() {
        return location.href.replace(/#.*$/, "") + "#board=" + encodeRoom(room);
    }

    // The room of a link's text, or null (and one message) when it is not a
    // room the editor can open.
    function roomFromLink(text) {
        var decoded = decodeRoom(text);
        var reason = decoded.error;
        if (!reason) {
            var check = checkRoom(decoded.room).check;
            if (check === Codes.RoomNoKeeper) reason = "в комнате нет кладовщика";
            if (check === Codes.RoomOpen) reason = "комната не закрыта стенами";
        }
        if (!reason) return decoded.room;
        host.showMessage("Эта ссылка не открывает комнату: " + reason + ". Комната на поле осталась как была.",
                         "Редактор", true, null);
        return null;
    }

    // A #board= address: its room replaces the one on the board as an edit,
    // so Undo brings back what was drawn; a bad link changes nothing. The
    // link leaves the address once read, so a reload does not put it back
    // over the work done since.
    function openLink() {
        var match = /^#board=(.*)$/.exec(location.hash);
        if (!match) return;
        history.replaceState(null, "", location.href.replace(/#.*$/, ""));
        var linked = roomFromLink(match[1]);
        if (!linked) return;
        if (mode !== "edit") backToEdit();
        setRoom(linked);
    }

    // ---- drawing ------------------------------------------------------------------

    function show() {
        var at = core._webFileBuffer();
        for (var c = 0; c < Cells; ++c) core.HEAPU8[at + c] = room.cells[c].charCodeAt(0);
        core._webShowBoard(room.keeper);
        host.flush();
        placeCursor();
        byId("part0").textContent = "Редактор";
        byId("part1").textContent = "Ящиков: " + count(room.cells, Box + BoxOnGoal);
        byId("part2").textContent = "Мест: " + count(room.cells, Goal + BoxOnGoal);
        byId("part3").textContent = Tools[tool].name;
    }

    // The cursor over its cell in the part of the board the canvas shows.
    function placeCursor() {
        var canvas = byId("board"), mark = byId("editCursor"), v = Bexaran.view();
        var size = canvas.offsetWidth * 32 / v[2];
        var column = cursor % Columns - v[0] / 32, row = Math.floor(cursor / Columns) - v[1] / 32;
        mark.style.left = (canvas.offsetLeft + column * size) + "px";
        mark.style.top = (canvas.offsetTop + row * size) + "px";
        mark.style.width = mark.style.height = size + "px";
        var inside = column >= 0 && row >= 0 && column < v[2] / 32 && row < v[3] / 32;
        mark.style.visibility = inside ? "" : "hidden";
    }

    // The first and last column and row holding a cell other than wall, or
    // null for a board of walls: what a phone's drawing view is fitted to.
    // During a stroke: the room as it was before it, so the view stays put.
    function bounds() {
        var b = null, r = stroke ? stroke.before : room;
        for (var c = 0; c < Cells; ++c) {
            if (r.cells[c] === Wall) continue;
            var x = c % Columns, y = Math.floor(c / Columns);
            if (!b) b = [x, y, x, y];
            b = [Math.min(b[0], x), Math.min(b[1], y), Math.max(b[2], x), Math.max(b[3], y)];
        }
        return b;
    }

    // ---- editing ------------------------------------------------------------------

    // Puts the tool on a cell; the keeper is one at most, so placing him
    // moves him, and a box or wall put where he stands takes his place.
    function paint(r, cell, choice) {
        var code = Tools[choice].code, under = r.cells[cell];
        if (code === Keeper) {
            r.keeper = cell;
            r.cells[cell] = under === Goal || under === BoxOnGoal ? Goal : Floor;
            return;
        }
        r.cells[cell] = code;
        if (cell === r.keeper && code !== Floor && code !== Goal) r.keeper = -1;
    }

    // Every change of the room: kept for undo, drawn, judged, remembered.
    function changed(before) {
        if (sameRoom(before, room)) return;
        undoStack.push(before);
        if (undoStack.length > UndoDepth) undoStack.shift();
        redoStack = [];
        roomChanged();
    }

    function roomChanged() {
        byId("undo").disabled = undoStack.length === 0;
        byId("editUndo").disabled = undoStack.length === 0;
        byId("editRedo").disabled = redoStack.length === 0;
        try { localStorage.setItem(WorkKey, encodeRoom(room)); } catch (e) { /* private mode: not kept */ }
        host.layout(); // on a phone the drawing view follows the room
        show();
        judge();
    }

    function setRoom(next) {
        var before = copyRoom(room);
        room = copyRoom(next);
        changed(before);
    }

    function undoEdit() {
        if (!undoStack.length) return;
        redoStack.push(copyRoom(room));
        room = undoStack.pop();
        roomChanged();
    }

    function redoEdit() {
        if (!redoStack.length) return;
        undoStack.push(copyRoom(room));
        room = redoStack.pop();
        roomChanged();
    }

    function chooseTool(choice) {
        tool = choice;
        var buttons = byId("palette").querySelectorAll("button");
        for (var i = 0; i < buttons.length; ++i) buttons[i].classList.toggle("chosen", i === tool);
        byId("part3").textContent = Tools[tool].name;
    }

    // A stroke paints every cell the pointer passes over, and is undone whole.
    function strokeAt(e) {
        var cell = host.cellAt(e.clientX, e.clientY);
        if (cell < 0 || cell === stroke.last) return;
        stroke.last = cursor = cell;
        paint(room, cell, tool);
        show();
    }

    function setUpPointer() {
        var canvas = byId("board");
        canvas.addEventListener("pointerdown", function (e) {
            if (mode !== "edit" || host.blocked()) return;
            stroke = { before: copyRoom(room), last: -1 };
            if (canvas.setPointerCapture) try { canvas.setPointerCapture(e.pointerId); } catch (x) { /* synthetic */ }
            strokeAt(e);
        });
        canvas.addEventListener("pointermove", function (e) { if (stroke) strokeAt(e); });
        var end = function () {
            if (!stroke) return;
            var before = stroke.before;
            stroke = null;
            changed(before);
        };
        canvas.addEventListener("pointerup", end);
        canvas.addEventListener("pointercancel", end);
    }

    var cursorSteps = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };

    // The editor's keys while it draws: arrows move the cursor, Space or Enter
    // puts the tool there, digits choose the tool, Ctrl+Y redoes.
    function editKey(e) {
        var step = cursorSteps[e.key], digit = /^(Digit|Numpad)([1-6])$/.exec(e.code);
        var plain = !e.ctrlKey && !e.metaKey && !e.altKey;
        if (step && plain) {
            var x = Math.min(Math.max(cursor % Columns + step[0], 0), Columns - 1);
            var y = Math.min(Math.max(Math.floor(cursor / Columns) + step[1], 0), Rows - 1);
            cursor = y * Columns + x;
            placeCursor();
        } else if ((e.key === " " || e.key === "Enter") && plain) {
            var before = copyRoom(room);
            paint(room, cursor, tool);
            changed(before);
        } else if (digit && plain) {
            chooseTool(Number(digit[2]) - 1);
        } else if ((e.ctrlKey || e.metaKey) && (e.code === "KeyY" || (e.code === "KeyZ" && e.shiftKey))) {
            redoEdit();
        } else {
            // Ctrl keys are the page's (undo, save); the rest would move the
            // game's keeper, who waits behind the editor.
            return !(e.ctrlKey || e.metaKey);
        }
        e.preventDefault();
        return true;
    }

    // ---- the verdict ----------------------------------------------------------------

    function plural(n, one, few, many) {
        var tens = n % 100, units = n % 10;
        if (tens >= 11 && tens <= 14) return many;
        return units === 1 ? one : units >= 2 && units <= 4 ? few : many;
    }

    function pushesText(n) { return n + " " + plural(n, "толчок", "толчка", "толчков"); }
    function stepsText(n) { return n + " " + plural(n, "шаг", "шага", "шагов"); }

    function positionsText(n) {
        return n.toLocaleString("ru-RU") + " " + plural(n, "позиция", "позиции", "позиций");
    }

    function setVerdict(state, text, progress) {
        var line = byId("verdict");
        line.textContent = text;
        line.dataset.state = state;
        byId("progress").textContent = progress;
        byId("showSolution").disabled = !(shown && shown.moves);
        fitPanel();
    }

    // The panel grew or shrank (the text field shown, a line wrapped): the
    // board is fitted again to the space left, so it never lies over the panel.
    var panelHeight = -1;
    function fitPanel() {
        var height = byId("editor").offsetHeight;
        if (height === panelHeight) return;
        panelHeight = height;
        host.layout();
    }

    function verdictText(v) {
        var within = "Не доказано за " + budget.seconds + " с: ";
        if (v.outcome === "optimal") return "Решение: " + pushesText(v.pushes) + ", " + stepsText(v.moveCount);
        if (v.outcome === "noSolution") return "Решения нет: ящик застрял";
        if (v.outcome === "solvedOnly")
            return within + "лучшее решение " + pushesText(v.pushes) + ", нижняя граница " + v.lowerBound;
        return within + "решение не найдено, нижняя граница " + Math.max(v.lowerBound, 0);
    }

    var verdictStates = { optimal: "optimal", solvedOnly: "unproven", noSolution: "none", gaveUp: "unproven" };

    function showResult(v) {
        shown = v;
        setVerdict(verdictStates[v.outcome], verdictText(v),
                   "Просмотрено " + positionsText(v.expanded) + " за " + v.seconds.toFixed(2) + " с");
    }

    // One search at a time: a new room ends the search for the last one.
    function stopSearch() {
        clearTimeout(searchTimer);
        if (search) search.stop();
        search = null;
    }

    function judge() {
        stopSearch();
        shown = null;
        var checked = checkRoom(room);
        if (checked.error) { setVerdict("invalid", checked.error, ""); return; }
        var key = encodeRoom(room) + "/" + budget.seconds + "/" + budget.megabytes;
        if (verdicts[key]) { showResult(verdicts[key]); return; }
        setVerdict("searching", "Ищу решение…", "Просмотрено " + positionsText(0));
        searchTimer = setTimeout(function () { startSearch(checked, key); }, SearchDelayMs);
    }

    var FailureTexts = {
        memory: "Не доказано: поиску не хватило памяти",
        error: "Поиск не удался",
        build: "Сайт обновился: перезагрузите страницу, чтобы искать решение"
    };

    function startSearch(checked, key) {
        var mine = search = BexaranSolver.solve(Build, { cells: checked.game.slice(0, Cells), keeper: checked.keeper },
                                                budget, function (expanded) {
            if (search !== mine) return;
            byId("progress").textContent = "Ищу… просмотрено " + positionsText(expanded);
            fitPanel();
        }, function (answer) {
            if (search !== mine) return;
            search = null;
            if (answer.failed) { setVerdict("unproven", FailureTexts[answer.failed], ""); return; }
            verdicts[key] = answer.verdict;
            showResult(answer.verdict);
        });
    }

    // ---- playing the room, and showing its solution ------------------------------------

    function startPlay(nextMode) {
        var checked = checkRoom(room);
        if (checked.error) {
            host.showMessage("Эту комнату пока нельзя сыграть: " + checked.error.toLowerCase() + ".", "Редактор", true, null);
            return false;
        }
        core.HEAPU8.set(checked.game, core._webFileBuffer());
        if (!core._webPlay(checked.game.length)) {
            host.showMessage("Игра не приняла эту комнату.", "Редактор", true, null);
            return false;
        }
        byId("part3").textContent = ""; // the game's own status bar from here on
        mode = nextMode;
        byId("editor").className = nextMode;
        byId("editCursor").hidden = true;
        host.layout();
        host.after();
        return true;
    }

    function backToEdit() {
        if (replay) clearInterval(replay.timer);
        replay = null;
        mode = "edit";
        byId("editor").className = "edit";
        byId("editCursor").hidden = false;
        host.layout();
        roomChanged();
    }

    var letterDirections = { L: 0, R: 3, U: 6, D: 9 };

    // The proven moves, one each time the keeper has finished the last: the
    // board moves at the game's own speed.
    function showSolution() {
        if (!shown || !shown.moves || !startPlay("replay")) return;
        replay = { moves: shown.moves, next: 0 };
        replay.timer = setInterval(function () {
            if (Bexaran.sliding() || host.blocked() || replay.next >= replay.moves.length) return;
            core._webMove(letterDirections[replay.moves.charAt(replay.next++)]);
            host.after();
        }, 40);
    }

    // The level-solved message of a room played here: the player is
    // congratulated and returns to the editor; a shown solution just returns.
    function solved() {
        if (mode === "replay") { setTimeout(backToEdit, 600); return; }
        host.showMessage("Поздравляю! Комната пройдена.", "Поздравляю!", false, backToEdit);
    }

    // ---- kept rooms ---------------------------------------------------------------

    // Each kept room has an id of its own, so another tab adding or deleting
    // rooms never makes a command act on the wrong one; every command reads
    // the list afresh and says when storing it failed.
    var openedId = null; // the kept room last opened or kept, saved again without a question
    var deleted = null;  // the room last deleted, for "Вернуть"

    function newId() {
        return Date.now().toString(36) + Math.random().toString(36).slice(2, 8);
    }

    function keptRooms() {
        var list;
        try { list = JSON.parse(localStorage.getItem(RoomsKey) || "[]"); } catch (e) { return []; }
        if (!Array.isArray(list)) return [];
        list = list.filter(function (r) { return r && typeof r.name === "string" && typeof r.board === "string"; });
        var named = false;
        list.forEach(function (r) { if (!r.id) { r.id = newId(); named = true; } });
        if (named) storeRooms(list); // rooms kept before they had ids
        return list;
    }

    function storeRooms(list) {
        try {
            localStorage.setItem(RoomsKey, JSON.stringify(list));
            return true;
        } catch (e) { return false; }
    }

    // Stores the list and shows what is stored; false (and one message) when
    // the browser would not keep it.
    function keepRooms(list, selected) {
        var stored = storeRooms(list);
        listRooms(selected);
        if (!stored)
            host.showMessage("Браузер не сохранил список комнат (хранилище недоступно или заполнено). " +
                             "Список остался прежним.", "Редактор", true, null);
        return stored;
    }

    function findRoom(list, id) {
        for (var i = 0; i < list.length; ++i) if (list[i].id === id) return i;
        return -1;
    }

    function listRooms(selected) {
        var select = byId("rooms"), list = keptRooms();
        if (selected === undefined) selected = select.value;
        select.textContent = "";
        var none = document.createElement("option");
        none.value = "";
        none.textContent = list.length ? "— выберите комнату —" : "— нет комнат —";
        select.appendChild(none);
        for (var i = 0; i < list.length; ++i) {
            var option = document.createElement("option");
            option.value = list[i].id;
            option.textContent = list[i].name;
            select.appendChild(option);
        }
        select.value = findRoom(list, selected) >= 0 ? selected : "";
        roomButtons();
    }

    function roomButtons() {
        var chosen = byId("rooms").value !== "";
        ["openRoom", "renameRoom", "deleteRoom"].forEach(function (id) { byId(id).disabled = !chosen; });
        byId("restoreRoom").hidden = !deleted;
        if (deleted) byId("restoreRoom").textContent = "Вернуть «" + deleted.name + "»";
        fitPanel();
    }

    function typedName(list) {
        return byId("roomName").value.trim() || "Комната " + (list.length + 1);
    }

    function keepAs(list, name, at) {
        var entry = { id: at >= 0 ? list[at].id : newId(), name: name, board: encodeRoom(room) };
        if (at >= 0) list[at] = entry;
        else list.push(entry);
        if (keepRooms(list, entry.id)) {
            openedId = entry.id;
            byId("roomName").value = name;
        }
    }

    var roomCommands = {
        // A name another room has is replaced only when the player says so,
        // unless it is the room opened (or kept) last: saving that again is
        // what the player means.
        keepRoom: function () {
            var list = keptRooms(), name = typedName(list), at = -1;
            for (var i = 0; i < list.length; ++i) if (list[i].name === name) at = i;
            if (at < 0 || list[at].id === openedId) { keepAs(list, name, at); return; }
            host.ask("Комната «" + name + "» уже есть. Заменить её этой?", "Редактор", "Заменить", function () {
                var fresh = keptRooms();
                keepAs(fresh, name, findRoom(fresh, list[at].id));
            });
        },
        openRoom: function (id) {
            var list = keptRooms(), at = findRoom(list, id);
            if (at < 0) { gone(); return; }
            var decoded = decodeRoom(list[at].board);
            if (!decoded.room) {
                host.showMessage("Эту комнату не прочитать: " + decoded.error + ".", "Редактор", true, null);
                return;
            }
            setRoom(decoded.room);
            byId("roomName").value = list[at].name;
            openedId = id;
        },
        renameRoom: function (id) {
            var list = keptRooms(), at = findRoom(list, id), name = byId("roomName").value.trim();
            if (at < 0) { gone(); return; }
            if (!name) { host.showMessage("Введите новое название в поле «Название».", "Редактор", true, null); return; }
            for (var i = 0; i < list.length; ++i)
                if (i !== at && list[i].name === name) {
                    host.showMessage("Комната «" + name + "» уже есть.", "Редактор", true, null);
                    return;
                }
            list[at].name = name;
            keepRooms(list, id);
        },
        deleteRoom: function (id) {
            var list = keptRooms(), at = findRoom(list, id);
            if (at < 0) { gone(); return; }
            host.ask("Удалить комнату «" + list[at].name + "»?", "Редактор", "Удалить", function () {
                var fresh = keptRooms(), now = findRoom(fresh, id);
                if (now < 0) { gone(); return; }
                var entry = fresh.splice(now, 1)[0];
                if (!keepRooms(fresh, "")) return;
                deleted = entry;
                if (openedId === id) openedId = null;
                roomButtons();
            });
        },
        restoreRoom: function () {
            if (!deleted) return;
            var list = keptRooms(), entry = deleted;
            if (findRoom(list, entry.id) < 0) list.push(entry);
            if (keepRooms(list, entry.id)) deleted = null;
            roomButtons();
        }
    };

    function gone() {
        host.showMessage("Этой комнаты больше нет: её удалили в другой вкладке.", "Редактор", true, null);
        listRooms();
    }

    // ---- the panel ----------------------------------------------------------------

    var PanelStyle =
        "#stage { position: relative; }" +
        "#editor { display: none; padding: 4px 6px; border-top: 1px solid #d7d7d7; font-size: 13px; }" +
        "#editor.edit, #editor.play, #editor.replay { display: block; }" +
        "#editor .row { display: flex; flex-wrap: wrap; gap: 4px; margin: 2px 0; align-items: center; }" +
        "#editor button, #editor input, #editor select { font: inherit; padding: 2px 6px; }" +
        "#editor button.chosen { background: #91c9f7; border-color: #2a6fb0; }" +
        "#editor.play .editOnly, #editor.replay .editOnly, #editor.edit .playOnly { display: none; }" +
        "#verdict { font-weight: bold; min-height: 1.2em; }" +
        "#verdict[data-state=invalid] { color: #8a5a00; } #verdict[data-state=none] { color: #b0201a; }" +
        "#progress { color: #555; min-height: 1.2em; }" +
        "#shareLink { flex: 1; min-width: 120px; }" +
        "#editor .row[hidden] { display: none; }" +
        "#notationText { font: 13px/1.15 monospace; flex: 1; min-width: 160px; }" +
        "#editor .column { display: flex; flex-direction: column; gap: 4px; }" +
        "#editCursor { position: absolute; box-sizing: border-box; border: 2px solid #ffd400;" +
        "  outline: 1px solid #000; pointer-events: none; }";

    var PanelHtml =
        "<div class='row editOnly' id='palette'></div>" +
        "<div class='row'><button id='editUndo' class='editOnly'>Отменить</button>" +
        "<button id='editRedo' class='editOnly'>Вернуть</button>" +
        "<button id='clear' class='editOnly'>Очистить</button>" +
        "<button id='play' class='editOnly'>Играть</button>" +
        "<button id='showSolution' class='editOnly'>Показать решение</button>" +
        "<button id='backToEditor' class='playOnly'>К редактору</button>" +
        "<button id='leaveEditor'>К игре</button></div>" +
        "<div id='verdict'></div><div id='progress'></div>" +
        "<div class='row editOnly'><button id='share'>Ссылка</button><input id='shareLink' readonly>" +
        "<button id='saveGame'>Сохранить как игру</button></div>" +
        "<div class='row editOnly'><input id='roomName' placeholder='Название' size='12'>" +
        "<button id='keepRoom'>Сохранить</button><select id='rooms'></select>" +
        "<button id='openRoom'>Открыть</button><button id='renameRoom'>Переименовать</button>" +
        "<button id='deleteRoom'>Удалить</button><button id='restoreRoom' hidden></button>" +
        "<button id='notation'>Текст</button></div>" +
        "<div class='row editOnly' id='notationRow' hidden><textarea id='notationText' rows='6' cols='24' spellcheck='false'" +
        " placeholder='#####&#10;#@$.#&#10;#####'></textarea><div class='column'>" +
        "<button id='readNotation'>Прочитать текст</button><button id='writeNotation'>Записать текст</button>" +
        "<button id='notationFile'>Из файла…</button><input type='file' id='notationPicker' accept='.txt,.sok,.xsb' hidden>" +
        "</div></div>";

    function buildPanel() {
        var style = document.createElement("style");
        style.textContent = PanelStyle;
        document.head.appendChild(style);
        var panel = document.createElement("div");
        panel.id = "editor";
        panel.innerHTML = PanelHtml;
        byId("frame").insertBefore(panel, byId("status"));
        var mark = document.createElement("div");
        mark.id = "editCursor";
        byId("stage").appendChild(mark);
        for (var i = 0; i < Tools.length; ++i) {
            var button = document.createElement("button");
            button.textContent = (i + 1) + " " + Tools[i].name;
            button.dataset.tool = i;
            byId("palette").appendChild(button);
        }
        panel.addEventListener("click", panelClick);
        // Typing a name is not editing the board.
        byId("roomName").addEventListener("keydown", function (e) { e.stopPropagation(); });
        byId("notationText").addEventListener("keydown", function (e) { e.stopPropagation(); });
        byId("notationPicker").addEventListener("change", function () {
            var file = byId("notationPicker").files[0];
            byId("notationPicker").value = "";
            if (!file) return;
            var reader = new FileReader();
            reader.onload = function () { byId("notationText").value = reader.result; readNotation(); };
            reader.readAsText(file.slice(0, 64 * 1024));
        });
        listRooms("");
        byId("rooms").addEventListener("change", roomButtons);
        // Another tab kept, renamed or deleted a room: the list shows it.
        window.addEventListener("storage", function (e) { if (e.key === RoomsKey || e.key === null) listRooms(); });
    }

    var panelCommands = {
        editUndo: undoEdit, editRedo: redoEdit, leaveEditor: close,
        // A new room: saving it does not replace the room opened before.
        clear: function () {
            setRoom(emptyRoom());
            byId("roomName").value = "";
            openedId = null;
        },
        play: function () { startPlay("play"); },
        showSolution: showSolution,
        backToEditor: backToEdit,
        share: function () {
            var field = byId("shareLink");
            field.value = shareLink();
            field.select();
            if (navigator.clipboard) navigator.clipboard.writeText(field.value).catch(function () { /* selected instead */ });
        },
        saveGame: saveAsGame,
        notation: function () { byId("notationRow").hidden = !byId("notationRow").hidden; },
        readNotation: readNotation,
        writeNotation: function () {
            byId("notationRow").hidden = false;
            byId("notationText").value = BexaranNotation.write(room, notationCodes());
        },
        notationFile: function () { byId("notationPicker").click(); }
    };

    function notationCodes() {
        return { columns: Columns, rows: Rows, Wall: Wall, Floor: Floor, Goal: Goal, Box: Box, BoxOnGoal: BoxOnGoal };
    }

    // The room of the text on the board, as an edit Undo takes back.
    function readNotation() {
        var read = BexaranNotation.read(byId("notationText").value, notationCodes());
        if (read.error) {
            host.showMessage("Текст не прочитан: " + read.error + ".", "Редактор", true, null);
            return;
        }
        setRoom(read);
    }

    function panelClick(e) {
        var button = e.target.closest("button");
        if (!button || host.blocked()) return;
        host.closeMenus();
        if (button.dataset.tool !== undefined) chooseTool(Number(button.dataset.tool));
        else if (panelCommands[button.id]) panelCommands[button.id]();
        else if (roomCommands[button.id]) roomCommands[button.id](byId("rooms").value);
        fitPanel();
        if (document.activeElement === button) button.blur(); // the keys go on working the board
    }

    function saveAsGame() {
        var checked = checkRoom(room);
        if (checked.error) {
            host.showMessage("Эту комнату пока нельзя сохранить как игру: " + checked.error.toLowerCase() + ".",
                             "Редактор", true, null);
            return;
        }
        host.download(checked.game, "komnata.bxr");
    }

    // ---- opening and closing ----------------------------------------------------------

    function storedWork() {
        var text = null;
        try { text = localStorage.getItem(WorkKey); } catch (e) { return emptyRoom(); }
        var decoded = text ? decodeRoom(text) : {};
        return decoded.room || emptyRoom();
    }

    // Opens on the work kept from the last visit; a link's room then comes
    // over it as an edit that Undo takes back.
    function open() {
        if (mode === "closed") {
            core._webKeepGame();
            room = storedWork();
            undoStack = [];
            redoStack = [];
            mode = "edit";
            byId("editor").className = "edit";
            byId("editCursor").hidden = false;
            host.layout();
            chooseTool(tool);
            roomChanged();
        }
        openLink();
    }

    function close() {
        if (mode === "closed") return;
        stopSearch();
        if (replay) clearInterval(replay.timer);
        replay = null;
        mode = "closed";
        byId("editor").className = "";
        byId("editCursor").hidden = true;
        byId("part3").textContent = "";
        core._webReturnToGame();
        host.layout();
        host.after();
    }

    // The page's commands while the editor is open: true when taken here.
    function command(name) {
        if (mode === "replay") return true;
        if (mode === "play") {
            if (name === "restart") startPlay("play");
            return name === "restart";
        }
        if (name === "undo") undoEdit();
        if (name === "redo") redoEdit();
        if (name === "save") saveAsGame();
        return true;
    }

    function onKey(e) {
        if (mode === "edit") return editKey(e);
        if (e.key === "Escape") { e.preventDefault(); backToEdit(); return true; }
        return mode === "replay";
    }

    buildPanel();
    setUpPointer();
    window.addEventListener("resize", function () { if (mode === "edit") placeCursor(); });

    // For the tests: a shorter budget, the room as rows of its text ("$" the
    // keeper, "+" the keeper on a goal), and the build.
    window.BexaranEditor = {
        budget: function (seconds) { budget.seconds = seconds; judge(); },
        rows: function () {
            var text = roomText(room), rows = [];
            for (var y = 0; y < Rows; ++y) rows.push(text.substr(y * Columns, Columns));
            return rows;
        },
        mode: function () { return mode; },
        build: Build
    };
})();
