// What every sign draws with: the year images of the city's span, the twelve
// month images, the title image and the nine display lists of plates, boards
// and wires. Made once for the city while a GL context is current, and freed
// with it; the signs made with it go first.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "library/PictureLibrary.h"
#include "scene/NotCopyable.h"
#include "textures/TextureName.h"

class Sign;

class SignSet : NotCopyable {
public:
    // Loads one year image for each year of years.
    explicit SignSet(YearSpan years);
    ~SignSet();

    // The sign of kind (a Sign::Kind) and index standing at (x, y, z),
    // unless it lies wholly out of view.
    void draw(int kind, int index, float x, float y, float z) const;
    // The same pixels for every sign of the list made with this set, drawn
    // together; in what order among them, and which wire's colour stays
    // current, is the set's own.
    void drawAll(const std::vector<const Sign*>& signs) const;

    // A box about a sign's standing point.
    struct Box {
        float min[3], max[3];
    };
    // Where a sign stands.
    struct Place {
        float x, y, z;
    };

private:
    // What step of the kind's lists binds for the sign of index: 0 binds none.
    TextureName stepImage(int kind, int index, int step) const;

    std::vector<TextureName> yearImages;   // the span's first year onward
    TextureName monthImages[12];
    TextureName titleImage;
    unsigned int lists[9];
    Box boxes[5];   // by kind, round its lists
    // drawAll's places by list, then image (0: none bound), emptied each
    // frame and kept, so that a frame does not allocate them anew.
    mutable std::map<std::pair<int, TextureName>, std::vector<Place>> runs;
};
