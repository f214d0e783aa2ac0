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

// Boxes looked at on one level, and ipma entries: a file of millions of
// empty boxes would otherwise be read a box at a time to its end.
constexpr unsigned maxBoxes = 4096, maxAssociatedItems = 65536;

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

// What the HEIF's primary item says of itself: its spatial extent, its
// rotation (which libheif applies) and the bits of its channels.
struct HeifItem {
    uint32_t width = 0, height = 0, bits = 8;
    bool extentKnown = false, quarterTurn = false;
};

// Applies the property numbered index (1-based) in ipco to item.
void applyProperty(const Bytes& bytes, const Box& ipco, unsigned index, HeifItem* item)
{
    Box box;
    uint64_t at = ipco.content;
    for (unsigned i = 1; i <= maxBoxes && readBox(bytes, at, ipco.end, &box); ++i, at = box.end) {
        if (i != index)
            continue;
        uint32_t value = 0;
        if (std::memcmp(box.type, "ispe", 4) == 0 && bytes.big(box.content + 4, 4, &item->width) &&
            bytes.big(box.content + 8, 4, &item->height))
            item->extentKnown = true;
        else if (std::memcmp(box.type, "irot", 4) == 0 && bytes.big(box.content, 1, &value))
            item->quarterTurn = (value & 1) != 0;
        else if (std::memcmp(box.type, "pixi", 4) == 0 && bytes.big(box.content + 5, 1, &value))
            item->bits = value;
        return;
    }
}

// Walks ipma for the item's associations; false when it is not there.
bool readAssociations(const Bytes& bytes, const Box& ipma, const Box& ipco, uint32_t itemId, HeifItem* item)
{
    uint32_t versionFlags = 0, entries = 0;
    if (!bytes.big(ipma.content, 4, &versionFlags) || !bytes.big(ipma.content + 4, 4, &entries))
        return false;
    const int idBytes = (versionFlags >> 24) < 1 ? 2 : 4, indexBytes = (versionFlags & 1) ? 2 : 1;
    uint64_t at = ipma.content + 8;
    for (uint32_t e = 0; e < entries && e < maxAssociatedItems && at < ipma.end; ++e) {
        uint32_t id = 0, count = 0;
        if (!bytes.big(at, idBytes, &id) || !bytes.big(at + idBytes, 1, &count))
            return false;
        at += idBytes + 1;
        for (uint32_t a = 0; a < count; ++a, at += indexBytes) {
            uint32_t index = 0;
            if (at + indexBytes > ipma.end || !bytes.big(at, indexBytes, &index))
                return false;
            if (id == itemId)
                applyProperty(bytes, ipco, index & (indexBytes == 2 ? 0x7FFF : 0x7F), item);
        }
        if (id == itemId)
            return true;
    }
    return false;
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
    for (uint32_t i = 0; i < entries; ++i) {
        const uint64_t entry = uint64_t(directory) + 2 + 12 * i;
        uint32_t tag = 0, count = 0;
        if (!number(entry, 2, &tag) || !number(entry + 4, 4, &count))
            return unreadable(PhotoKind::Tiff);
        if (tag == 256)
            width = tiffValue(bytes, big, entry);
        else if (tag == 257)
            height = tiffValue(bytes, big, entry);
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
    return sized(PhotoKind::Tiff, width, height, std::max<uint32_t>(samples, 3), (bits + 7) / 8);
}

PhotoHeader readHeifHeader(const ByteReader& read)
{
    const Bytes bytes(read);
    Box meta, pitm, iprp, ipco, ipma;
    uint32_t version = 0, primary = 0;
    // Reads are bounded by the boxes' own sizes; the file's end makes a
    // box that claims more unreadable.
    if (!findBox(bytes, 0, UINT64_MAX >> 1, "meta", &meta) || !bytes.big(meta.content, 1, &version))
        return unreadable(PhotoKind::Heif);
    const uint64_t children = meta.content + 4;
    if (!findBox(bytes, children, meta.end, "pitm", &pitm) || !bytes.big(pitm.content, 1, &version) ||
        !bytes.big(pitm.content + 4, version == 0 ? 2 : 4, &primary) ||
        !findBox(bytes, children, meta.end, "iprp", &iprp) ||
        !findBox(bytes, iprp.content, iprp.end, "ipco", &ipco) ||
        !findBox(bytes, iprp.content, iprp.end, "ipma", &ipma))
        return unreadable(PhotoKind::Heif);
    HeifItem item;
    if (!readAssociations(bytes, ipma, ipco, primary, &item) || !item.extentKnown)
        return unreadable(PhotoKind::Heif);
    // libheif turns the image by its irot before libvips sees it: the
    // decoded size is the upright one.
    if (item.quarterTurn)
        std::swap(item.width, item.height);
    return sized(PhotoKind::Heif, item.width, item.height, 4, item.bits > 8 ? 2 : 1);
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
