// The prefetching loader hands each path its own decoded photo, however
// many are ready at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gallery/PrefetchingPhotoLoader.h"

namespace {

// A photo whose pixels spell the path it was decoded from.
struct NamingDecoder : PhotoLoader {
    DecodedPhoto decode(const std::string& path) override
    {
        DecodedPhoto photo;
        photo.outcome = DecodedPhoto::Decoded;
        photo.pixels.assign(path.begin(), path.end());
        return photo;
    }
    TextureName upload(const DecodedPhoto&) override { return 1; }
    void release(TextureName) override {}
};

TEST(PrefetchingPhotoLoader, EachPathGetsItsOwnPhotoWhenTwoAreReady)
{
    const struct { const char* what; std::vector<std::string> asked; } cases[] = {
        {"in the order prefetched", {"a.jpg", "b.jpg"}},
        {"the second first", {"b.jpg", "a.jpg"}},
    };
    for (const auto& c : cases) {
        NamingDecoder decoder;
        PrefetchingPhotoLoader loader(&decoder);
        loader.prefetch({"a.jpg", "b.jpg"});
        ASSERT_TRUE(loader.awaitReady("a.jpg", 30.0) && loader.awaitReady("b.jpg", 30.0)) << c.what;
        for (const std::string& path : c.asked) {
            const DecodedPhoto photo = loader.decode(path);
            EXPECT_EQ(std::string(photo.pixels.begin(), photo.pixels.end()), path) << c.what;
        }
    }
}

}  // namespace
