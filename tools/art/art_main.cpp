// bexaran-art: draws the game's pictures and writes them into a source tree.
//   bexaran-art ROOT [--board FILE]
// writes ROOT/shell/{keeper,tiles,boxes}.png, ROOT/shell/bexaran.ico,
// ROOT/shell/bexaran-small.ico, the page's ROOT/web/icon-{192,512}.png and
// ROOT/docs/contact-sheet.png; --board also writes a
// full 20 by 16 board composed from the sheets, for judging the art at game size.
#include "art_image.h"
#include "art_pictures.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

bool writeOrComplain(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (!bytes.empty() && writeFile(path, bytes)) return true;
    std::fprintf(stderr, "bexaran-art: cannot write %s\n", path.c_str());
    return false;
}

// A board of our own for the full-size preview, the keeper on a goal.
const char* const PreviewBoard[16] = {
    "@@@@@@@@@@@@@@@@@@@@", "@@@@@@@@@@@@@@@@@@@@", "@@@@@      @@@@@@@@@",
    "@@@@@ o  o @@   x @@", "@@@@@ @@@@ @@ @@@ @@", "@@@     #    o   x@@",
    "@@@ o @@@ @@@ @@@ @@", "@@@   @ x   %     @@", "@@@@@ @ @@@ @@@@ @@@",
    "@@@@@   x  o      @@", "@@@@@@@@@@ @@@@@ @@@", "@@@@@@@@@@    #  @@@",
    "@@@@@@@@@@@@@@@@@@@@", "@@@@@@@@@@@@@@@@@@@@", "@@@@@@@@@@@@@@@@@@@@",
    "@@@@@@@@@@@@@@@@@@@@"};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--board") == 0)) {
        std::fprintf(stderr, "usage: bexaran-art ROOT [--board FILE]\n");
        return 2;
    }
    const std::string root = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(root + "/shell", ec);
    std::filesystem::create_directories(root + "/docs", ec);
    std::filesystem::create_directories(root + "/web", ec);

    const ArtImage tiles = drawTileSheet();
    const ArtImage boxes = drawBoxSheet();
    const ArtImage keeper = drawPlayerSheet();
    bool ok = writeOrComplain(root + "/shell/keeper.png", encodePng(keeper));
    ok = writeOrComplain(root + "/shell/tiles.png", encodePng(tiles)) && ok;
    ok = writeOrComplain(root + "/shell/boxes.png", encodePng(boxes)) && ok;
    ok = writeOrComplain(root + "/shell/bexaran.ico", encodeIco(drawIcon(32))) && ok;
    ok = writeOrComplain(root + "/shell/bexaran-small.ico", encodeIco(drawIcon(16))) && ok;
    ok = writeOrComplain(root + "/web/icon-192.png", encodePng(drawAppIcon(192))) && ok;
    ok = writeOrComplain(root + "/web/icon-512.png", encodePng(drawAppIcon(512))) && ok;
    ok = writeOrComplain(root + "/docs/contact-sheet.png",
                         encodePng(drawContactSheet(tiles, boxes, keeper))) &&
         ok;
    if (argc == 4)
        ok = writeOrComplain(argv[3], encodePng(composeBoard(tiles, boxes, keeper, PreviewBoard,
                                                             20, 16, 6, 0))) &&
             ok;
    return ok ? 0 : 1;
}
