// Every field is read through a bounds-checked helper: a short read is a
// header that cannot be read, never a read past what the file holds.
#include "photos/KindHeaders.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Bytes of a source read at an offset, each read checked.
class Bytes {
public:
    explicit Bytes(const ByteReader& read) : read(read) {}

    bool get(uint64_t offset, unsigned char* out, size_t size) const { return read(offset, out, size) == size; }
    bool little(uint64_t offset, int bytes, uint32_t* value) const
    {
        unsigned char b[4];
        if (!get(offset, b, bytes))
            return false;
        *value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            *value = *value << 8 | b[i];
        return true;
    }
    bool big(uint64_t offset, int bytes, uint32_t* value) const
    {
        unsigned char b[4];
        if (!get(offset, b, bytes))
            return false;
        *value = 0;
        for (int i = 0; i < bytes; ++i)
            *value = *value << 8 | b[i];
        return true;
    }

private:
    const ByteReader& read;
};

PhotoHeader sized(PhotoKind kind, uint32_t width, uint32_t height, int samples, int bytesPerSample)
{
    PhotoHeader header;
    header.kind = kind;
    header.sizeKnown = true;
    header.width = width;
    header.height = height;
    header.samples = samples;
    header.bytesPerSample = bytesPerSample;
    return header;
}

PhotoHeader unreadable(PhotoKind kind)
{
    PhotoHeader header;
    header.kind = kind;
    return header;
}

// Boxes looked at on one level: a file of millions of
// empty boxes would otherwise be read a box at a time to its end.
constexpr unsigned maxBoxes = 4096;

// How far the GIF's blocks are followed to the first image: extensions
// before it are small in any real file.
constexpr uint64_t maxGifSearchBytes = uint64_t(1) << 20;

// TIFF field types' sizes, by type number (SHORT 3, LONG 4).
uint32_t tiffValue(const Bytes& bytes, bool big, uint64_t entry)
{
    uint32_t type = 0, value = 0;
    const auto number = [&](uint64_t at, int size, uint32_t* out) {
        return big ? bytes.big(at, size, out) : bytes.little(at, size, out);
    };
    if (!number(entry + 2, 2, &type))
        return 0;
    if (type == 3 && number(entry + 8, 2, &value))
        return value;
    if (type == 4 && number(entry + 8, 4, &value))
        return value;
    return 0;
}

// An ISO media box: where its content starts and ends.
struct Box {
    char type[5] = {};
    uint64_t content = 0, end = 0;
};

// The box at offset within [offset, limit), or false.
bool readBox(const Bytes& bytes, uint64_t offset, uint64_t limit, Box* box)
{
    uint32_t size32 = 0;
    unsigned char type[4];
    if (offset + 8 > limit || !bytes.big(offset, 4, &size32) || !bytes.get(offset + 4, type, 4))
        return false;
    std::memcpy(box->type, type, 4);
    uint64_t size = size32;
    box->content = offset + 8;
    if (size32 == 1) {
        uint32_t high = 0, low = 0;
        if (!bytes.big(offset + 8, 4, &high) || !bytes.big(offset + 12, 4, &low))
            return false;
        size = uint64_t(high) << 32 | low;
        box->content = offset + 16;
    } else if (size32 == 0) {
        size = limit - offset;
    }
    if (size < box->content - offset || size > limit - offset)
        return false;
    box->end = offset + size;
    return true;
}

// The first child of type within [from, to), or false.
bool findBox(const Bytes& bytes, uint64_t from, uint64_t to, const char* type, Box* found)
{
    Box box;
    for (unsigned n = 0; n < maxBoxes && readBox(bytes, from, to, &box); ++n, from = box.end) {
        if (std::memcmp(box.type, type, 4) == 0) {
            *found = box;
            return true;
        }
        if (box.end == from)
            return false;
    }
    return false;
}

// What the HEIF's primary item says of itself: its spatial extent, the bits
// of its channels, and the size its HEVC stream codes, which libheif
// decodes whatever the extent says.
struct HeifItem {
    uint32_t width = 0, height = 0, bits = 8, codedWidth = 0, codedHeight = 0;
    bool extentKnown = false;
};

// A property table or an association table is read into memory once, at
// most this large: walked through the file, a table of millions of links
// took seconds.
constexpr uint64_t maxTableBytes = uint64_t(32) << 20;
// A phone's HEIC (a grid of 48 tiles, its thumbnail, depth and gain maps)
// links a few hundred properties in all.
constexpr uint64_t maxLinks = 65536;

bool readContent(const Bytes& bytes, const Box& box, std::vector<unsigned char>* content)
{
    if (box.end - box.content > maxTableBytes)
        return false;
    content->resize(box.end - box.content);
    return content->empty() || bytes.get(box.content, content->data(), content->size());
}

uint32_t bigAt(const std::vector<unsigned char>& data, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | data[at + i];
    return value;
}

// Bits of an HEVC parameter set, its emulation-prevention bytes removed.
class BitReader {
public:
    BitReader(const unsigned char* nal, size_t size)
    {
        int zeros = 0;
        for (size_t i = 2; i < size; ++i) {   // past the two-byte NAL header
            if (zeros >= 2 && nal[i] == 3) {
                zeros = 0;
                continue;
            }
            zeros = nal[i] == 0 ? zeros + 1 : 0;
            rbsp.push_back(nal[i]);
        }
    }
    uint32_t bit()
    {
        if (at >= rbsp.size() * 8) {
            ended = true;
            return 0;
        }
        const uint32_t value = rbsp[at / 8] >> (7 - at % 8) & 1;
        ++at;
        return value;
    }
    uint32_t read(int count)
    {
        uint32_t value = 0;
        while (count-- > 0)
            value = value << 1 | bit();
        return value;
    }
    uint32_t golomb()   // ue(v)
    {
        int zeros = 0;
        while (bit() == 0 && !ended && zeros < 31)
            ++zeros;
        return (uint32_t(1) << zeros) - 1 + read(zeros);
    }
    bool ended = false;

private:
    std::vector<unsigned char> rbsp;
    size_t at = 0;
};

// pic_width/height_in_luma_samples of an HEVC sequence parameter set.
bool spsSize(const unsigned char* nal, size_t size, HeifItem* item)
{
    BitReader bits(nal, size);
    bits.read(4);
    const uint32_t subLayers = bits.read(3);
    bits.read(1 + 88 + 8);   // the general profile, tier and level
    uint32_t present[8] = {};
    for (uint32_t i = 0; i < subLayers; ++i)
        present[i] = bits.read(2);
    if (subLayers > 0)
        bits.read(2 * (8 - subLayers));
    for (uint32_t i = 0; i < subLayers; ++i)
        bits.read((present[i] & 2 ? 88 : 0) + (present[i] & 1 ? 8 : 0));
    bits.golomb();
    if (bits.golomb() == 3)
        bits.read(1);
    item->codedWidth = bits.golomb();
    item->codedHeight = bits.golomb();
    return !bits.ended;
}

// The sequence parameter set among an hvcC's arrays of NAL units.
void readHevcConfig(const std::vector<unsigned char>& table, size_t from, size_t to, HeifItem* item)
{
    if (to < from + 23)
        return;
    const unsigned arrays = table[from + 22];
    size_t at = from + 23;
    for (unsigned a = 0; a < arrays && at + 3 <= to; ++a) {
        const unsigned type = table[at] & 0x3F, units = bigAt(table, at + 1, 2);
        at += 3;
        for (unsigned u = 0; u < units && at + 2 <= to; ++u) {
            const size_t length = bigAt(table, at, 2);
            if (at + 2 + length > to)
                return;
            if (type == 33 && spsSize(&table[at + 2], length, item))
                return;
            at += 2 + length;
        }
    }
}

// Where each property of ipco lies in its content, numbered from 1.
struct Property {
    char type[4];
    size_t content, end;
};

std::vector<Property> listProperties(const std::vector<unsigned char>& table)
{
    std::vector<Property> properties;
    for (size_t at = 0; properties.size() < maxBoxes && at + 8 <= table.size();) {
        const uint64_t size = bigAt(table, at, 4);
        if (size < 8 || size > table.size() - at)
            break;
        Property property;
        std::memcpy(property.type, &table[at + 4], 4);
        property.content = at + 8;
        property.end = at + size;
        properties.push_back(property);
        at += size;
    }
    return properties;
}

void applyProperty(const std::vector<unsigned char>& ipco, const Property& box, HeifItem* item)
{
    const size_t length = box.end - box.content;
    if (std::memcmp(box.type, "ispe", 4) == 0 && length >= 12) {
        item->width = bigAt(ipco, box.content + 4, 4);
        item->height = bigAt(ipco, box.content + 8, 4);
        item->extentKnown = true;
    } else if (std::memcmp(box.type, "pixi", 4) == 0 && length >= 6) {
        item->bits = ipco[box.content + 5];
    } else if (std::memcmp(box.type, "hvcC", 4) == 0) {
        readHevcConfig(ipco, box.content, box.end, item);
    }
}

// Walks ipma, in memory, for the item's associations; false when it is not
// there, or when the table links more properties than any photo does
// (libheif reads every link of every item, and took half a minute over
// 16 million). No more entries are read than the file has items.
bool readAssociations(const std::vector<unsigned char>& ipma, const std::vector<unsigned char>& ipco,
                      uint32_t items, uint32_t itemId, HeifItem* item)
{
    if (ipma.size() < 8)
        return false;
    const uint32_t versionFlags = bigAt(ipma, 0, 4), entries = bigAt(ipma, 4, 4);
    const int idBytes = (versionFlags >> 24) < 1 ? 2 : 4, indexBytes = (versionFlags & 1) ? 2 : 1;
    const std::vector<Property> properties = listProperties(ipco);
    size_t at = 8;
    uint64_t links = 0;
    bool found = false;
    for (uint32_t e = 0; e < entries && e < items && at + idBytes + 1 <= ipma.size(); ++e) {
        const uint32_t id = bigAt(ipma, at, idBytes), count = ipma[at + idBytes];
        at += idBytes + 1;
        links += count;
        if (at + uint64_t(count) * indexBytes > ipma.size() || links > maxLinks)
            return false;
        for (uint32_t a = 0; id == itemId && !found && a < count; ++a) {
            const uint32_t index = bigAt(ipma, at + a * indexBytes, indexBytes) & (indexBytes == 2 ? 0x7FFF : 0x7F);
            if (index >= 1 && index <= properties.size())
                applyProperty(ipco, properties[index - 1], item);
        }
        found = found || id == itemId;
        at += count * indexBytes;
    }
    return found;
}

}  // namespace

bool heifBrands(const unsigned char* ftyp, size_t size)
{
    static const char* const brands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avif", "avis"};
    // The major brand, the minor version, then compatible brands.
    for (size_t at = 0; at + 4 <= size; at += at == 0 ? 8 : 4)
        for (const char* brand : brands)
            if (std::memcmp(ftyp + at, brand, 4) == 0)
                return true;
    return false;
}

PhotoHeader readGifHeader(const ByteReader& read)
{
    const Bytes bytes(read);
    uint32_t width = 0, height = 0, flags = 0;
    if (!bytes.little(6, 2, &width) || !bytes.little(8, 2, &height) || !bytes.little(10, 1, &flags))
        return unreadable(PhotoKind::Gif);
    // A first frame reaching past the logical screen makes the decoder's
    // canvas larger: it is what the decode costs.
    uint64_t at = 13 + ((flags & 0x80) ? 3u << ((flags & 7) + 1) : 0);
    while (at < maxGifSearchBytes) {
        uint32_t block = 0, size = 0;
        if (!bytes.little(at, 1, &block))
            return unreadable(PhotoKind::Gif);
        if (block == 0x2C) {
            uint32_t left = 0, top = 0, frameWidth = 0, frameHeight = 0;
            if (!bytes.little(at + 1, 2, &left) || !bytes.little(at + 3, 2, &top) ||
                !bytes.little(at + 5, 2, &frameWidth) || !bytes.little(at + 7, 2, &frameHeight))
                return unreadable(PhotoKind::Gif);
            return sized(PhotoKind::Gif, std::max(width, left + frameWidth), std::max(height, top + frameHeight), 4, 1);
        }
        if (block != 0x21)
            return unreadable(PhotoKind::Gif);   // no image before the trailer or junk
        for (at += 2; bytes.little(at, 1, &size) && size != 0; at += size + 1) {
            if (at >= maxGifSearchBytes)
                return unreadable(PhotoKind::Gif);
        }
        at += 1;
    }
    return unreadable(PhotoKind::Gif);
}

PhotoHeader readTiffHeader(const ByteReader& read)
{
    const Bytes bytes(read);
    unsigned char order[2];
    if (!bytes.get(0, order, 2))
        return unreadable(PhotoKind::Tiff);
    const bool big = order[0] == 'M';
    const auto number = [&](uint64_t at, int size, uint32_t* out) {
        return big ? bytes.big(at, size, out) : bytes.little(at, size, out);
    };
    uint32_t directory = 0, entries = 0;
    if (!number(4, 4, &directory) || !number(directory, 2, &entries))
        return unreadable(PhotoKind::Tiff);
    uint32_t width = 0, height = 0, samples = 1, bits = 1;
    bool twoSizes = false;
    // libtiff keeps the first of a repeated tag: so does the gate, and a
    // second, different size is refused.
    const auto keepFirst = [&twoSizes](uint32_t* kept, uint32_t value) {
        twoSizes = twoSizes || (*kept != 0 && *kept != value);
        if (*kept == 0)
            *kept = value;
    };
    for (uint32_t i = 0; i < entries; ++i) {
        const uint64_t entry = uint64_t(directory) + 2 + 12 * i;
        uint32_t tag = 0, count = 0;
        if (!number(entry, 2, &tag) || !number(entry + 4, 4, &count))
            return unreadable(PhotoKind::Tiff);
        if (tag == 256)
            keepFirst(&width, tiffValue(bytes, big, entry));
        else if (tag == 257)
            keepFirst(&height, tiffValue(bytes, big, entry));
        else if (tag == 258 && count <= 2)
            bits = tiffValue(bytes, big, entry);
        else if (tag == 258)
            bits = 16;   // one value a sample, kept elsewhere: count the widest common depth
        else if (tag == 277)
            samples = tiffValue(bytes, big, entry);
    }
    if (width == 0 || height == 0 || samples == 0)
        return unreadable(PhotoKind::Tiff);
    // A palette or grey TIFF may come out of libvips as RGB: counted as three samples at least.
    PhotoHeader header = sized(PhotoKind::Tiff, width, height, std::max<uint32_t>(samples, 3), (bits + 7) / 8);
    header.twoSizes = twoSizes;
    return header;
}

PhotoHeader readHeifHeader(const ByteReader& read)
{
    const Bytes bytes(read);
    Box meta, pitm, iinf, iprp, ipco, ipma;
    uint32_t version = 0, primary = 0, items = 0;
    // Reads are bounded by the boxes' own sizes; the file's end makes a
    // box that claims more unreadable.
    if (!findBox(bytes, 0, UINT64_MAX >> 1, "meta", &meta) || !bytes.big(meta.content, 1, &version))
        return unreadable(PhotoKind::Heif);
    const uint64_t children = meta.content + 4;
    if (!findBox(bytes, children, meta.end, "pitm", &pitm) || !bytes.big(pitm.content, 1, &version) ||
        !bytes.big(pitm.content + 4, version == 0 ? 2 : 4, &primary) ||
        !findBox(bytes, children, meta.end, "iinf", &iinf) || !bytes.big(iinf.content, 1, &version) ||
        !bytes.big(iinf.content + 4, version == 0 ? 2 : 4, &items) ||
        !findBox(bytes, children, meta.end, "iprp", &iprp) ||
        !findBox(bytes, iprp.content, iprp.end, "ipco", &ipco) ||
        !findBox(bytes, iprp.content, iprp.end, "ipma", &ipma))
        return unreadable(PhotoKind::Heif);
    std::vector<unsigned char> properties, associations;
    HeifItem item;
    if (!readContent(bytes, ipco, &properties) || !readContent(bytes, ipma, &associations) ||
        !readAssociations(associations, properties, items, primary, &item) || !item.extentKnown)
        return unreadable(PhotoKind::Heif);
    // An HEVC picture is coded in blocks of up to 64 and cropped to the
    // extent; anything larger is a second, hidden size.
    const bool hidden = item.codedWidth > uint64_t(item.width) + 64 || item.codedHeight > uint64_t(item.height) + 64;
    // libheif's own files give the extent of the upright image: it is the
    // size libvips reports, whatever the irot says.
    PhotoHeader header = sized(PhotoKind::Heif, item.width, item.height, 4, item.bits > 8 ? 2 : 1);
    header.twoSizes = hidden;
    return header;
}

PhotoHeader readWebpHeader(const ByteReader& read)
{
    const Bytes bytes(read);
    unsigned char chunk[4];
    uint32_t a = 0, b = 0;
    if (!bytes.get(12, chunk, 4))
        return unreadable(PhotoKind::Webp);
    if (std::memcmp(chunk, "VP8X", 4) == 0 && bytes.little(20, 1, &a) && bytes.little(24, 3, &b)) {
        uint32_t height = 0;
        if (!bytes.little(27, 3, &height))
            return unreadable(PhotoKind::Webp);
        return sized(PhotoKind::Webp, b + 1, height + 1, (a & 0x10) ? 4 : 3, 1);
    }
    if (std::memcmp(chunk, "VP8L", 4) == 0 && bytes.little(20, 1, &a) && a == 0x2F && bytes.little(21, 4, &b))
        return sized(PhotoKind::Webp, (b & 0x3FFF) + 1, ((b >> 14) & 0x3FFF) + 1, 4, 1);
    unsigned char start[3];
    if (std::memcmp(chunk, "VP8 ", 4) == 0 && bytes.get(23, start, 3) && std::memcmp(start, "\x9D\x01\x2A", 3) == 0 &&
        bytes.little(26, 2, &a) && bytes.little(28, 2, &b))
        return sized(PhotoKind::Webp, a & 0x3FFF, b & 0x3FFF, 3, 1);
    return unreadable(PhotoKind::Webp);
}
