// The name of an OpenGL texture object as the loaders hand it out.
#pragma once

using TextureName = unsigned int;   // 0 means none or not yet loaded
