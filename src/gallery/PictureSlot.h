// One photo the gallery holds: its texture and the size of the photo as
// seen upright. A slot does not own its texture: slots share one during a
// fade, and the gallery releases it through its loader once no slot holds
// it any more.
#pragma once

#include "textures/TextureName.h"

struct PictureSlot {
    TextureName texture = 0;   // 0: empty, nothing is drawn
    int width = 0;             // pixels of the upright photo before scaling
    int height = 0;

    bool empty() const { return texture == 0; }
};
