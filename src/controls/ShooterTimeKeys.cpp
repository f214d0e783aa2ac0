// The walker's time keys: the date prompt, the jumps to a date, to the next
// or previous house, a year on or back, the ends of the library or the house
// picked from above, and the flight that carries the walker there.
#include "controls/ShooterControl.h"

#include <GL/freeglut.h>

#include <cstddef>
#include <string>

#include "controls/CityCalendar.h"
#include "controls/WalkerWorld.h"
#include "scene/SceneObject.h"
#include "scene/Street.h"

namespace {

// How long a time key's "no later house" and the like stay on screen.
constexpr double noteSeconds = 2.0;

const char* const noSelectionNote = "select a picture first: aim at a box and click";

}  // namespace

bool ShooterControl::timeKey(unsigned char key)
{
    if (app == nullptr)
        return false;
    const CityCalendar& calendar = app->calendar();
    switch (key) {
    case 'G': case 'g': prompt.open(); return true;
    case 'N': case 'n': jump(stepTarget(calendar, timeHere(), +1)); return true;
    case 'B': case 'b': jump(stepTarget(calendar, timeHere(), -1)); return true;
    case 'J': case 'j': {
        // Down to the house picked from above, and on foot again.
        const TimeTarget target = houseTarget(calendar, selected);
        if (target.crossing == nullptr) {
            noteNoSelection();
            return true;
        }
        if (overview)
            toggleOverview();
        jump(target);
        return true;
    }
    default: return false;
    }
}

bool ShooterControl::timeSpecial(int key)
{
    if (app == nullptr)
        return false;
    const CityCalendar& calendar = app->calendar();
    switch (key) {
    case GLUT_KEY_PAGE_UP: jump(yearTarget(calendar, timeHere(), -1)); return true;
    case GLUT_KEY_PAGE_DOWN: jump(yearTarget(calendar, timeHere(), +1)); return true;
    case GLUT_KEY_HOME: jump(endTarget(calendar, false)); return true;
    case GLUT_KEY_END: jump(endTarget(calendar, true)); return true;
    default: return false;
    }
}

void ShooterControl::typeInPrompt(unsigned char key)
{
    if (prompt.type(key) != DatePrompt::Reply::go || app == nullptr)
        return;
    const TimeTarget target = dateTarget(app->calendar(), prompt.typed());
    if (target.crossing == nullptr) {
        prompt.refuse(target.note);   // nothing moves; the user may mend it
        return;
    }
    prompt.close();
    jump(target);
}

TimePoint ShooterControl::timeHere()
{
    TimePoint here;
    const CityCalendar& calendar = app->calendar();
    const int at = calendar.indexOf(selected);
    if (at >= 0) {
        const CalendarHouse& house = calendar.houses()[static_cast<std::size_t>(at)];
        here = {house.year, house.month, house.quarter, house.house};
    } else if (const Street* crossing =
                   app->nearestStreet(-translation.x, -translation.y, -translation.z)) {
        here.year = crossing->year;
        here.month = crossing->month;
    }
    return here;
}

void ShooterControl::jump(const TimeTarget& target)
{
    // A note says why nothing moves, or why no house is selected where it lands.
    showNote(target.note);
    if (target.crossing == nullptr)
        return;
    // The house flown to is the selection, ready for Enter.
    SceneObject* house = target.house != nullptr ? target.house->house : nullptr;
    if (selected != house) {
        if (selected != nullptr)
            selected->selectedPicture = -1;
        selected = house;
        if (house != nullptr)
            house->selectedPicture = 0;
    }
    const Landing landing = landingOf(target, yaw);
    const WalkerPose from{-translation.x, -translation.y, -translation.z, yaw, pitch};
    const WalkerPose to{landing.x, -eyeLevel, landing.z, landing.yaw, house != nullptr ? 0.0f : pitch};
    flight.start(from, to);
    // From above, the camera glides along to look down on the landing, so
    // the marker ends in the middle of the view however far it went.
    float eyeX = 0.0f, eyeZ = 0.0f;
    cameraOver(landing.x, landing.z, -overviewTranslation.y, overviewPitch, overviewYaw, &eyeX, &eyeZ);
    cameraFrom[0] = overviewTranslation.x;
    cameraFrom[1] = overviewTranslation.z;
    cameraTo[0] = -eyeX;
    cameraTo[1] = -eyeZ;
}

void ShooterControl::showNote(const std::string& note)
{
    noteLine = note;
    noteSecondsLeft = note.empty() ? 0.0 : noteSeconds;
}

void ShooterControl::noteNoSelection()
{
    showNote(noSelectionNote);
}

void ShooterControl::fly(double dt)
{
    placeWalker(flight.advance(dt));
}

void ShooterControl::finishFlight()
{
    if (flight.active())
        placeWalker(flight.land());
}

void ShooterControl::placeWalker(const WalkerPose& pose)
{
    translation = {-pose.x, -pose.y, -pose.z};
    yaw = pose.yaw;
    pitch = pose.pitch;
    verticalSpeed = 0.0f;
    if (overview) {
        const double s = flight.progress();
        overviewTranslation.x = static_cast<float>(cameraFrom[0] + (cameraTo[0] - cameraFrom[0]) * s);
        overviewTranslation.z = static_cast<float>(cameraFrom[1] + (cameraTo[1] - cameraFrom[1]) * s);
    }
}
