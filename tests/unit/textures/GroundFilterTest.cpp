// Which filter the ground gets: by the renderer's name, unless the setting names one.
#include <gtest/gtest.h>

#include "textures/Textures.h"

TEST(GroundFilter, SoftwareRenderersGetTheFastFilterUnlessTheSettingSaysOtherwise)
{
    const GroundFilter fast = GroundFilter::fast, full = GroundFilter::full;
    const struct { const char* renderer; const char* setting; GroundFilter filter; } cases[] = {
        { "llvmpipe (LLVM 15.0.6, 256 bits)", nullptr, fast }, { "softpipe", nullptr, fast },
        { "Software Rasterizer swrast", nullptr, fast }, { "Mesa Intel(R) UHD Graphics 620", nullptr, full },
        { nullptr, nullptr, full }, { "llvmpipe", "full", full }, { "AMD Radeon RX 6600", "fast", fast },
        { "llvmpipe", "", fast }, { "AMD Radeon RX 6600", "FAST", full }, { nullptr, "fast", fast },
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseGroundFilter(c.renderer, c.setting), c.filter) << testing::PrintToString(c.renderer) << testing::PrintToString(c.setting);
}
