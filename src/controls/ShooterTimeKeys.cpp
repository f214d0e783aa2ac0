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
        showOverview(false);
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

TimePoint ShooterControl::timeHere() const
{
    TimePoint here;
    const CityCalendar& calendar = app->calendar();
    const int at = calendar.indexOf(selected);
    if (at >= 0) {
        const CalendarHouse& house = calendar.houses()[static_cast<std::size_t>(at)];
        here = {house.year, house.month, house.quarter, house.house};
    } else if (const Street* crossing = crossingHere()) {
        here.year = crossing->year;
        here.month = crossing->month;
    }
    return here;
}

void ShooterControl::jump(const TimeTarget& target)
{
    // A note says why nothing moves, or why no house is selected where it lands.
    showNote(target.note, noteSeconds);
    if (target.crossing == nullptr)
        return;
    // The house flown to is the selection, ready for Enter; one already
    // selected keeps its picked picture.
    SceneObject* house = target.house != nullptr ? target.house->house : nullptr;
    if (selected != house)
        select(house, 0);
    const Landing landing = landingOf(target, walkerPose.yaw());
    const WalkerPose to(landing.x, eyeLevel, landing.z, landing.yaw, house != nullptr ? 0.0f : walkerPose.pitch());
    flight.start(walkerPose, to);
    // From above, the camera glides along to look down on the landing, so
    // the marker ends in the middle of the view however far it went.
    cameraFrom = cameraPose;
    cameraTo = cameraOver(cameraPose, landing.x, landing.z);
}

void ShooterControl::showNote(const std::string& note, double seconds)
{
    noteLine = note;
    noteSecondsLeft = note.empty() ? 0.0 : seconds;
}

void ShooterControl::noteNoSelection()
{
    showNote(noSelectionNote, noteSeconds);
}

void ShooterControl::fly(double dt)
{
    followFlight(flight.advance(dt));
}

void ShooterControl::finishFlight()
{
    if (flight.active())
        followFlight(flight.land());
}

void ShooterControl::followFlight(const WalkerPose& pose)
{
    walkerPose = pose;
    climbRate = 0.0f;
    if (overview) {
        const double s = flight.progress();
        cameraPose.moveTo(static_cast<float>(cameraFrom.x() + (cameraTo.x() - cameraFrom.x()) * s), cameraPose.y(),
                          static_cast<float>(cameraFrom.z() + (cameraTo.z() - cameraFrom.z()) * s));
    }
}
