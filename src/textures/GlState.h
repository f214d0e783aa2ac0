// The GL state that drawing switches has one owner: the enables and lights, the colour and depth writes,
// the blend function, polygon mode, line width, unpack alignment, bound texture and texture matrix change
// here only (one context, the main thread); what is already so is skipped, and the record tells a test
// what a frame left.
#pragma once

#include <GL/gl.h>

#include "textures/TextureName.h"

// The part of the bound texture that coordinates 0 to 1 reach: an atlas cell, or the whole texture.
struct TextureWindow {
    float s, t, width, height;
};
inline constexpr TextureWindow wholeTexture{ 0.0f, 0.0f, 1.0f, 1.0f };

struct GlState {
    // Writes to the colour and depth buffers count among the switches: they are turned off and on together
    // with the enables around a pass that only tests depth.
    enum : unsigned {
        lighting = 1, texturing = 2, blending = 4, depthTest = 8, culling = 16, normalizing = 32,
        light0 = 64, light1 = 128, colourWrites = 256, depthWrites = 512,
        fragmentProgram = 1024   // the bound ARB fragment program shades, not the fixed pipeline
    };
    unsigned enabled;   // the bits above
    GLenum blendSource, blendDestination;
    int unpackAlignment;   // 1: rows of odd-width RGB images are not 4-byte aligned
    TextureName boundTexture;
    TextureWindow textureWindow;   // the texture matrix
    GLenum polygonMode;   // front and back alike
    float lineWidth;
};
// What every frame starts from and leaves behind: the city's state. The lights are not in it: the scene
// light and the walker switch their own, and frames leave them as they found them.
inline constexpr GlState defaultGlState{ GlState::lighting | GlState::texturing | GlState::depthTest | GlState::culling |
                                             GlState::normalizing | GlState::colourWrites | GlState::depthWrites,
                                         GL_ONE, GL_ZERO, 1, 0, wholeTexture, GL_FILL, 1.0f };
inline constexpr unsigned lightSwitches = GlState::light0 | GlState::light1;

// What is set; a new context starts from GL's own initial state.
const GlState& glState();
// Changes what differs from state, and only that. A new texture window leaves the modelview matrix selected,
// the one drawing works in.
void useGlState(const GlState& state);
// The default, with the lights as their owners left them.
inline void useDefaultGlState()
{ auto s = defaultGlState; s.enabled |= glState().enabled & lightSwitches; useGlState(s); }

// One part at a time; switchGl turns the enables in on on and those in off off.
inline void switchGl(unsigned on, unsigned off) { auto s = glState(); s.enabled = (s.enabled | on) & ~off; useGlState(s); }
inline void enableGl(unsigned enables) { switchGl(enables, 0); }
inline void disableGl(unsigned enables) { switchGl(0, enables); }
inline void useBlendFunction(GLenum source, GLenum destination)
{ auto s = glState(); s.blendSource = source, s.blendDestination = destination; useGlState(s); }
inline void useUnpackAlignment(int bytes) { auto s = glState(); s.unpackAlignment = bytes; useGlState(s); }
inline void usePolygonMode(GLenum mode) { auto s = glState(); s.polygonMode = mode; useGlState(s); }
inline void useLineWidth(float width) { auto s = glState(); s.lineWidth = width; useGlState(s); }
inline void bindTexture(TextureName texture) { auto s = glState(); s.boundTexture = texture; useGlState(s); }
inline void bindTexture(TextureName texture, TextureWindow window)
{ auto s = glState(); s.boundTexture = texture, s.textureWindow = window; useGlState(s); }
inline TextureName bindNewTexture() { TextureName name = 0; glGenTextures(1, &name); bindTexture(name); return name; }
// Deleting a bound texture would bind 0 behind the record's back.
inline void deleteTextures(int count, const TextureName* names) { bindTexture(0), glDeleteTextures(count, names); }
