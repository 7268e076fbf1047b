// bexaran-levelgen: makes the 50 built-in levels in two steps.
//
//   bexaran-levelgen generate --seed N [--first R] [--rooms K] [--boxes A-B]
//                    [--parked P] [--starts S] [--exhaustive E] [--beam W]
//                    [--noise Z] [--cells C-D] [--proof N] [--retry M]
//                    [--plain N] [--pool FILE] [--quiet]
//       makes rooms R .. R+K-1 with A to B boxes off goal (and in a third of
//       them 1 to P more parked on goals) and C to D cells of floor per box
//       (5-8 unless told), searches each backwards by pulls
//       from its solved position (exhaustive up to E positions, a beam of W
//       after that, whose choice chance sways by Z pushes of spread),
//       solves the farthest, most tangled starts forward with tools/solver
//       (at most N positions for the proof, M for a second try when the
//       first one's lower bound is already 10% over the lone-box estimate,
//       N for the plain search) and appends every proven one to the pool.
//       Deterministic: each room has its own random stream from N and its
//       number, and the solvers are limited by positions, not by time.
//   bexaran-levelgen compose --seed N --first J --jobs K --from FILE [--from FILE ...]
//                    [--join A-B] [--boxes A-B] [--part-area C] [--proof N]
//                    [--plain N] [--pool FILE] [--quiet]
//       levels of A to B rooms (2-4 unless told) of the pools read with
//       --from, joined on the whole board, with A to B boxes off goal in
//       all (12-32 unless told), each room at most C cells in extent where
//       there are three or more (48 unless told); each proven within N
//       positions is measured
//       (the plain search within its N, its count a lower bound where it
//       stops) and appended to the pool. Job j is the same level every time.
//   bexaran-levelgen measure --pool FILE [--pool FILE ...] --out FILE
//       solves every candidate of the pools that could be chosen again with
//       the present solver and writes their lines afresh: the figures of a
//       pool made with an earlier solver brought up to date.
//   bexaran-levelgen assemble --pool FILE [--pool FILE ...] --table FILE
//                    --solutions FILE
//       chooses the 50 levels from the pool and writes the level table and
//       the solutions (the set of small rooms).
//   bexaran-levelgen choose --pool FILE [--pool FILE ...] [--table FILE
//                    --solutions FILE]
//       the same for the set on the whole board (6 to 32 boxes, boxes on
//       goals, big rooms): says what the pool holds and which targets a
//       choice from it would miss, and writes the table only when none.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include <string>
#include <vector>

#include "assemble.h"
#include "compose.h"
#include "generate.h"

namespace {

int usage() {
    fprintf(stderr,
            "usage: bexaran-levelgen generate --seed N [--first R] [--rooms K] [--boxes A-B]\n"
            "                        [--parked P] [--starts S] [--exhaustive E] [--beam W]\n"
            "                        [--noise Z] [--cells C-D] [--proof N] [--retry M]\n"
            "                        [--plain N] [--pool FILE] [--quiet]\n"
            "       bexaran-levelgen compose --seed N --first J --jobs K --from FILE [--from FILE "
            "...]\n"
            "                        [--join A-B] [--boxes A-B] [--part-area C] [--proof N]\n"
            "                        [--plain N] [--pool FILE] [--quiet]\n"
            "       bexaran-levelgen measure --pool FILE [--pool FILE ...] --out FILE\n"
            "       bexaran-levelgen assemble --pool FILE [--pool FILE ...] --table FILE\n"
            "                        --solutions FILE\n"
            "       bexaran-levelgen choose --pool FILE [--pool FILE ...] [--table FILE\n"
            "                        --solutions FILE]\n");
    return 2;
}

// Two starts per room; the pull search exhaustive up to 400,000 positions,
// then a beam of 2,000 swayed by 6 pushes; the solvers stop at 2 and 3
// million positions.
GenerateSettings defaultSettings() {
    return {1,       0, 100,     6,          12,   0, 5, 8, 2, {400000, 2000, 400, 0, 6},
            2000000, 0, 3000000, "pool.txt", false};
}

int runGenerate(int argc, char** argv) {
    GenerateSettings s = defaultSettings();
    for (int i = 2; i < argc; ++i) {
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!strcmp(a, "--quiet")) {
            s.quiet = true;
            continue;
        }
        if (!v) return usage();
        ++i;
        if (!strcmp(a, "--seed"))
            s.seed = strtoull(v, nullptr, 10);
        else if (!strcmp(a, "--first"))
            s.firstRoom = strtoll(v, nullptr, 10);
        else if (!strcmp(a, "--rooms"))
            s.rooms = strtoll(v, nullptr, 10);
        else if (!strcmp(a, "--starts"))
            s.startsPerRoom = atoi(v);
        else if (!strcmp(a, "--pool"))
            s.poolPath = v;
        else if (!strcmp(a, "--parked"))
            s.maxParked = atoi(v);
        else if (!strcmp(a, "--exhaustive"))
            s.pull.maxPositions = strtoll(v, nullptr, 10);
        else if (!strcmp(a, "--noise"))
            s.pull.beamNoise = atoi(v);
        else if (!strcmp(a, "--beam"))
            s.pull.beamWidth = atoi(v);
        else if (!strcmp(a, "--proof"))
            s.proofLimit = strtoll(v, nullptr, 10);
        else if (!strcmp(a, "--retry"))
            s.retryLimit = strtoll(v, nullptr, 10);
        else if (!strcmp(a, "--plain"))
            s.plainLimit = strtoll(v, nullptr, 10);
        else if (!strcmp(a, "--cells")) {
            if (sscanf(v, "%d-%d", &s.minCellsPerBox, &s.maxCellsPerBox) != 2) return usage();
        } else if (!strcmp(a, "--boxes")) {
            if (sscanf(v, "%d-%d", &s.minBoxes, &s.maxBoxes) != 2) return usage();
        } else
            return usage();
    }
    if (s.minBoxes < 1 || s.maxBoxes > 32 || s.minBoxes > s.maxBoxes || s.maxParked < 0 ||
        s.maxParked > 8 || s.pull.beamWidth < 1 || s.minCellsPerBox < 3 ||
        s.minCellsPerBox > s.maxCellsPerBox)
        return usage();
    int64_t written = generatePool(s);
    if (written < 0) {
        fprintf(stderr, "bexaran-levelgen: cannot append to %s\n", s.poolPath.c_str());
        return 1;
    }
    if (!s.quiet)
        fprintf(stderr, "%lld candidates written to %s\n", (long long)written, s.poolPath.c_str());
    return 0;
}

int runCompose(int argc, char** argv) {
    ComposeSettings s = {1, 0, 100, 2, 4, 12, 32, 48, 3000000, 3000000, {}, "pool.txt", false};
    for (int i = 2; i < argc; ++i) {
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!strcmp(a, "--quiet")) {
            s.quiet = true;
            continue;
        }
        if (!v) return usage();
        ++i;
        if (!strcmp(a, "--seed"))
            s.seed = strtoull(v, nullptr, 10);
        else if (!strcmp(a, "--first"))
            s.firstJob = strtoll(v, nullptr, 10);
        else if (!strcmp(a, "--jobs"))
            s.jobs = strtoll(v, nullptr, 10);
        else if (!strcmp(a, "--from"))
            s.partPools.push_back(v);
        else if (!strcmp(a, "--pool"))
            s.poolPath = v;
        else if (!strcmp(a, "--proof"))
            s.proofLimit = strtoll(v, nullptr, 10);
        else if (!strcmp(a, "--plain"))
            s.plainLimit = strtoll(v, nullptr, 10);
        else if (!strcmp(a, "--part-area"))
            s.maxPartArea = atoi(v);
        else if (!strcmp(a, "--join")) {
            if (sscanf(v, "%d-%d", &s.minParts, &s.maxParts) != 2) return usage();
        } else if (!strcmp(a, "--boxes")) {
            if (sscanf(v, "%d-%d", &s.minBoxes, &s.maxBoxes) != 2) return usage();
        } else
            return usage();
    }
    if (s.partPools.empty() || s.minParts < 2 || s.maxParts > 6 || s.minParts > s.maxParts ||
        s.minBoxes < 1 || s.maxBoxes > 32 || s.minBoxes > s.maxBoxes)
        return usage();
    int64_t written = composePool(s);
    if (written < 0) {
        fprintf(stderr, "bexaran-levelgen: cannot read the parts or append to %s\n",
                s.poolPath.c_str());
        return 1;
    }
    if (!s.quiet)
        fprintf(stderr, "%lld candidates written to %s\n", (long long)written, s.poolPath.c_str());
    return 0;
}

int runMeasure(int argc, char** argv) {
    std::vector<std::string> pools;
    std::string outPath;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--pool"))
            pools.push_back(argv[i + 1]);
        else if (!strcmp(argv[i], "--out"))
            outPath = argv[i + 1];
        else
            return usage();
    }
    std::vector<Candidate> pool;
    if (pools.empty() || outPath.empty() || argc % 2 || !readPool(pools, &pool)) return usage();
    FILE* out = fopen(outPath.c_str(), "w");
    if (!out) return 1;
    GenerateSettings settings = defaultSettings();
    int64_t kept = 0;
    for (const Candidate& old : pool) {
        if (!mayBeChosen(old)) continue;
        PullStart start = {old.board, old.keeperCell, old.pushes, false, old.onGoal, 0};
        Candidate fresh;
        if (!evaluateStart(start, old.room, settings, &fresh)) continue;
        fprintf(out, "%s\n", candidateLine(fresh).c_str());
        fflush(out);
        ++kept;
    }
    fclose(out);
    fprintf(stderr, "%lld of %zu candidates measured again into %s\n", (long long)kept, pool.size(),
            outPath.c_str());
    return 0;
}

// The options choose and assemble share: --pool (any number), --table,
// --solutions. 0 on an unknown option.
bool readPoolOptions(int argc, char** argv, std::vector<std::string>* pools, std::string* table,
                     std::string* solutions) {
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--pool"))
            pools->push_back(argv[i + 1]);
        else if (!strcmp(argv[i], "--table"))
            *table = argv[i + 1];
        else if (!strcmp(argv[i], "--solutions"))
            *solutions = argv[i + 1];
        else
            return false;
    }
    return true;
}

// The pool's candidates by boxes off goal, and the choice for the whole
// board: written only when every target is met, else what is short.
int runChoose(int argc, char** argv) {
    std::vector<std::string> pools;
    std::string table, solutions;
    if (!readPoolOptions(argc, argv, &pools, &table, &solutions)) return usage();
    std::vector<Candidate> pool;
    if (pools.empty() || argc % 2 || !readPool(pools, &pool)) return usage();
    int32_t byBoxes[33] = {}, parked = 0;
    for (const Candidate& c : pool) {
        ++byBoxes[std::min(32, boxesOffGoal(c))];
        parked += c.onGoal > 0;
    }
    fprintf(stderr, "%zu candidates (%d with boxes on goals); by boxes off goal:", pool.size(),
            parked);
    for (int32_t b = 0; b <= 32; ++b)
        if (byBoxes[b]) fprintf(stderr, " %d:%d", b, byBoxes[b]);
    std::string report;
    std::vector<Candidate> levels = chooseWholeBoardLevels(pool, &report);
    fprintf(stderr, "\n%s", report.c_str());
    if (!report.empty() || table.empty() || solutions.empty()) return 1;
    std::string madeBy = "Chosen by `bexaran-levelgen choose` from tools/levelgen/pool-board.txt";
    madeBy += "\n// and pool-joined.txt, which `bexaran-levelgen generate` and `compose`";
    madeBy += "\n// filled (see tools/levelgen/README.md).";
    if (!writeLevelTable(table, levels, madeBy) || !writeSolutions(solutions, levels)) return 1;
    return 0;
}

int runAssemble(int argc, char** argv) {
    std::vector<std::string> pools;
    std::string table, solutions;
    if (!readPoolOptions(argc, argv, &pools, &table, &solutions)) return usage();
    if (pools.empty() || table.empty() || solutions.empty() || argc % 2) return usage();
    std::vector<Candidate> pool;
    if (!readPool(pools, &pool)) {
        fprintf(stderr, "bexaran-levelgen: cannot read a pool file\n");
        return 1;
    }
    std::string report;
    std::vector<Candidate> levels = chooseLevels(pool, &report);
    fprintf(stderr, "%zu candidates in the pool\n%s", pool.size(), report.c_str());
    if (levels.size() != (size_t)LevelCount) return 1;
    std::string madeBy = "Chosen by `bexaran-levelgen assemble` from tools/levelgen/pool.txt,";
    madeBy += "\n// which `bexaran-levelgen generate` filled (see tools/levelgen/README.md).";
    if (!writeLevelTable(table, levels, madeBy) || !writeSolutions(solutions, levels)) {
        fprintf(stderr, "bexaran-levelgen: cannot write %s or %s\n", table.c_str(),
                solutions.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && !strcmp(argv[1], "generate")) return runGenerate(argc, argv);
    if (argc >= 2 && !strcmp(argv[1], "compose")) return runCompose(argc, argv);
    if (argc >= 2 && !strcmp(argv[1], "measure")) return runMeasure(argc, argv);
    if (argc >= 2 && !strcmp(argv[1], "assemble")) return runAssemble(argc, argv);
    if (argc >= 2 && !strcmp(argv[1], "choose")) return runChoose(argc, argv);
    return usage();
}
