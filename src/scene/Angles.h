// The program's one pi, for turning degrees into radians.
#pragma once

constexpr double pi = 3.14159265358979323846;
// The walker's turns take pi in single precision, widened: its paths depend on it.
constexpr double walkerPi = static_cast<double>(static_cast<float>(pi));
