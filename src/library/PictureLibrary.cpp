// Library loader: walks Zandervale.xml year > month > quarter > picture and
// turns every quarter with a usable texture into a MonthQuarter record.
#include "library/PictureLibrary.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cctype>
#include <chrono>
#include <memory>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "textures/ReadableFile.h"
#include "textures/ThumbnailCacheSet.h"
#include "textures/Textures.h"

namespace {

// Releases what libxml2 hands out, however the caller leaves its scope.
struct XmlText {
    xmlChar* text;
    explicit XmlText(xmlChar* text) : text(text) {}
    ~XmlText() { xmlFree(text); }
    XmlText(const XmlText&) = delete;
    XmlText& operator=(const XmlText&) = delete;
    const char* get() const { return text ? reinterpret_cast<const char*>(text) : ""; }
};

// An element's whole text as xmlNodeGetContent gives it, without its copy
// where the element holds one plain text node: the reader asks for every
// picture's texture and original path.
class ElementText {
public:
    explicit ElementText(xmlNode* element)
    {
        const xmlNode* only = element->children;
        if (only != nullptr && only->next == nullptr && only->type == XML_TEXT_NODE && only->content != nullptr)
            text = reinterpret_cast<const char*>(only->content);
        else
            text = (copy = xmlNodeGetContent(element)) != nullptr ? reinterpret_cast<const char*>(copy) : "";
    }
    ~ElementText() { xmlFree(copy); }
    ElementText(const ElementText&) = delete;
    ElementText& operator=(const ElementText&) = delete;
    const char* get() const { return text; }

private:
    xmlChar* copy = nullptr;
    const char* text;
};

bool hasName(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE &&
           xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

// Reads like atoi (leading white space, a sign, digits up to the first other
// character), but saturates where atoi's overflow would wrap: a year of
// 4294969301 must not come out as 2005.
int parseVal(const char* text)
{
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// The "val" of an element, or false for nodes that carry none (text,
// comments, elements without it), which are skipped with their content.
bool readVal(xmlNode* node, int* value)
{
    if (node->type != XML_ELEMENT_NODE)
        return false;
    XmlText val(xmlGetProp(node, reinterpret_cast<const xmlChar*>("val")));
    if (!val.text)
        return false;
    *value = parseVal(val.get());
    return true;
}

// The library's own paths use backslashes, the platform's use slashes:
// either ends the directory. No separator at all means the current one.
std::string directoryPrefix(const char* path)
{
    std::string text(path);
    std::string::size_type last = text.find_last_of("/\\");
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

// Counts the texture elements as they are read and tells progress: 0 at
// once, then whenever the interval has passed since the last telling, and
// the total at the end unless that was just told. Remembers a stop.
class ProgressCounter {
public:
    ProgressCounter(const LoadProgress& progress, const SecondsClock& clock, int total)
        : progress(progress), clock(clock), total(total)
    {
        if (progress)
            tell(clock());
    }
    void step()
    {
        ++done;
        if (!progress)
            return;
        const double now = clock();
        if (now - lastTold >= progressIntervalSeconds)
            tell(now);
    }
    void finish()
    {
        if (progress && told != done && !stop)
            tell(lastTold);
    }
    bool stopped() const { return stop; }

private:
    void tell(double now)
    {
        lastTold = now;
        told = done;
        stop = !progress(done, total);
    }

    const LoadProgress& progress;
    const SecondsClock& clock;
    const int total;
    int done = 0;
    int told = 0;
    double lastTold = 0.0;
    bool stop = false;
};

struct QuarterReader {
    const std::string& prefix;
    const TextureSource& source;
    ProgressCounter* progress;
    // Handed over to the quarter's record, if it gets one.
    std::vector<TextureName> textures{};
    std::vector<std::string> originals{};
    std::vector<int> photoIndices{};   // per texture: its picture's photo in originals

    // The existence test comes before the limit test, so a missing file is
    // reported even in a quarter that is already full.
    void readTexture(const char* name)
    {
        std::string file = prefix + name;
        if (source.check(file.c_str()) != FileCheck::Readable) {
            std::printf("Discarded an image: %s\n", file.c_str());
            return;
        }
        if (static_cast<int>(textures.size()) < MaxTexturesPerQuarter)
            textures.push_back(source.load(file.c_str()));
    }

    void readPicture(xmlNode* picture)
    {
        const size_t firstPhoto = originals.size();
        for (xmlNode* child = picture->children; child; child = child->next) {
            bool isTexture = hasName(child, "texture");
            if (!isTexture && !hasName(child, "originalPicture"))
                continue;
            ElementText content(child);
            if (isTexture) {
                readTexture(content.get());
                progress->step();
            } else {
                originals.push_back(content.get());
            }
        }
        // A missing thumbnail puts the two lists out of step; each texture
        // keeps its own picture's (first) photo, whichever element came first.
        const int photo = originals.size() > firstPhoto ? static_cast<int>(firstPhoto) : -1;
        photoIndices.resize(textures.size(), photo);
    }
};

void readQuarter(xmlNode* quarter, int year, int month, int quarterVal,
                 const std::string& prefix, const TextureSource& source,
                 ProgressCounter* progress, std::vector<MonthQuarter*>* library)
{
    QuarterReader reader{prefix, source, progress};
    for (xmlNode* picture = quarter->children; picture && !progress->stopped(); picture = picture->next)
        reader.readPicture(picture);
    if (reader.textures.empty())
        return;
    library->push_back(new MonthQuarter(year, month, quarterVal, std::move(reader.textures),
                                        std::move(reader.originals), std::move(reader.photoIndices)));
}

// An attribute's text made safe for a one-line message: control bytes and
// anything past ASCII become '?', and a long text is cut.
std::string quoted(const std::string& text)
{
    constexpr size_t longest = 20;
    std::string shown;
    for (char c : text.substr(0, longest))
        shown += c >= ' ' && c < 127 ? c : '?';
    return "\"" + shown + (text.size() > longest ? "...\"" : "\"");
}

// A year is digits only: no sign, no white space, nothing after them.
// Long numbers saturate; the range test rejects them all the same.
bool parseYear(const std::string& text, int* year)
{
    if (text.empty())
        return false;
    long long value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value < INT_MAX ? value * 10 + (c - '0') : value;
    }
    *year = value > INT_MAX ? INT_MAX : static_cast<int>(value);
    return true;
}

// Why the text of attribute name is not a year the city can show, or an
// empty string when it is one (then set in year).
std::string checkYear(const char* name, const std::string& text, int* year)
{
    if (!parseYear(text, year))
        return std::string(name) + " " + quoted(text) + " is not a year";
    if (*year < earliestSpanYear)
        return std::string(name) + " " + quoted(text) + " is before " + std::to_string(earliestSpanYear);
    if (*year > latestSpanYear)
        return std::string(name) + " " + quoted(text) + " is after " + std::to_string(latestSpanYear);
    return std::string();
}

// Why the root's fromYear and toYear make no span, or an empty string when
// they make one (then set in span). Without either attribute span stays.
std::string readYearSpan(xmlNode* root, YearSpan* span)
{
    XmlText from(xmlGetProp(root, reinterpret_cast<const xmlChar*>("fromYear")));
    XmlText to(xmlGetProp(root, reinterpret_cast<const xmlChar*>("toYear")));
    if (!from.text && !to.text)
        return std::string();
    if (!to.text)
        return "toYear is missing";
    if (!from.text)
        return "fromYear is missing";
    int first = 0, last = 0;
    std::string reason = checkYear("fromYear", from.get(), &first);
    if (reason.empty())
        reason = checkYear("toYear", to.get(), &last);
    if (!reason.empty())
        return reason;
    if (first > last)
        return "fromYear " + std::to_string(first) + " is after toYear " + std::to_string(last);
    if (last - first + 1 > mostSpanYears)
        return std::to_string(first) + " to " + std::to_string(last) + " is " +
               std::to_string(last - first + 1) + " years, more than " + std::to_string(mostSpanYears);
    span->first = first;
    span->last = last;
    return std::string();
}

// Calls visit(element, year, month, quarter) for every quarter element the
// reading rules reach, in document order.
template <typename Visit>
void forEachQuarter(xmlNode* root, Visit visit)
{
    int year = 0, month = 0, quarter = 0;
    for (xmlNode* y = root->children; y; y = y->next) {
        if (!readVal(y, &year))
            continue;
        for (xmlNode* m = y->children; m; m = m->next) {
            if (!readVal(m, &month))
                continue;
            for (xmlNode* q = m->children; q; q = q->next) {
                if (readVal(q, &quarter))
                    visit(q, year, month, quarter);
            }
        }
    }
}

// Calls visit(content) for every texture element the reader will step
// through, in document order, with whether it is still under a quarter's
// limit when every file before it loads.
template <typename Visit>
void forEachTexture(xmlNode* root, Visit visit)
{
    forEachQuarter(root, [&visit](xmlNode* quarter, int, int, int) {
        int inQuarter = 0;
        for (xmlNode* picture = quarter->children; picture; picture = picture->next) {
            for (xmlNode* child = picture->children; child; child = child->next) {
                if (hasName(child, "texture"))
                    visit(child, inQuarter++ < MaxTexturesPerQuarter);
            }
        }
    });
}

// The texture elements the reader will step through: the whole of a
// progress bar.
int countTextures(xmlNode* root)
{
    int count = 0;
    forEachTexture(root, [&count](xmlNode*, bool) { ++count; });
    return count;
}

std::vector<PlannedFile> planTextures(xmlNode* root, const std::string& prefix)
{
    std::vector<PlannedFile> plan;
    forEachTexture(root, [&](xmlNode* texture, bool wanted) {
        ElementText content(texture);
        plan.push_back({prefix + content.get(), wanted});
    });
    return plan;
}

}  // namespace

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

LibraryError readPictureLibrary(const char* path, std::vector<MonthQuarter*>* library,
                                TextureLoader loadTextureFile, YearSpan* span,
                                const LoadProgress& progress, const SecondsClock& clock)
{
    const TextureSource source{{}, checkReadableFile, loadTextureFile};
    return readPictureLibrary(path, library, source, span, progress, clock);
}

LibraryError readPictureLibrary(const char* path, std::vector<MonthQuarter*>* library,
                                const TextureSource& source, YearSpan* span,
                                const LoadProgress& progress, const SecondsClock& clock)
{
    // No network and no external entities: the library is a local file, and
    // a path or DTD naming a URL must not reach out.
    // Compact keeps short texts inside their nodes: fewer allocations for a
    // library of 100,000 pictures, the same tree.
    xmlDoc* document = xmlReadFile(path, nullptr, XML_PARSE_NONET | XML_PARSE_COMPACT);
    if (!document)
        return LibraryError::noLibraryFile;
    xmlNode* root = xmlDocGetRootElement(document);
    if (!root || !hasName(root, "Zandervale")) {
        xmlFreeDoc(document);
        return LibraryError::notZandervale;
    }
    *span = YearSpan();
    const std::string spanProblem = readYearSpan(root, span);
    if (!spanProblem.empty())
        std::printf("Ignoring the year span: %s\n", spanProblem.c_str());
    const std::string prefix = directoryPrefix(path);
    int total = 0;
    if (source.plan) {
        std::vector<PlannedFile> plan = planTextures(root, prefix);
        total = static_cast<int>(plan.size());   // the same walk counts them
        source.plan(std::move(plan));
    } else if (progress) {
        total = countTextures(root);
    }
    ProgressCounter counter(progress, clock, total);
    forEachQuarter(root, [&](xmlNode* quarter, int year, int month, int quarterVal) {
        if (!counter.stopped())
            readQuarter(quarter, year, month, quarterVal, prefix, source, &counter, library);
    });
    counter.finish();
    xmlFreeDoc(document);
    return counter.stopped() ? LibraryError::stopped : LibraryError::none;
}

std::string libraryErrorLine(LibraryError error, const char* path)
{
    switch (error) {
    case LibraryError::none:
    case LibraryError::stopped:
        break;
    case LibraryError::noLibraryFile:
        return "### ERROR: There was no xml photo library file at " + std::string(path) + "\n";
    case LibraryError::notZandervale:
        return "### ERROR: The XML document in " + std::string(path) +
               " is empty or not an Zandervale XML file. Please specify the correct "
               "Zandervale.xml file\n";
    }
    return std::string();
}

namespace {

// Decoded thumbnails waiting to be uploaded: some 7 KB each as DXT1 blocks,
// 50 KB as texels.
constexpr int thumbnailsAhead = 256;

bool readOrSayWhy(const char* path, std::vector<MonthQuarter*>* library, YearSpan* span,
                  const TextureSource& source, const LoadProgress& progress)
{
    const LibraryError error = readPictureLibrary(path, library, source, span, progress);
    std::fputs(libraryErrorLine(error, path).c_str(), stdout);
    return error == LibraryError::none;
}

}  // namespace

bool loadPictureLibrary(const char* path, std::vector<MonthQuarter*>* library, YearSpan* span,
                        TextureLoader loadTextureFile)
{
    return readOrSayWhy(path, library, span, TextureSource{{}, checkReadableFile, loadTextureFile}, {});
}

bool loadPictureLibrary(const char* path, std::vector<MonthQuarter*>* library, YearSpan* span, PhotoAtlas& photos,
                        ThumbnailCacheSet& caches, const LoadProgress& progress)
{
    std::unique_ptr<ThumbnailQueue> queue;
    // Kept by the set: it may still be writing in the background.
    const std::shared_ptr<ThumbnailCache> cache =
        compressesThumbnails() ? caches.open(thumbnailCacheFolder(), path) : nullptr;
    const TextureSource source{
        [&queue, &photos, cache](std::vector<PlannedFile> plan) {
            queue = std::make_unique<ThumbnailQueue>(photos, std::move(plan), ThumbnailQueue::workersForThisMachine(),
                                                     thumbnailsAhead, cache != nullptr, cache);
        },
        [&queue](const char* file) { return queue->check(file); },
        [&queue](const char* file) { return queue->load(file); }};
    const bool read = readOrSayWhy(path, library, span, source, progress);
    queue.reset();
    // A stopped reading leaves the cache as it was: what it did not reach
    // would be missing from the new one.
    if (cache != nullptr && read)
        cache->finish();
    return read;
}
