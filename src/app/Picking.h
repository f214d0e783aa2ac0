// Picking: what lies under a window point, asked of OpenGL's selection
// mode, and the street crossing nearest to a point of the world.
#pragma once

#include <functional>
#include <vector>

class SceneObject;
class Street;
struct AppState;

// The object of objects under window point (x, y) (GLUT coordinates), or
// null; the picture index its hit names goes to outSubName (-1: none).
// drawForPicking draws the scene in selection mode, the view loaded.
SceneObject* pickAt(const std::vector<SceneObject*>& objects, const AppState& state, int x, int y,
                    int* outSubName, const std::function<void()>& drawForPicking);

// The crossing nearest to (x, y, z): the first within 50 units, else the
// closest; null without crossings.
Street* nearestCrossing(const std::vector<SceneObject*>& objects, float x, float y, float z);
