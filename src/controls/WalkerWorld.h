// WalkerWorld: what the walker asks of the world it walks in. Whether a
// step is blocked, what lies under a window point, the nearest street
// crossing, the city as a calendar, and the way into the gallery; the
// application object answers for the real city.
#pragma once

class CityCalendar;
class MonthQuarter;
class SceneObject;
class Street;

class WalkerWorld {
public:
    virtual ~WalkerWorld() = default;
    // Whether the eye's step from "from" to "to" is blocked; the walker
    // does not take a blocked step.
    virtual bool stepBlocked(float fromX, float fromY, float fromZ, float toX, float toY, float toZ) = 0;
    // The object under window point (x, y) (GLUT coordinates), or null; its
    // picture index goes to outSubName (-1 when nothing was hit).
    virtual SceneObject* pick(int x, int y, int* outSubName) = 0;
    // The street crossing nearest to a point of the world, or null.
    virtual Street* nearestStreet(float x, float y, float z) = 0;
    virtual void openGallery(MonthQuarter* record, int picture) = 0;
    // The crossings and houses by their dates; the city never changes, so
    // the answer may be kept.
    virtual const CityCalendar& calendar() = 0;
};
