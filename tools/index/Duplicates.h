// Byte-identical photos found under several paths (a backup copy beside the
// original, an export of an untouched photo): each stands in the city once.
#pragma once

#include <string>
#include <vector>

#include "PhotoWalk.h"

namespace photoindex {

struct Duplicate {
    std::string path;   // left out
    std::string kept;   // the first of its copies by path order
};

// Moves every photo whose bytes equal an earlier one's (photos in path
// order) out of photos. Only photos of equal size are read, hashed (their
// first and last 64 KB) and then compared byte for byte; a photo that cannot be read, or larger than
// 512 MB, is kept.
std::vector<Duplicate> removeDuplicates(std::vector<FoundPhoto>* photos);

}  // namespace photoindex
