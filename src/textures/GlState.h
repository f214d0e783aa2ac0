// The GL state that drawing switches has one owner: the enables below, the blend function, the unpack
// alignment and the bound texture change here only (one context, the main thread); what is already so
// is skipped, and the record tells a test what a frame left.
#pragma once

#include <GL/gl.h>

#include "textures/TextureName.h"

struct GlState {
    enum : unsigned { lighting = 1, texturing = 2, blending = 4, depthTest = 8, culling = 16, fog = 32 };
    unsigned enabled;   // the bits above
    GLenum blendSource, blendDestination;
    int unpackAlignment;   // 1: rows of odd-width RGB images are not 4-byte aligned
    TextureName boundTexture;
};
// What every frame starts from and leaves behind: the city's state.
inline constexpr GlState defaultGlState{ GlState::lighting | GlState::texturing | GlState::depthTest | GlState::culling,
                                         GL_ONE, GL_ZERO, 1, 0 };

// What is set; a new context starts from GL's own initial state.
const GlState& glState();
// Changes what differs from state, and only that.
void useGlState(const GlState& state);

// One part at a time; switchGl turns the enables in on on and those in off off.
inline void switchGl(unsigned on, unsigned off) { auto s = glState(); s.enabled = (s.enabled | on) & ~off; useGlState(s); }
inline void enableGl(unsigned enables) { switchGl(enables, 0); }
inline void disableGl(unsigned enables) { switchGl(0, enables); }
inline void useBlendFunction(GLenum source, GLenum destination)
{ auto s = glState(); s.blendSource = source, s.blendDestination = destination; useGlState(s); }
inline void useUnpackAlignment(int bytes) { auto s = glState(); s.unpackAlignment = bytes; useGlState(s); }
inline void bindTexture(TextureName texture) { auto s = glState(); s.boundTexture = texture; useGlState(s); }
inline TextureName bindNewTexture() { TextureName name = 0; glGenTextures(1, &name); bindTexture(name); return name; }
// Deleting a bound texture would bind 0 behind the record's back.
inline void deleteTextures(int count, const TextureName* names) { bindTexture(0), glDeleteTextures(count, names); }
