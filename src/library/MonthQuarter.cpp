// Record of one quarter of a month of the photo library.
#include "library/MonthQuarter.h"

MonthQuarter::MonthQuarter(int year, int month, int quarter,
                           std::vector<TextureName> textures,
                           std::vector<std::string> originals,
                           std::vector<int> photoIndices)
    : textures(std::move(textures)), originals(std::move(originals)), photoIndices(std::move(photoIndices)),
      year(year), month(month), quarter(quarter)
{
}

// Where a picture's thumbnail was missing the two lists fall out of step;
// the recorded index still names the picture's own photo.
int MonthQuarter::getPhotoIndex(int picture) const
{
    if (picture < 0 || picture >= getPictureCount())
        return -1;
    const int photo = photoIndices.empty() ? picture : photoIndices.at(picture);
    return photo < static_cast<int>(originals.size()) ? photo : -1;
}
