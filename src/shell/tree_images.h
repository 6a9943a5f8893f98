// The tree's image strip, drawn by us: a top node, four kinds of volume, folder,
// artist, album and song, each closed and open, and the overlays for partly marked,
// marked and missing file. Drawn at the screen's scale so they stay crisp.
#pragma once

#include <QIcon>

#include "tree/node_kinds.h"

// The icon of a node with the image index (0 to 23), with its mark drawn over it.
QIcon NodeIcon(int image, tree::Mark mark);
