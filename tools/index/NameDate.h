// The date a camera, phone or messenger wrote into a file's name, for photos
// whose EXIF holds no usable one: it comes before the file time, which is
// only the day the file was copied.
#pragma once

#include <string>

#include "PhotoDate.h"

namespace photoindex {

// The local date in name (a file name without its folder), or false when
// no known pattern matches, its digits are no real date, or the date lies
// before 1900 or after now. Pixel phones name their photos in UTC: those
// are turned into local time.
bool dateFromName(const std::string& name, const LocalDate& now, LocalDate* date);

}  // namespace photoindex
