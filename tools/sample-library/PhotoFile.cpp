// Camera-style JPEG files for the sample photo folder.
#include "PhotoFile.h"

#include <jpeglib.h>
#include <libexif/exif-data.h>

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace sample {
namespace {

const ExifByteOrder byteOrder = EXIF_BYTE_ORDER_INTEL;

// A new entry of `tag` in `ifd`, initialised by libexif to the tag's format;
// the content keeps it alive.
ExifEntry* addEntry(ExifData* exif, ExifIfd ifd, ExifTag tag)
{
    ExifEntry* entry = exif_entry_new();
    exif_content_add_entry(exif->ifd[ifd], entry);
    exif_entry_initialize(entry, tag);
    exif_entry_unref(entry);
    return entry;
}

// The APP1 payload ("Exif\0\0" and the TIFF structure); empty on failure.
std::vector<unsigned char> exifBlock(int orientation, const std::string& dateTime, int width, int height)
{
    std::vector<unsigned char> block;
    ExifData* exif = exif_data_new();
    if (!exif)
        return block;
    exif_data_set_byte_order(exif, byteOrder);
    exif_data_set_data_type(exif, EXIF_DATA_TYPE_COMPRESSED);
    exif_set_short(addEntry(exif, EXIF_IFD_0, EXIF_TAG_ORIENTATION)->data, byteOrder, ExifShort(orientation));
    // libexif initialises a date entry to the current time: all three are overwritten.
    for (const auto& [ifd, tag] : {std::pair{EXIF_IFD_0, EXIF_TAG_DATE_TIME},
                                   std::pair{EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL},
                                   std::pair{EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED}}) {
        ExifEntry* entry = addEntry(exif, ifd, tag);
        assert(entry->size == dateTime.size() + 1);
        std::memcpy(entry->data, dateTime.c_str(), entry->size);
    }
    // The stored size, as cameras record it.
    exif_set_long(addEntry(exif, EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION)->data, byteOrder, ExifLong(width));
    exif_set_long(addEntry(exif, EXIF_IFD_EXIF, EXIF_TAG_PIXEL_Y_DIMENSION)->data, byteOrder, ExifLong(height));
    unsigned char* data = nullptr;
    unsigned int size = 0;
    exif_data_save_data(exif, &data, &size);
    if (data)
        block.assign(data, data + size);
    std::free(data);
    exif_data_unref(exif);
    return block;
}

// The canvas's pixels as RGB rows in the order the file stores them.
std::vector<unsigned char> storedPixels(paint::Canvas& upright, int orientation, int* width, int* height)
{
    assert(orientation == orientationUpright || orientation == orientationTurnRight);
    const bool turned = orientation == orientationTurnRight;
    const int w = upright.width(), h = upright.height();
    *width = turned ? h : w;
    *height = turned ? w : h;
    std::vector<unsigned char> rgb(std::size_t(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* row = upright.row(y);
        for (int x = 0; x < w; ++x) {
            // Turned a quarter to the left: the upright top becomes the stored left column.
            const int sx = turned ? y : x, sy = turned ? w - 1 - x : y;
            unsigned char* out = &rgb[(std::size_t(sy) * *width + sx) * 3];
            out[0] = row[x] >> 16 & 0xff;
            out[1] = row[x] >> 8 & 0xff;
            out[2] = row[x] & 0xff;
        }
    }
    return rgb;
}

}  // namespace

bool writePhoto(paint::Canvas& upright, int orientation, const std::string& dateTime, const std::string& path)
{
    int width = 0, height = 0;
    const std::vector<unsigned char> rgb = storedPixels(upright, orientation, &width, &height);
    const std::vector<unsigned char> exif = exifBlock(orientation, dateTime, width, height);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (exif.empty() || !file) {
        if (file)
            std::fclose(file);
        return false;
    }
    // libjpeg's default error handler ends the program with its message: right for a build step.
    jpeg_compress_struct jpeg;
    jpeg_error_mgr errors;
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_compress(&jpeg);
    jpeg_stdio_dest(&jpeg, file);
    jpeg.image_width = JDIMENSION(width);
    jpeg.image_height = JDIMENSION(height);
    jpeg.input_components = 3;
    jpeg.in_color_space = JCS_RGB;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, 88, TRUE);
    jpeg_start_compress(&jpeg, TRUE);
    jpeg_write_marker(&jpeg, JPEG_APP0 + 1, exif.data(), unsigned(exif.size()));
    while (jpeg.next_scanline < jpeg.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(&rgb[std::size_t(jpeg.next_scanline) * width * 3]);
        jpeg_write_scanlines(&jpeg, &row, 1);
    }
    jpeg_finish_compress(&jpeg);
    jpeg_destroy_compress(&jpeg);
    return std::fclose(file) == 0;
}

}  // namespace sample
