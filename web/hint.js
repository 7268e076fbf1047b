// "Подсказка": the solver's worker asked about the position on the board. It
// shows the next push of a push-optimal solution as an arrow on its box and
// says how many pushes solve the level from here; or, when the position can
// no longer be solved, how many moves back it still could be (found among
// the moves of the history); or, past the budget, the best push found and
// that it is not proven. Loaded by page.js when a hint is first asked for.
"use strict";

(function () {
    var Build = "@BEXARAN_PAGE_VERSION@";
    var Budget = { seconds: 5, megabytes: 256 };
    var host = Bexaran.attachHint({ build: Build, ask: ask, stop: stop });
    if (!host) return;
    var core = host.core, search = null, asked = 0;

    function plural(n, one, few, many) {
        var tens = n % 100, units = n % 10;
        if (tens >= 11 && tens <= 14) return many;
        return units === 1 ? one : units >= 2 && units <= 4 ? few : many;
    }

    function pushes(n) { return n + " " + plural(n, "толчок", "толчка", "толчков"); }
    function movesBack(n) { return n + " " + plural(n, "ход", "хода", "ходов"); }

    var Failures = {
        memory: "Подсказки нет: поиску не хватило памяти",
        error: "Подсказки нет: поиск не удался",
        build: "Сайт обновился: перезагрузите страницу, чтобы получить подсказку"
    };

    function solve(position, then) {
        search = BexaranSolver.solve(Build, position, Budget, null, function (answer) {
            search = null;
            then(answer);
        });
    }

    function stop() {
        ++asked;
        if (search) search.stop();
        search = null;
    }

    function ask() {
        stop();
        var question = asked;
        host.say("Ищу подсказку…", {});
        host.counted();
        solve(host.position(), function (answer) {
            if (question !== asked) return;
            if (answer.failed) { host.say(Failures[answer.failed], {}); return; }
            var v = answer.verdict;
            if (v.outcome === "optimal" || v.outcome === "solvedOnly") showPush(v);
            else if (v.outcome === "noSolution") findSolvable(question);
            else host.say("Подсказки нет: за " + Budget.seconds + " с решение не найдено", {});
        });
    }

    function showPush(v) {
        host.writeLetters(v.moves);
        var at = core._webFirstPush() >> 2;
        var box = core.HEAP32[at + 1], direction = core.HEAP32[at + 2];
        if (core.HEAP32[at] === 0) { host.say("Подсказки нет", {}); return; }
        var proven = v.outcome === "optimal";
        host.showArrow(box, direction);
        host.say(proven ? "Решение: " + pushes(v.pushes) + " отсюда"
                        : "Не доказано: лучшее найденное решение — " + pushes(v.pushes) + " отсюда",
                 { box: box, direction: direction, pushes: v.pushes, proven: proven ? "1" : "0" });
    }

    // Once a position cannot be solved, no move after it can make it
    // solvable again: the history's positions are solvable up to some move
    // and not after, so halving finds the last solvable one.
    function findSolvable(question) {
        var played = host.played(), low = 0, high = played.length;
        host.say("Ищу, сколько ходов назад позиция ещё решалась…", {});
        var next = function () {
            if (high - low <= 1) {
                var back = played.length - low;
                host.say("Эту позицию уже не решить. Она решалась " + movesBack(back) + " назад: отмените их.",
                         { back: back });
                return;
            }
            var middle = (low + high) >> 1;
            solve(host.positionAfter(middle), function (answer) {
                if (question !== asked) return;
                if (answer.failed) { host.say(Failures[answer.failed], {}); return; }
                var outcome = answer.verdict.outcome;
                if (outcome === "gaveUp") {
                    host.say("Эту позицию уже не решить; сколько ходов назад она решалась, не найдено за " +
                             Budget.seconds + " с", {});
                    return;
                }
                if (outcome === "noSolution") high = middle;
                else low = middle;
                next();
            });
        };
        if (played.length === 0) { host.say("Эту позицию уже не решить", { back: 0 }); return; }
        next();
    }
})();
