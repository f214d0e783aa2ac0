// MonthQuarter: a library record, one quarter of one month of the photo
// library: the textures of its pictures and the paths of their originals. The library loader makes the
// records; whoever holds the library owns them, and a record its lists.
#pragma once

#include <string>
#include <vector>

#include "textures/TextureName.h"

class MonthQuarter {
public:
    // photoIndices holds, for each texture, the index in originals of its
    // own picture's photo (-1: the picture lists none); empty, texture i
    // belongs to photo i.
    MonthQuarter(int year, int month, int quarter,
                 std::vector<TextureName> textures,
                 std::vector<std::string> originals,
                 std::vector<int> photoIndices = {});
    MonthQuarter(const MonthQuarter&) = delete;
    MonthQuarter& operator=(const MonthQuarter&) = delete;

    const std::vector<TextureName>& getTextures() const { return textures; }
    const std::vector<std::string>& getOriginals() const { return originals; }
    int getYear() const { return year; }
    int getMonth() const { return month; }
    int getQuarter() const { return quarter; }
    int getPictureCount() const { return static_cast<int>(textures.size()); }
    // The index in getOriginals() of the photo of the picture shown by
    // texture picture, or -1 when there is none.
    int getPhotoIndex(int picture) const;

private:
    std::vector<TextureName> textures;
    std::vector<std::string> originals;
    std::vector<int> photoIndices;
    int year;
    int month;
    int quarter;
};
