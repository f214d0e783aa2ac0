// The library file Zandervale.xml as every tool writes it, and the limits
// the viewer reads it with: the one writer of the format.
#pragma once

#include <string>
#include <vector>

constexpr const char* libraryFileName = "Zandervale.xml";
// Where the indexer writes when told no other folder, and where the viewer
// looks without one: $XDG_DATA_HOME/zandervale/library, else
// ~/.local/share/zandervale/library; "" without either to go by.
std::string defaultLibraryFolder();
// Most textures one quarter (one house) may hold.
constexpr int MaxTexturesPerQuarter = 250;

// The years the city shows. The root element may name them with fromYear
// and toYear; without them the city shows 1998 to 2010.
struct YearSpan {
    int first = 1998;
    int last = 2010;
};
constexpr int earliestSpanYear = 1900;
constexpr int latestSpanYear = 2099;
constexpr int mostSpanYears = 60;   // counting both ends

// One picture of a library: its quarter, its thumbnail and its photo.
struct LibraryPicture {
    int year, month, quarter;
    std::string texture, originalPicture;
};

// The library text for pictures given in year, month, quarter order: each
// year, month and quarter opened once, levels indented by indent, the root
// naming span where one is given. False when libxml2 cannot write it.
bool formatLibraryFile(const std::vector<LibraryPicture>& pictures, const YearSpan* span, const char* indent,
                       std::string* xml);
// The same text written to path.
bool writeLibraryFile(const std::string& path, const std::vector<LibraryPicture>& pictures, const YearSpan* span,
                      const char* indent);
