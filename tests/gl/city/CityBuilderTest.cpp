// CityBuilder on a real library file: the scene list holds the objects of
// the plan, in its order, and the same library gives the same city twice.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <typeinfo>
#include <vector>

#include "city/CityBuilder.h"
#include "city/CityPlan.h"
#include "library/PictureLibrary.h"
#include "scene/Cube.h"
#include "scene/House.h"
#include "scene/LightObject.h"
#include "scene/Quarter.h"
#include "scene/Sign.h"
#include "scene/Street.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

std::string quarter(int val, int pictures)
{
    std::string text = "<quarter val=\"" + std::to_string(val) + "\">";
    for (int i = 0; i < pictures; i++)
        text += "<picture><texture>p.png</texture><originalPicture>p</originalPicture></picture>";
    return text + "</quarter>";
}

// What rand() decided for an object: a tile's grass, a house's growth rate and boxes.
std::vector<float> randomChoicesOf(SceneObject* object)
{
    if (auto* tile = dynamic_cast<Quarter*>(object))
        return {static_cast<float>(tile->grassIndex)};
    std::vector<float> choices;
    if (auto* house = dynamic_cast<House*>(object))
        for (const Cube* c : house->getCubes())
            choices.insert(choices.end(), {house->getGrowthRate(), c->x, c->y, c->z,
                                           c->shape().rotationY, c->scale});
    return choices;
}

TEST(CityBuilder, BuildsThePlannedCityTheSameWayEachTime)
{
    support::TempDir dir;
    ASSERT_TRUE(support::writeTwoBandPng(dir.file("p.png"), 8, 8, support::PngFormat::Rgb,
                                         support::red, support::blue));
    // Two years with a gap, three houses at one crossing, one with a random layout variant.
    std::string path = dir.write("Zandervale.xml",
        "<Zandervale><year val=\"2004\"><month val=\"2\">" + quarter(1, 3) + quarter(4, 12)
        + quarter(3, 1) + "</month></year><year val=\"2006\"><month val=\"12\">"
        + quarter(2, 40) + "</month></year></Zandervale>\n");
    std::vector<MonthQuarter*> library;
    ASSERT_TRUE(loadPictureLibrary(path.c_str(), &library, [](const char*) { return 1u; }));
    std::vector<CityPiece> plan = planCity(library);
    std::vector<SceneObject*> first, second;
    for (std::vector<SceneObject*>* scene : {&first, &second}) {
        std::srand(1);
        ASSERT_TRUE(CityBuilder(path.c_str()).build(scene));
        ASSERT_EQ(scene->size(), plan.size());
    }
    const std::type_info* classes[] = {&typeid(LightObject), &typeid(Street), &typeid(Quarter),
                                       &typeid(House), &typeid(Sign)};   // by CityPiece::Kind
    for (size_t i = 0; i < plan.size(); i++) {
        const CityPiece& piece = plan[i];
        SceneObject* object = first[i];
        SCOPED_TRACE("object " + std::to_string(i));
        EXPECT_TRUE(typeid(*object) == *classes[piece.kind]) << typeid(*object).name();
        EXPECT_EQ((std::vector<float>{object->x, object->y, object->z}),
                  (std::vector<float>{piece.x, piece.y, piece.z}));
        if (auto* street = dynamic_cast<Street*>(object)) {
            EXPECT_EQ((std::vector<int>{street->kind, street->month, street->year}),
                      (std::vector<int>{piece.objectKind, piece.month, piece.year}));
        }
        if (auto* sign = dynamic_cast<Sign*>(object)) {
            EXPECT_EQ((std::vector<int>{sign->kind, sign->index}),
                      (std::vector<int>{piece.objectKind, piece.index}));
        }
        if (auto* house = dynamic_cast<House*>(object)) {
            EXPECT_EQ(house->getRecord()->getPictureCount(), piece.record->getPictureCount());
        }
        EXPECT_EQ(object->pickName,
                  piece.kind == CityPiece::house ? piece.houseNumber : SceneObject::noPickName);
        EXPECT_EQ(randomChoicesOf(object), randomChoicesOf(second[i]));
        delete object;
        delete second[i];
    }
    for (MonthQuarter* record : library)
        delete record;
}

}  // namespace
