// Year and month banners over the streets, year and month labels on the
// ground and the title sign. All signs share nine display lists and the
// year, month and title textures.
#pragma once

#include "scene/SceneObject.h"

class Sign : public SceneObject {
public:
    enum Kind { title = 0, yearBanner = 1, monthBanner = 2, yearLabel = 3, monthLabel = 4 };

    Sign(float x, float y, float z, int kind, int index);
    void draw(double seconds) override;

    // Whether a sign has loaded the shared textures and built the lists.
    static bool sharedResourcesMade();
    // The years of the year table, 1998 to 2010 unless set here. Set before
    // the first sign; a sign made after a change loads the new table.
    static void useYears(int firstYear, int lastYear);

    int kind;
    int index;   // kinds 1 and 3: year - first table year; kinds 2 and 4: a month number
};

// Which entries of the kind's texture table (years for kinds 1 and 3,
// months for kinds 2 and 4) a sign binds on its front and back plates; -1
// binds nothing. Never an entry outside the table: the banner of the table's
// first year has no earlier year and shows its own on both faces.
struct SignEntries {
    int front;
    int back;
};
SignEntries signTableEntries(int kind, int index);
