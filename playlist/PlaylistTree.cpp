#include "playlist/PlaylistTree.h"

PlaylistTree::~PlaylistTree() = default;
