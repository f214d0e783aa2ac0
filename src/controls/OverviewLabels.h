// The overview's own labels, drawn flat over the scene so they read at any
// height: each year's number at the left end of its row of crossings and
// the month names above the columns. Which labels, and where, from the
// crossings as the camera sees them; no GL.
#pragma once

#include <string>
#include <vector>

// A crossing of the city projected into the window: pixels, y up.
struct ScreenCrossing {
    int year;
    int month;
    double x, y;
};

// A label's text and where its baseline starts, in window pixels, y up.
struct OverviewLabel {
    std::string text;
    int x, y;
};

// The labels for a window of width x height. Rows closer than a line of
// text keep every 2nd, 5th, 10th... year's label (the years divisible by
// it); month names, along the window's top edge over their columns, are
// full where every column has room for "September", three letters where
// "Sep" fits, and left out otherwise. A year label stays on the window when
// its row end is off it.
std::vector<OverviewLabel> overviewLabels(const std::vector<ScreenCrossing>& crossings, int width, int height);
