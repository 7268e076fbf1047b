// The common text notation that players share rooms in: "#" wall, " " or
// "-" (or "_") floor, "." goal, "$" box, "*" box on a goal, "@" keeper, "+"
// keeper on a goal, one line a row. The editor reads a room from it (pasted
// or from a file) and writes the room on the board in it. Written in front of
// editor.js, which uses it.
"use strict";

var BexaranNotation = (function () {
    var FloorMarks = " -_";

    // The first block of lines that look like a room: other lines (a title,
    // a comment) are not the room. Trailing spaces go.
    function roomLines(text) {
        var lines = text.replace(/\t/g, " ").split(/\r?\n/), block = [];
        for (var i = 0; i < lines.length; ++i) {
            var line = lines[i].replace(/\s+$/, "");
            // A line with walls is a row of the room: a sign the notation
            // does not have there is a fault, not the end of the room.
            var walled = /#/.test(line) && !/^\s*;/.test(line);
            if (walled && !/^[#@+$*.\-_ ]*$/.test(line))
                return { error: "в строке " + (i + 1) + " знак «" + line.replace(/[#@+$*.\-_ ]/g, "").charAt(0) +
                                "», которого нет в записи комнат" };
            if (walled) block.push({ text: line, number: i + 1 });
            else if (block.length) break;
        }
        return block.length ? { lines: block } : { error: "в тексте нет комнаты" };
    }

    // { cells, keeper } in the editor's codes (c: Wall, Floor, Goal, Box,
    // BoxOnGoal; columns, rows), placed in the middle of the board, or
    // { error } saying in one line why not.
    function read(text, c) {
        var found = roomLines(text);
        if (found.error) return found;
        var lines = found.lines, height = lines.length, width = 0;
        lines.forEach(function (l) { width = Math.max(width, l.text.length); });
        if (width > c.columns || height > c.rows)
            return { error: "комната " + width + " на " + height + " больше поля " + c.columns + " на " + c.rows };
        var grid = lines.map(function (l) { return (l.text + " ".repeat(width)).slice(0, width).split(""); });
        // Floor joined to the block's edge lies outside the walls: wall.
        var outside = [], stack = [];
        for (var y = 0; y < height; ++y)
            for (var x = 0; x < width; ++x)
                if ((x === 0 || y === 0 || x === width - 1 || y === height - 1) && FloorMarks.indexOf(grid[y][x]) >= 0)
                    stack.push([x, y]);
        while (stack.length) {
            var p = stack.pop(), px = p[0], py = p[1];
            if (px < 0 || py < 0 || px >= width || py >= height || outside[py * width + px]) continue;
            if (FloorMarks.indexOf(grid[py][px]) < 0) continue;
            outside[py * width + px] = true;
            stack.push([px - 1, py], [px + 1, py], [px, py - 1], [px, py + 1]);
        }
        var left = Math.floor((c.columns - width) / 2), top = Math.floor((c.rows - height) / 2);
        var cells = [], keeper = -1;
        for (var i = 0; i < c.columns * c.rows; ++i) cells.push(c.Wall);
        var codeOf = { "#": c.Wall, ".": c.Goal, "$": c.Box, "*": c.BoxOnGoal, "@": c.Floor, "+": c.Goal };
        for (y = 0; y < height; ++y)
            for (x = 0; x < width; ++x) {
                var mark = grid[y][x], cell = (top + y) * c.columns + left + x;
                if (mark === "@" || mark === "+") {
                    if (keeper >= 0) return { error: "в строке " + lines[y].number + " второй кладовщик" };
                    keeper = cell;
                }
                cells[cell] = outside[y * width + x] ? c.Wall : FloorMarks.indexOf(mark) >= 0 ? c.Floor : codeOf[mark];
            }
        return { cells: cells, keeper: keeper };
    }

    // The room in the notation: its cells other than wall and the walls that
    // touch them (sideways or corner to corner); walls farther out are
    // spaces, and a line's trailing spaces go.
    function write(room, c) {
        var columns = c.columns, rows = c.rows;
        var open = function (x, y) {
            return x >= 0 && y >= 0 && x < columns && y < rows && room.cells[y * columns + x] !== c.Wall;
        };
        var left = columns, top = rows, right = -1, bottom = -1;
        for (var y = 0; y < rows; ++y)
            for (var x = 0; x < columns; ++x)
                if (open(x, y)) {
                    left = Math.min(left, x); right = Math.max(right, x);
                    top = Math.min(top, y); bottom = Math.max(bottom, y);
                }
        if (right < 0) return "";
        var markOf = {};
        markOf[c.Floor] = " "; markOf[c.Goal] = "."; markOf[c.Box] = "$"; markOf[c.BoxOnGoal] = "*";
        var lines = [];
        for (y = Math.max(top - 1, 0); y <= Math.min(bottom + 1, rows - 1); ++y) {
            var line = "";
            for (x = Math.max(left - 1, 0); x <= Math.min(right + 1, columns - 1); ++x) {
                var cell = y * columns + x, code = room.cells[cell];
                if (cell === room.keeper) { line += code === c.Goal ? "+" : "@"; continue; }
                if (code !== c.Wall) { line += markOf[code]; continue; }
                var near = false;
                for (var dy = -1; dy <= 1; ++dy) for (var dx = -1; dx <= 1; ++dx) near = near || open(x + dx, y + dy);
                line += near ? "#" : " ";
            }
            lines.push(line.replace(/\s+$/, ""));
        }
        return lines.join("\n") + "\n";
    }

    return { read: read, write: write };
})();
