#include "support/KindFiles.h"

#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <libexif/exif-data.h>
#include <tiffio.h>
#include <vips/vips.h>

#include <cstdlib>
#include <vector>

#include "photos/VipsPhotos.h"

namespace support {

namespace {

std::vector<unsigned char> rgbOf(int width, int height, const PixelFunction& pixelAt)
{
    std::vector<unsigned char> rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Colour c = pixelAt(x, y);
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    return rgb;
}

// An EXIF block holding only Orientation, as libheif stores it.
std::vector<unsigned char> orientationExif(int orientation)
{
    ExifData* exif = exif_data_new();
    ExifEntry* entry = exif_entry_new();
    exif_content_add_entry(exif->ifd[EXIF_IFD_0], entry);
    exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
    exif_set_short(entry->data, exif_data_get_byte_order(exif), ExifShort(orientation));
    exif_entry_unref(entry);
    unsigned char* data = nullptr;
    unsigned size = 0;
    exif_data_save_data(exif, &data, &size);
    std::vector<unsigned char> block(data, data + size);
    free(data);
    exif_data_unref(exif);
    return block;
}

}  // namespace

bool writeKind(const std::string& path, const std::string& kind, int width, int height, const PixelFunction& pixelAt,
               int orientation, const char* dateTaken)
{
    EXPECT_TRUE(startVipsForPhotos("test"));
    const std::vector<unsigned char> rgb = rgbOf(width, height, pixelAt);
    VipsImage* image = vips_image_new_from_memory_copy(rgb.data(), rgb.size(), width, height, 3, VIPS_FORMAT_UCHAR);
    if (image == nullptr)
        return ADD_FAILURE() << path, false;
    vips_image_set_int(image, VIPS_META_ORIENTATION, orientation);
    if (dateTaken)
        vips_image_set_string(image, "exif-ifd2-DateTimeOriginal", dateTaken);
    int failed = -1;
    if (kind == "heic")
        failed = vips_heifsave(image, path.c_str(), "compression", VIPS_FOREIGN_HEIF_COMPRESSION_HEVC, "Q", 95,
                               nullptr);
    else if (kind == "avif")
        failed = vips_heifsave(image, path.c_str(), "compression", VIPS_FOREIGN_HEIF_COMPRESSION_AV1, "Q", 95,
                               nullptr);
    else if (kind == "webp")
        failed = vips_webpsave(image, path.c_str(), "Q", 95, nullptr);
    else if (kind == "tiff")
        failed = vips_tiffsave(image, path.c_str(), nullptr);
    else if (kind == "gif")
        failed = vips_gifsave(image, path.c_str(), nullptr);
    g_object_unref(image);
    if (failed != 0) {
        ADD_FAILURE() << path << ": " << vips_error_buffer();
        vips_error_clear();
        return false;
    }
    return true;
}

bool writeTurnedHeic(const std::string& path, int storedWidth, int storedHeight, const PixelFunction& pixelAt)
{
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    heif_image_handle* handle = nullptr;
    bool written = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok &&
                   heif_image_create(storedWidth, storedHeight, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                                     &image).code == heif_error_Ok &&
                   heif_image_add_plane(image, heif_channel_interleaved, storedWidth, storedHeight, 8).code ==
                       heif_error_Ok;
    if (written) {
        int stride = 0;
        uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        const std::vector<unsigned char> rgb = rgbOf(storedWidth, storedHeight, pixelAt);
        for (int y = 0; y < storedHeight; ++y)
            std::copy_n(rgb.data() + size_t(y) * storedWidth * 3, storedWidth * 3, plane + size_t(y) * stride);
        heif_encoder_set_lossy_quality(encoder, 95);
        heif_encoding_options* options = heif_encoding_options_alloc();
        options->image_orientation = heif_orientation_rotate_90_cw;
        written = heif_context_encode_image(context, image, encoder, options, &handle).code == heif_error_Ok;
        heif_encoding_options_free(options);
        const std::vector<unsigned char> exif = orientationExif(6);
        written = written && heif_context_add_exif_metadata(context, handle, exif.data(), int(exif.size())).code ==
                                 heif_error_Ok &&
                  heif_context_write_to_file(context, path.c_str()).code == heif_error_Ok;
    }
    if (handle)
        heif_image_handle_release(handle);
    if (image)
        heif_image_release(image);
    if (encoder)
        heif_encoder_release(encoder);
    heif_context_free(context);
    EXPECT_TRUE(written) << path;
    return written;
}

bool writeDng(const std::string& path, int width, int height, const PixelFunction& pixelAt, int orientation,
              const char* dateTime)
{
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr)
        return ADD_FAILURE() << path, false;
    static const unsigned char dngVersion[4] = {1, 4, 0, 0};
    static const uint16_t cfaRepeat[2] = {2, 2};
    static const unsigned char cfaPattern[4] = {0, 1, 1, 2};
    uint64_t subIfd[1] = {0};
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(tiff, TIFFTAG_MAKE, "Zandervale");
    TIFFSetField(tiff, TIFFTAG_MODEL, "Test");
    TIFFSetField(tiff, TIFFTAG_DATETIME, dateTime);
    TIFFSetField(tiff, TIFFTAG_DNGVERSION, dngVersion);
    TIFFSetField(tiff, TIFFTAG_UNIQUECAMERAMODEL, "Zandervale Test");
    TIFFSetField(tiff, TIFFTAG_SUBIFD, 1, subIfd);
    std::vector<unsigned char> rgb = rgbOf(width, height, pixelAt);
    bool written = true;
    for (int y = 0; y < height; ++y)
        written = written && TIFFWriteScanline(tiff, rgb.data() + size_t(y) * width * 3, y, 0) == 1;
    written = written && TIFFWriteDirectory(tiff);
    const int rawWidth = 64, rawHeight = 48;
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, rawWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, rawHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, 32803);   // colour filter array
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rawHeight);
    TIFFSetField(tiff, TIFFTAG_CFAREPEATPATTERNDIM, cfaRepeat);
    TIFFSetField(tiff, TIFFTAG_CFAPATTERN, 4, cfaPattern);
    std::vector<uint16_t> row(rawWidth, 0);
    for (int y = 0; y < rawHeight; ++y)
        written = written && TIFFWriteScanline(tiff, row.data(), y, 0) == 1;
    written = written && TIFFWriteDirectory(tiff);
    TIFFClose(tiff);
    EXPECT_TRUE(written) << path;
    return written;
}

}  // namespace support
