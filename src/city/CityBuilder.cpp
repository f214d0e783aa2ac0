// Loads the photo library and creates the objects of the city in the order
// of its plan. Needs a current GL context: the objects' constructors load
// their shared textures and display lists.
#include "city/CityBuilder.h"

#include <cassert>

#include "city/CityPlan.h"
#include "library/MonthQuarter.h"
#include "library/PictureLibrary.h"
#include "scene/House.h"
#include "scene/HouseShapes.h"
#include "scene/LightObject.h"
#include "scene/Quarter.h"
#include "scene/SceneArtwork.h"
#include "scene/Sign.h"
#include "scene/Street.h"

namespace {

SceneObject* makeObject(const CityPiece& piece, const SceneArtwork& art, HouseShapes& shapes)
{
    switch (piece.kind) {
    case CityPiece::light:
        return new LightObject(piece.x, piece.y, piece.z);
    case CityPiece::street:
        return new Street(art.ground, piece.x, piece.y, piece.z, piece.objectKind, piece.month, piece.year);
    case CityPiece::quarter:
        return new Quarter(art.ground, piece.x, piece.y, piece.z);
    case CityPiece::house:
        return new House(art.box, piece.x, piece.y, piece.z, piece.record, piece.houseNumber, &shapes);
    case CityPiece::sign:
        return new Sign(art.signs, piece.x, piece.y, piece.z, piece.objectKind, piece.index);
    }
    assert(!"unknown city piece");
    return nullptr;
}

}  // namespace

CityBuilder::CityBuilder(const char* libraryPath, PhotoAtlas& photos, ThumbnailCacheSet& caches)
    : libraryPath(libraryPath), photos(photos), caches(caches)
{
}

bool CityBuilder::build(City* city, const LoadProgress& progress)
{
    assert(city->records.empty() && city->objects.empty() && "a city is built once");
    std::vector<MonthQuarter*> library;
    YearSpan span;
    const bool read = loadPictureLibrary(libraryPath, &library, &span, photos, caches, progress);
    for (MonthQuarter* record : library)
        city->records.emplace_back(record);
    if (!read)
        return false;

    city->artwork = std::make_unique<SceneArtwork>(span, photos);
    const std::vector<CityPiece> plan = planCity(library, span);
    HouseShapes shapes;
    for (const CityPiece& piece : plan)
        city->objects.emplace_back(makeObject(piece, *city->artwork, shapes));
    city->viewDistance = cityViewDistance(plan);
    city->ground = cityGround(plan);
    city->libraryEmpty = library.empty();
    return true;
}
