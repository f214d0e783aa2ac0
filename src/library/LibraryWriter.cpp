// Writes the library with libxml2's text writer, which escapes what XML needs.
#include "library/LibraryWriter.h"

#include <libxml/xmlwriter.h>

#include <cstdio>
#include <cstdlib>

namespace {

const xmlChar* text(const char* value) { return reinterpret_cast<const xmlChar*>(value); }

// Closes the levels the picture does not share with the last one, then opens
// its own year, month and quarter.
bool enter(xmlTextWriterPtr writer, const int picture[3], int values[3], int* open)
{
    static const char* const names[3] = {"year", "month", "quarter"};
    int same = 0;
    while (same < *open && values[same] == picture[same])
        ++same;
    bool ok = true;
    for (; *open > same; --*open)
        ok = ok && xmlTextWriterEndElement(writer) >= 0;
    for (; *open < 3; ++*open) {
        values[*open] = picture[*open];
        ok = ok && xmlTextWriterStartElement(writer, text(names[*open])) >= 0 &&
             xmlTextWriterWriteFormatAttribute(writer, text("val"), "%d", picture[*open]) >= 0;
    }
    return ok;
}

}  // namespace

bool formatLibraryFile(const std::vector<LibraryPicture>& pictures, const YearSpan* span, const char* indent,
                       std::string* xml)
{
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlTextWriterPtr writer = buffer ? xmlNewTextWriterMemory(buffer, 0) : nullptr;
    bool ok = writer && xmlTextWriterSetIndent(writer, 1) >= 0 &&
              xmlTextWriterSetIndentString(writer, text(indent)) >= 0 &&
              xmlTextWriterStartDocument(writer, nullptr, "UTF-8", nullptr) >= 0 &&
              xmlTextWriterStartElement(writer, text("Zandervale")) >= 0;
    if (ok && span)
        ok = xmlTextWriterWriteFormatAttribute(writer, text("fromYear"), "%d", span->first) >= 0 &&
             xmlTextWriterWriteFormatAttribute(writer, text("toYear"), "%d", span->last) >= 0;
    int values[3] = {0, 0, 0}, open = 0;
    for (size_t i = 0; ok && i < pictures.size(); ++i) {
        const LibraryPicture& picture = pictures[i];
        const int levels[3] = {picture.year, picture.month, picture.quarter};
        ok = enter(writer, levels, values, &open) && xmlTextWriterStartElement(writer, text("picture")) >= 0 &&
             xmlTextWriterWriteElement(writer, text("texture"), text(picture.texture.c_str())) >= 0 &&
             xmlTextWriterWriteElement(writer, text("originalPicture"), text(picture.originalPicture.c_str())) >= 0 &&
             xmlTextWriterEndElement(writer) >= 0;
    }
    ok = ok && xmlTextWriterEndDocument(writer) >= 0;   // closes the open levels and the root
    if (writer)
        xmlFreeTextWriter(writer);   // flushes into the buffer
    if (ok && buffer)
        xml->assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)), xmlBufferLength(buffer));
    if (buffer)
        xmlBufferFree(buffer);
    return ok && buffer;
}

bool writeLibraryFile(const std::string& path, const std::vector<LibraryPicture>& pictures, const YearSpan* span,
                      const char* indent)
{
    std::string xml;
    FILE* file = formatLibraryFile(pictures, span, indent, &xml) ? std::fopen(path.c_str(), "w") : nullptr;
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(xml.data(), 1, xml.size(), file) == xml.size();
    return std::fclose(file) == 0 && written;
}

std::string defaultLibraryFolder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/')
        return std::string(data) + "/zandervale/library";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.local/share/zandervale/library";
    return "";
}
