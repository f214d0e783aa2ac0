// Growth, pulse and glow arithmetic of a house.
#include <gtest/gtest.h>

#include <cmath>

#include "scene/HouseLayout.h"

TEST(HouseGrowth, OvershootsForOneFrameThenSnapsToOne)
{
    const float overshoot = growthStep(0.98f, 0.245f, 0.1);
    EXPECT_NEAR(overshoot, 1.0045f, 1e-6);
    EXPECT_EQ(growthStep(overshoot, 0.245f, 0.1), 1.0f);
    EXPECT_EQ(growthStep(1.0f, 0.245f, 0.1), 1.0f);
}

TEST(HouseGrowth, GrowsLinearlyFromNothing)
{
    float growth = 0.0f;
    int frames = 0;
    while (growth < 1.0f && frames < 1000) {
        growth = growthStep(growth, 0.05f, 0.1);
        ++frames;
    }
    // 0.05 per second at 10 frames a second: about 20 seconds.
    EXPECT_NEAR(frames, 200, 1);
}

TEST(HousePulse, GrowsWithDistanceBetween30And130)
{
    const float age = 0.3f;   // sin(1.5) is close to its top
    const float wave = std::sin(5.0f * age);
    const struct { float d; float amplitude; } cases[] = {
        { 0.0f, 0.0f }, { 30.0f, 0.0f }, { 80.0f, 50.0f / 4000.0f },
        { 130.0f, 100.0f / 4000.0f }, { 130.5f, 1.0f / 40.0f }, { 1000.0f, 1.0f / 40.0f },
    };
    for (const auto& c : cases)
        EXPECT_NEAR(pulseFactor(c.d, age), 1.0f + wave * c.amplitude, 1e-6) << "d=" << c.d;
    EXPECT_GT(pulseFactor(130.0f, age), pulseFactor(80.0f, age));
}

TEST(HouseGlow, LineWidthThinsToNothingAt300)
{
    const struct { float d; float width; } cases[] = {
        { 0.0f, 8.0f }, { 150.0f, 4.0f }, { 300.0f, 0.0f }, { 450.0f, -4.0f },
    };
    for (const auto& c : cases)
        EXPECT_NEAR(baseLineWidth(c.d), c.width, 1e-5) << "d=" << c.d;
}

TEST(HouseGlow, LevelSwingsBetweenZeroAndOne)
{
    for (float age = 0.0f; age < 3.0f; age += 0.05f) {
        const float w = glowLevel(age);
        EXPECT_GE(w, 0.0f);
        EXPECT_LE(w, 1.0f);
    }
    EXPECT_NEAR(glowLevel(0.0f), 0.5f, 1e-6);
    EXPECT_NEAR(glowLevel(static_cast<float>(M_PI / 10.0)), 1.0f, 1e-6);
}
