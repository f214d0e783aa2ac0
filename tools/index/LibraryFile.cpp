// Writes the library with libxml2's text writer, which escapes what XML
// needs; photos sorted by date open each year, month and quarter once.
#include "LibraryFile.h"

#include <libxml/xmlwriter.h>

#include <algorithm>
#include <tuple>

namespace photoindex {

const char* const libraryFileName = "Zandervale.xml";

namespace {

const xmlChar* text(const char* value) { return reinterpret_cast<const xmlChar*>(value); }

// Opens a year, month or quarter element when the photo is the first of it.
struct Levels {
    xmlTextWriterPtr writer;
    int open = 0;   // how many of year, month, quarter are open now
    int values[3] = {0, 0, 0};

    bool enter(const int photo[3])
    {
        static const char* const names[3] = {"year", "month", "quarter"};
        int same = 0;
        while (same < open && values[same] == photo[same])
            ++same;
        bool ok = true;
        for (; open > same; --open)
            ok = ok && xmlTextWriterEndElement(writer) >= 0;
        for (; open < 3; ++open) {
            values[open] = photo[open];
            ok = ok && xmlTextWriterStartElement(writer, text(names[open])) >= 0 &&
                 xmlTextWriterWriteFormatAttribute(writer, text("val"), "%d", photo[open]) >= 0;
        }
        return ok;
    }
};

}  // namespace

YearSpan spanOf(const std::vector<int>& years)
{
    YearSpan span;
    if (years.empty())
        return span;
    span.toYear = *std::max_element(years.begin(), years.end());
    span.fromYear = std::max(*std::min_element(years.begin(), years.end()), span.toYear - maxShownYears + 1);
    span.leftOut = static_cast<size_t>(std::count_if(years.begin(), years.end(),
                                                     [&](int year) { return year < span.fromYear; }));
    return span;
}

bool formatLibrary(std::vector<const IndexEntry*> entries, const YearSpan& span, std::string* xml,
                   std::vector<CrowdedQuarter>* crowded)
{
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const IndexEntry* e) { return e->date.year < span.fromYear; }),
                  entries.end());
    std::sort(entries.begin(), entries.end(), [](const IndexEntry* a, const IndexEntry* b) {
        return std::tie(a->date, a->path) < std::tie(b->date, b->path);
    });
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlTextWriterPtr writer = buffer ? xmlNewTextWriterMemory(buffer, 0) : nullptr;
    bool ok = writer && xmlTextWriterSetIndent(writer, 1) >= 0 &&
              xmlTextWriterStartDocument(writer, nullptr, "UTF-8", nullptr) >= 0 &&
              xmlTextWriterStartElement(writer, text("Zandervale")) >= 0;
    if (ok && !entries.empty())
        ok = xmlTextWriterWriteFormatAttribute(writer, text("fromYear"), "%d", span.fromYear) >= 0 &&
             xmlTextWriterWriteFormatAttribute(writer, text("toYear"), "%d", span.toYear) >= 0;
    Levels levels{writer};
    size_t inQuarter = 0;
    for (const IndexEntry* entry : entries) {
        if (!ok)
            break;
        const int photo[3] = {entry->date.year, entry->date.month, quarterOfMonth(entry->date.day)};
        const bool newQuarter = levels.open < 3 || !std::equal(photo, photo + 3, levels.values);
        inQuarter = newQuarter ? 1 : inQuarter + 1;
        if (inQuarter == maxBoxesPerQuarter + 1)
            crowded->push_back({photo[0], photo[1], photo[2], 0});
        if (inQuarter > maxBoxesPerQuarter)
            crowded->back().photos = inQuarter;
        ok = levels.enter(photo) && xmlTextWriterStartElement(writer, text("picture")) >= 0 &&
             xmlTextWriterWriteElement(writer, text("texture"), text(entry->thumbnail.c_str())) >= 0 &&
             xmlTextWriterWriteElement(writer, text("originalPicture"), text(entry->path.c_str())) >= 0 &&
             xmlTextWriterEndElement(writer) >= 0;
    }
    ok = ok && xmlTextWriterEndDocument(writer) >= 0;
    if (writer)
        xmlFreeTextWriter(writer);   // flushes into the buffer
    if (ok && buffer)
        xml->assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)), xmlBufferLength(buffer));
    if (buffer)
        xmlBufferFree(buffer);
    return ok && buffer;
}

}  // namespace photoindex
