// The game's pictures, drawn by code: tiles, boxes, the keeper's frames, the icons.
#pragma once
#include "art_image.h"

ArtImage drawTileSheet();   // 96 x 32: wall, floor, goal
ArtImage drawBoxSheet();    // 64 x 32: box, box on a goal
ArtImage drawPlayerSheet(); // 384 x 64: 12 frames, walking row then pushing row; magenta key
ArtImage drawIcon(int size); // 32 or 16; ArtEmpty where transparent
ArtImage drawAppIcon(int size); // the page's home-screen icon, square and opaque: 192 or 512

// A board of 20 x 16 cells given as rows of cell codes ('@' wall, ' ' floor, 'x' goal,
// 'o' box, '#' box on a goal, '$' keeper on floor, '%' keeper on a goal), drawn from
// the three sheets the way the game draws it. frame and row pick the keeper picture.
ArtImage composeBoard(const ArtImage& tiles, const ArtImage& boxes, const ArtImage& keeper,
                      const char* const* rows, int columns, int rowCount, int frame, int row);

// Every tile and frame at 4x, a walk and a push as the slide shows them, and two small
// boards, one with the keeper on floor and one with him on a goal.
ArtImage drawContactSheet(const ArtImage& tiles, const ArtImage& boxes, const ArtImage& keeper);
