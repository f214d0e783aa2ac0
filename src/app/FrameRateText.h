// The frame-rate line of the overlay, e.g. "fps: 59,87": up to four integer
// digits (at least two), a comma, two truncated decimals.
#pragma once

#include <string>

std::string frameRateText(float framesPerSecond);
