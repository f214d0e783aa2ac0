// The demo library's photos: the EXIF date of their name, the sky where their orientation tag puts the top.
#include <IL/il.h>
#include <gtest/gtest.h>
#include <libexif/exif-data.h>

#include <filesystem>
#include <regex>

TEST(SamplePhotos, CarryTheDateOfTheirNameAndShowTheSkyWhereTheirOrientationTagPutsTheTop)
{
    int turned = 0, portraits = 0;
    ilInit(), ilEnable(IL_ORIGIN_SET), ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    for (const auto& file : std::filesystem::recursive_directory_iterator("sample-photos")) {
        if (file.is_directory()) continue;
        const std::unique_ptr<ExifData, void (*)(ExifData*)> exif(exif_data_new_from_file(file.path().c_str()), exif_data_unref);
        ASSERT_TRUE(exif) << file.path();
        ExifEntry *date = exif_data_get_entry(exif.get(), EXIF_TAG_DATE_TIME_ORIGINAL), *tag = exif_data_get_entry(exif.get(), EXIF_TAG_ORIENTATION);
        ASSERT_TRUE(date && tag && ilLoadImage(file.path().c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) << file.path();
        const std::string taken(reinterpret_cast<const char*>(date->data), 19), name = file.path().filename();
        EXPECT_EQ(taken, std::regex_replace(name, std::regex("IMG_(....)(..)(..)_(..)(..)(..)\\.jpg"), "$1:$2:$3 $4:$5:$6"));
        const bool side = exif_get_short(tag->data, exif_data_get_byte_order(exif.get())) == 6;   // the stored left column on top
        const int w = ilGetInteger(IL_IMAGE_WIDTH), h = ilGetInteger(IL_IMAGE_HEIGHT), n = side ? h : w, bottom = side ? w - 1 : h - 1;
        double bluer = 0;   // blue over red along the top edge, less along the bottom one: sky against ground
        for (int i = 0, edge = 0; i < 2 * n; edge = ++i < n ? 0 : bottom) {
            const unsigned char* rgb = ilGetData() + ((side ? i % n : edge) * w + (side ? edge : i % n)) * 3;
            bluer += (edge ? -1.0 : 1.0) * (rgb[2] - rgb[0]) / n;
        }
        EXPECT_GT(bluer, 20) << name;
        turned += side, portraits += !side && w < h;
    }
    EXPECT_EQ(std::make_pair(turned, portraits), std::make_pair(1, 1)) << "one photo on its side, one portrait upright";
}
