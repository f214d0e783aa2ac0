#include "textures/GlState.h"

namespace {

// Bit i of GlState::enabled: lighting, texturing, blending, depth test, culling, fog.
const GLenum capabilities[] = { GL_LIGHTING, GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_FOG };
GlState record = { 0, GL_ONE, GL_ZERO, 4, 0 };

}  // namespace

const GlState& glState() { return record; }

void useGlState(const GlState& state)
{
    for (unsigned i = 0; i < 6; ++i)
        if ((state.enabled ^ record.enabled) & 1u << i)
            (state.enabled & 1u << i ? glEnable : glDisable)(capabilities[i]);
    if (state.blendSource != record.blendSource || state.blendDestination != record.blendDestination)
        glBlendFunc(state.blendSource, state.blendDestination);
    if (state.unpackAlignment != record.unpackAlignment)
        glPixelStorei(GL_UNPACK_ALIGNMENT, state.unpackAlignment);
    if (state.boundTexture != record.boundTexture)
        glBindTexture(GL_TEXTURE_2D, state.boundTexture);
    record = state;
}
