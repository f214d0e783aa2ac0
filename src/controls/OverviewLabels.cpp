// Which overview labels are drawn and where: the thinning of the year
// labels and the choice of the month names' length.
#include "controls/OverviewLabels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "calendar/Calendar.h"

namespace {

// GLUT_BITMAP_9_BY_15, the font the labels are drawn in.
constexpr int glyphWidth = 9;
constexpr int lineHeight = 15;
constexpr int gap = 8;   // between a label and its row end, and between month names
constexpr int longestMonthGlyphs = 9;   // "September"

// The smallest of 1, 2, 5, 10, 20, 50... years whose rows are a line apart.
int yearStep(double pixelsPerYear)
{
    for (int step = 1;; step *= 10)
        for (int factor : {1, 2, 5})
            if (pixelsPerYear * step * factor >= lineHeight + 2 || step * factor >= 1000)
                return step * factor;
}

struct Row {
    const ScreenCrossing* left = nullptr;   // the crossing nearest the window's left
};

void addYearLabels(const std::map<int, Row>& rows, int width, int height, std::vector<OverviewLabel>* labels)
{
    double pixelsPerYear = 1e9;
    for (auto at = rows.begin(), next = std::next(at); next != rows.end(); ++at, ++next)
        pixelsPerYear = std::min(pixelsPerYear, std::fabs(next->second.left->y - at->second.left->y) /
                                                    (next->first - at->first));
    const int step = yearStep(pixelsPerYear);
    const int textWidth = 4 * glyphWidth;
    for (const auto& [year, row] : rows) {
        const int y = static_cast<int>(std::lround(row.left->y)) - lineHeight / 3;
        if (year % step != 0 || y < 0 || y >= height)
            continue;
        const int x = static_cast<int>(std::lround(row.left->x)) - gap - textWidth;
        labels->push_back({std::to_string(year), std::clamp(x, 2, std::max(2, width - textWidth - 2)), y});
    }
}

void addMonthLabels(const std::map<int, const ScreenCrossing*>& columns, int width, int height,
                     std::vector<OverviewLabel>* labels)
{
    double spacing = 1e9;
    for (auto at = columns.begin(), next = std::next(at); next != columns.end(); ++at, ++next)
        spacing = std::min(spacing, std::fabs(next->second->x - at->second->x));
    const int glyphs = spacing >= longestMonthGlyphs * glyphWidth + gap ? longestMonthGlyphs
                       : spacing >= 3 * glyphWidth + gap                 ? 3
                                                                        : 0;
    if (glyphs == 0)
        return;
    for (const auto& [month, top] : columns) {
        if (month < 1 || month > monthsInYear)
            continue;
        const std::string name = std::string(monthName(month)).substr(0, static_cast<size_t>(glyphs));
        const int x = static_cast<int>(std::lround(top->x)) - glyphWidth * static_cast<int>(name.size()) / 2;
        // Along the window's top edge, like a ruler: over the first row
        // they would hide the houses of a city only a row or two deep.
        const int y = height - lineHeight;
        if (x >= 0 && x + glyphWidth * static_cast<int>(name.size()) <= width)
            labels->push_back({name, x, y});
    }
}

}  // namespace

std::vector<OverviewLabel> overviewLabels(const std::vector<ScreenCrossing>& crossings, int width, int height)
{
    std::map<int, Row> rows;
    std::map<int, const ScreenCrossing*> columns;   // each month's crossing nearest the window's top
    for (const ScreenCrossing& c : crossings) {
        Row& row = rows[c.year];
        if (row.left == nullptr || c.x < row.left->x)
            row.left = &c;
        const ScreenCrossing*& top = columns[c.month];
        if (top == nullptr || c.y > top->y)
            top = &c;
    }
    std::vector<OverviewLabel> labels;
    if (crossings.empty())
        return labels;
    addYearLabels(rows, width, height, &labels);
    addMonthLabels(columns, width, height, &labels);
    return labels;
}
