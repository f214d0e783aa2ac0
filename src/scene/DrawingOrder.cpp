// The city's drawing order: the light, the nearest houses, the occlusion
// pass over the houses behind them, then streets, ground and signs.
#include "scene/DrawingOrder.h"

#define GL_GLEXT_PROTOTYPES 1   // occlusion queries, GL 1.5

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

#include "scene/House.h"
#include "scene/LightObject.h"
#include "textures/GlState.h"

DrawingOrder::~DrawingOrder()
{
    if (!queries.empty())
        glDeleteQueries(static_cast<GLsizei>(queries.size()), queries.data());
}

// Houses past the nearest as their bounds first, each counted by a query,
// then only those whose bounds showed a sample: the bounds hold every box,
// so a house whose bounds hide behind the nearest draws no pixel either.
// The ground is not yet drawn, so it hides nothing here.
void DrawingOrder::drawUnlessHidden(const std::vector<std::pair<float, SceneObject*>>& houses, double dt)
{
    const size_t count = houses.size();
    if (queries.size() < count) {
        const size_t had = queries.size();
        queries.resize(count);
        glGenQueries(static_cast<GLsizei>(count - had), queries.data() + had);
    }
    std::vector<char> standIn(count);
    disableGl(GlState::lighting | GlState::texturing | GlState::colourWrites | GlState::depthWrites);
    for (size_t i = 0; i < count; ++i)
        standIn[i] = static_cast<House*>(houses[i].second)->drawBounds(queries[i]);
    enableGl(GlState::lighting | GlState::texturing | GlState::colourWrites | GlState::depthWrites);
    for (size_t i = 0; i < count; ++i) {
        GLuint samples = 1;
        if (standIn[i])
            glGetQueryObjectuiv(queries[i], GL_QUERY_RESULT, &samples);
        if (samples > 0)
            houses[i].second->draw(dt);
        else
            static_cast<House*>(houses[i].second)->passHidden(dt);
    }
}

// Unselected houses nearest first and ahead of the ground, so that llvmpipe
// leaves untextured whatever a nearer house hides. The light keeps its first
// place (it sets GL_LIGHT0 where it stands) and a selected house its own,
// its glow blending over what was drawn behind it.
void DrawingOrder::draw(const std::vector<SceneObject*>& objects, double dt)
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float eyeX = -(m[0] * m[12] + m[1] * m[13] + m[2] * m[14]);
    const float eyeZ = -(m[8] * m[12] + m[9] * m[13] + m[10] * m[14]);
    std::vector<std::pair<float, SceneObject*>> houses;
    std::vector<SceneObject*> rest;
    for (SceneObject* object : objects) {
        if (dynamic_cast<LightObject*>(object) != nullptr)
            object->draw(dt);
        else if (dynamic_cast<House*>(object) != nullptr && object->selectedPicture < 0)
            houses.emplace_back((object->x - eyeX) * (object->x - eyeX) + (object->z - eyeZ) * (object->z - eyeZ), object);
        else
            rest.push_back(object);
    }
    std::stable_sort(houses.begin(), houses.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    size_t nearest = std::min(houses.size(), occludingHouses), boxes = 0;
    for (size_t i = nearest; i < houses.size(); ++i)
        boxes += static_cast<House*>(houses[i].second)->getCubes().size();
    nearest = boxes < questionedBoxes ? houses.size() : nearest;
    for (size_t i = 0; i < nearest; ++i)
        houses[i].second->draw(dt);
    houses.erase(houses.begin(), houses.begin() + static_cast<std::ptrdiff_t>(nearest));
    drawUnlessHidden(houses, dt);
    for (SceneObject* object : rest)
        object->draw(dt);
}
