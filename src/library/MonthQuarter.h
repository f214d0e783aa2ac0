// One quarter of one month of the photo library: the textures of its
// pictures and the paths of their originals. Records are made once by the
// library loader and live until the program ends.
#pragma once

#include <string>
#include <vector>

#include "textures/TextureName.h"

class MonthQuarter {
public:
    // Takes over both lists.
    MonthQuarter(int year, int month, int quarter,
                 std::vector<TextureName>* textures,
                 std::vector<std::string>* originals);
    ~MonthQuarter();
    MonthQuarter(const MonthQuarter&) = delete;
    MonthQuarter& operator=(const MonthQuarter&) = delete;

    const std::vector<TextureName>& getTextures() const { return *textures; }
    const std::vector<std::string>& getOriginals() const { return *originals; }
    int getYear() const { return year; }
    int getMonth() const { return month; }
    int getQuarter() const { return quarter; }
    int getPictureCount() const { return static_cast<int>(textures->size()); }

private:
    std::vector<TextureName>* textures;
    std::vector<std::string>* originals;
    int year;
    int month;
    int quarter;
};
