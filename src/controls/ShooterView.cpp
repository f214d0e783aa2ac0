// The walker's view of each city frame: the view transform of the walker or
// the overview camera, the walker light (GL_LIGHT1), the walker's marker
// and the labels seen from above; the heads-up display draws itself over it.
#include "controls/ShooterControl.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <vector>

#include "controls/CityCalendar.h"

#include "controls/HeadsUpDisplay.h"
#include "controls/WalkerWindow.h"
#include "controls/WalkerWorld.h"
#include "textures/GlState.h"

namespace {

// The crossings as the current view puts them in the window.
std::vector<ScreenCrossing> projectCrossings(const CityCalendar& calendar)
{
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<ScreenCrossing> seen;
    for (const CalendarCrossing& c : calendar.allCrossings()) {
        GLdouble x = 0.0, y = 0.0, z = 0.0;
        // Outside 0 to 1 in depth it is behind the camera or past the far plane.
        if (gluProject(c.x, 0.0, c.z, model, projection, viewport, &x, &y, &z) == GL_TRUE && z > 0.0 && z < 1.0)
            seen.push_back({c.year, c.month, x - viewport[0], y - viewport[1]});
    }
    return seen;
}

}  // namespace

void ShooterControl::applyView()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    (overview ? cameraPose : walkerPose).loadView();
}

void ShooterControl::beginFrame(double dt)
{
    if (overview) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        moveOverviewCamera(dt);
        cameraPose.loadView();
        if (app != nullptr)
            overviewLabelList = overviewLabels(projectCrossings(app->calendar()), window.width(), window.height());
        glPushMatrix();
        // From above, the walker's light has always stood at its eye
        // mirrored through the origin, and the city is lit so; the marker
        // stands at the eye.
        const GLfloat light[] = {-walkerPose.x(), -walkerPose.y(), -walkerPose.z(), 1.0f};
        glLightfv(GL_LIGHT1, GL_POSITION, light);
        drawWalkerMarker();
        glPopMatrix();
        return;
    }
    moveWalker(dt);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Placed under the identity, the light rides with the eye.
    const GLfloat atEye[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT1, GL_POSITION, atEye);
    walkerPose.loadView();
    if (mouseLook)
        warpToCentre();
}

void ShooterControl::drawWalkerMarker()
{
    glTranslatef(walkerPose.x(), walkerPose.y(), walkerPose.z());
    disableGl(GlState::lighting | GlState::texturing);
    glColor3f(1.0f, 0.0f, 0.1f);
    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);   // the cone's axis is z; stand it up
    glutSolidCone(5.0, 200.0, 5, 3);
    glPopMatrix();
    glTranslatef(0.0f, 100.0f, 0.0f);
    glutSolidSphere(20.0, 8, 8);
    enableGl(GlState::lighting | GlState::texturing);
}

void ShooterControl::drawOverlay(double dt)
{
    // The compass turns with the yaw, and this is what keeps it bounded.
    if (!overview)
        walkerPose.turnTo(normalisedYaw(walkerPose.yaw()), walkerPose.pitch());
    hud.draw(*this, window.width(), window.height());
    noteSecondsLeft -= dt;
}
