// Record of one quarter of a month of the photo library.
#include "library/MonthQuarter.h"

MonthQuarter::MonthQuarter(int year, int month, int quarter,
                           std::vector<TextureName>* textures,
                           std::vector<std::string>* originals)
    : textures(textures), originals(originals), year(year), month(month), quarter(quarter)
{
}

MonthQuarter::~MonthQuarter()
{
    delete textures;
    delete originals;
}
