// CityBuilder on a real library file: one object per piece of the plan, in
// its order, of its class, at its place, with its arguments.
#include <gtest/gtest.h>

#include "city/CityBuilder.h"
#include "city/CityPlan.h"
#include "library/PictureLibrary.h"
#include "scene/House.h"
#include "scene/Quarter.h"
#include "scene/Sign.h"
#include "scene/Street.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

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

TEST(CityBuilder, MakesEveryPieceOfThePlanInItsOrder)
{
    support::TempDir dir;
    ASSERT_TRUE(support::writeTwoBandPng(dir.file("p.png"), 8, 8, support::PngFormat::Rgb, support::red, support::blue));
    const std::string picture = "<picture><texture>p.png</texture><originalPicture>p</originalPicture></picture>";
    // Two years with a gap between them; houses of one and of two pictures.
    const std::string path = dir.write("Zandervale.xml", "<Zandervale><year val=\"2004\"><month val=\"2\"><quarter val=\"3\">"
        + picture + "</quarter></month></year><year val=\"2006\"><month val=\"12\"><quarter val=\"2\">"
        + picture + picture + "</quarter></month></year></Zandervale>\n");
    std::vector<MonthQuarter*> library;   // records and objects live on, as in the viewer
    ASSERT_TRUE(loadPictureLibrary(path.c_str(), &library, [](const char*) { return 1u; }));
    std::vector<SceneObject*> scene;
    ASSERT_TRUE(CityBuilder(path.c_str()).build(&scene));
    const std::vector<CityPiece> plan = planCity(library);
    ASSERT_EQ(scene.size(), plan.size());
    for (size_t i = 0; i < plan.size(); i++)
        EXPECT_EQ(fields(pieceOf(scene[i])), fields(plan[i])) << "object " << i;
}

}  // namespace
