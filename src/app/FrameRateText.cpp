// Formats the frame rate the way the overlay shows it.
#include "app/FrameRateText.h"

std::string frameRateText(float framesPerSecond)
{
    const float f = framesPerSecond;
    const int n = static_cast<int>(f);
    std::string text = "fps: ";
    // The thresholds are single-precision values: 99.995 shows "099,99".
    if (f > 999.99f)
        text += static_cast<char>('0' + (n % 10000) / 1000);
    if (f > 99.99f)
        text += static_cast<char>('0' + (n % 1000) / 100);
    text += static_cast<char>('0' + (n % 100) / 10);
    text += static_cast<char>('0' + n % 10);
    text += ',';
    text += static_cast<char>('0' + static_cast<int>(f * 10) % 10);
    text += static_cast<char>('0' + static_cast<int>(f * 100) % 10);
    return text;
}
