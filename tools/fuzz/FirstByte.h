// The fuzz targets with two paths: an input's first byte picks the path, so
// each grows its own corpus, and the rest of the input is that path's.
#pragma once

#include <cstddef>
#include <cstdint>

using FuzzPath = void (*)(const uint8_t* data, size_t size);

inline void takePathByFirstByte(const uint8_t* data, size_t size, FuzzPath odd, FuzzPath even)
{
    if (size > 0)
        (data[0] & 1 ? odd : even)(data + 1, size - 1);
}
