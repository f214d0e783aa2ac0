// WalkerPose: where an eye stands in the world and which way it looks, the
// walker's or the overview camera's, with the moves that change it and the
// view it loads into GL. A value, like a camera: flights blend two of them,
// and tests place and read them.
#pragma once

class WalkerPose {
public:
    WalkerPose() = default;
    // The eye in world units; yaw in degrees, 0 looking down -z and 90 down
    // +x; pitch in degrees, positive looking down.
    WalkerPose(float x, float y, float z, float yaw, float pitch)
        : eyeX(x), eyeY(y), eyeZ(z), yawDegrees(yaw), pitchDegrees(pitch) {}

    float x() const { return eyeX; }
    float y() const { return eyeY; }
    float z() const { return eyeZ; }
    float yaw() const { return yawDegrees; }
    float pitch() const { return pitchDegrees; }

    // Moves the eye by (dx, dy, dz), each sum rounded to single precision.
    void move(double dx, double dy, double dz);
    void moveTo(float x, float y, float z);
    // Walks the eye over the ground for dt seconds at speed along the
    // heading (ahead +1 forward, -1 back) and across it (aside +1 right,
    // -1 left); both at once make a diagonal root two longer. Pitch plays
    // no part.
    void walk(int ahead, int aside, double speed, double dt);
    // Turns right by yaw and down by pitch, in degrees; no limit.
    void turn(double yaw, double pitch);
    void turnTo(float yaw, float pitch);
    // Keeps the pitch within [-limit, limit].
    void limitPitch(float limit);

    // Multiplies the modelview matrix by the view from here: the pitch
    // about x first, then the yaw about y, then the eye to the origin.
    void loadView() const;

private:
    float eyeX = 0.0f, eyeY = 0.0f, eyeZ = 0.0f;
    float yawDegrees = 0.0f;
    float pitchDegrees = 0.0f;
};
