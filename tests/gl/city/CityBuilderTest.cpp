// CityBuilder on a real library file: one object per piece of the plan, in
// its order, of its class, at its place, with its arguments.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "city/CityBuilder.h"
#include "city/CityPlan.h"
#include "library/PictureLibrary.h"
#include "scene/House.h"
#include "scene/Quarter.h"
#include "scene/Sign.h"
#include "scene/Street.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "textures/GlState.h"
#include "textures/PhotoAtlas.h"
#include "textures/ThumbnailCacheSet.h"
#include "textures/Textures.h"

namespace {

// The piece an object says it was made from.
CityPiece pieceOf(SceneObject* o)
{
    CityPiece p{ CityPiece::light, o->x, o->y, o->z };
    if (auto* s = dynamic_cast<Street*>(o))
        p.kind = CityPiece::street, p.objectKind = s->kind, p.month = s->month, p.year = s->year;
    p.kind = dynamic_cast<Quarter*>(o) ? CityPiece::quarter : p.kind;
    if (auto* h = dynamic_cast<House*>(o))
        p.kind = CityPiece::house, p.record = h->getRecord(), p.houseNumber = h->pickName;
    if (auto* s = dynamic_cast<Sign*>(o))
        p.kind = CityPiece::sign, p.objectKind = s->kind, p.index = s->index;
    return p;
}

// The builder reads its own records: a house's is told by its picture count.
std::vector<float> fields(const CityPiece& p)
{
    return { float(p.kind), p.x, p.y, p.z, float(p.objectKind), float(p.month), float(p.year), float(p.index),
             float(p.houseNumber), float(p.record ? p.record->getPictureCount() : 0) };
}

// The pixels of the texture bound now: a drawn sign leaves its own bound.
std::vector<unsigned char> boundPixels()
{
    std::vector<unsigned char> pixels(128 * 32 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

TEST(CityBuilder, MakesEveryPieceOfThePlanInItsOrder)
{
    support::TempDir dir;
    ASSERT_TRUE(support::writeTwoBandPng(dir.file("p.png"), 8, 8, support::PngFormat::Rgb, support::red, support::blue));
    const std::string picture = "<picture><texture>p.png</texture><originalPicture>p</originalPicture></picture>";
    // Years with a gap and one past 2010, houses of one and two pictures: without a span the city is 2004 to 2006, with one 2019.
    const std::string body = "<year val=\"2004\"><month val=\"2\"><quarter val=\"3\">" + picture + "</quarter></month></year>"
        "<year val=\"2006\"><month val=\"12\"><quarter val=\"2\">" + picture + picture + "</quarter></month></year>"
        "<year val=\"2019\"><month val=\"5\"><quarter val=\"1\">" + picture + "</quarter></month></year></Zandervale>\n";
    const struct { const char* root; int firstRow; } cases[] = { { "<Zandervale>", 2004 }, { "<Zandervale fromYear='2015' toYear='2024'>", 2019 } };
    for (const auto& c : cases) {
        const std::string path = dir.write("Zandervale.xml", c.root + body);
        std::vector<MonthQuarter*> library;
        YearSpan span;
        ASSERT_TRUE(loadPictureLibrary(path.c_str(), &library, &span, [](const char*) { return 1u; }));
        City city;
        PhotoAtlas photos;
        ThumbnailCacheSet caches;
        ASSERT_TRUE(CityBuilder(path.c_str(), photos, caches).build(&city));
        const std::vector<CityPiece> plan = planCity(library, span);
        EXPECT_EQ(city.viewDistance, cityViewDistance(plan));
        ASSERT_EQ(city.objects.size(), plan.size());
        for (size_t i = 0; i < plan.size(); i++)
            EXPECT_EQ(fields(pieceOf(city.objects[i].get())), fields(plan[i])) << "object " << i;
        // The first row's year label shows that row's year from the signs' table.
        const std::string file = "./signs/sign" + std::to_string(c.firstRow) + "_128x32.png";
        bindTexture(loadTextureAnisotropic(file.c_str()));
        const std::vector<unsigned char> expected = boundPixels();
        const auto label = std::find_if(city.objects.begin(), city.objects.end(), [](const auto& o) {
            return dynamic_cast<Sign*>(o.get()) && static_cast<Sign*>(o.get())->kind == Sign::yearLabel;
        });
        (*label)->draw(0);
        EXPECT_EQ(boundPixels(), expected) << file;
        for (MonthQuarter* record : library)
            delete record;
    }
}

}  // namespace
