// The record of the switched GL state and the one function that changes it: each part is set only
// where the wanted state differs from the record.
#include "textures/GlState.h"

#include <GL/glext.h>   // GL_FRAGMENT_PROGRAM_ARB

namespace {

// Bit i of GlState::enabled up to the lights; the two writes and the fragment program follow.
const GLenum capabilities[] = { GL_LIGHTING, GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_NORMALIZE,
                                GL_LIGHT0, GL_LIGHT1 };
constexpr unsigned capabilityCount = sizeof capabilities / sizeof capabilities[0];
// GL's initial state, until the first change. It mirrors the one context's own state, which is as global.
GlState record = { GlState::colourWrites | GlState::depthWrites, GL_ONE, GL_ZERO, 4, 0, wholeTexture, GL_FILL, 1.0f };

bool operator!=(const TextureWindow& a, const TextureWindow& b)
{
    return a.s != b.s || a.t != b.t || a.width != b.width || a.height != b.height;
}

}  // namespace

const GlState& glState() { return record; }

void useGlState(const GlState& state)
{
    const unsigned changed = state.enabled ^ record.enabled;
    for (unsigned i = 0; i < capabilityCount; ++i)
        if (changed & 1u << i)
            (state.enabled & 1u << i ? glEnable : glDisable)(capabilities[i]);
    if (changed & GlState::colourWrites) {
        const GLboolean on = state.enabled & GlState::colourWrites ? GL_TRUE : GL_FALSE;
        glColorMask(on, on, on, on);
    }
    if (changed & GlState::depthWrites)
        glDepthMask(state.enabled & GlState::depthWrites ? GL_TRUE : GL_FALSE);
    if (changed & GlState::fragmentProgram)
        (state.enabled & GlState::fragmentProgram ? glEnable : glDisable)(GL_FRAGMENT_PROGRAM_ARB);
    if (state.blendSource != record.blendSource || state.blendDestination != record.blendDestination)
        glBlendFunc(state.blendSource, state.blendDestination);
    if (state.unpackAlignment != record.unpackAlignment)
        glPixelStorei(GL_UNPACK_ALIGNMENT, state.unpackAlignment);
    if (state.boundTexture != record.boundTexture)
        glBindTexture(GL_TEXTURE_2D, state.boundTexture);
    if (state.textureWindow != record.textureWindow) {
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glTranslatef(state.textureWindow.s, state.textureWindow.t, 0.0f);
        glScalef(state.textureWindow.width, state.textureWindow.height, 1.0f);
        glMatrixMode(GL_MODELVIEW);
    }
    if (state.polygonMode != record.polygonMode)
        glPolygonMode(GL_FRONT_AND_BACK, state.polygonMode);
    if (state.lineWidth != record.lineWidth)
        glLineWidth(state.lineWidth);
    record = state;
}
