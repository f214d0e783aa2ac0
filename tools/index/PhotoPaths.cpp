// UTF-8 decoded by hand to the letter of the standard (shortest forms, no
// surrogates), since one bad byte would make the whole library unreadable.
#include "PhotoPaths.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <strings.h>

#include "photos/RawPreview.h"

namespace photoindex {

namespace {

const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// The code point of the UTF-8 sequence at text[*at], advancing *at; -1 for
// bytes that are no shortest-form sequence of a Unicode scalar value.
long decodeUtf8(const std::string& text, size_t* at)
{
    const unsigned char lead = static_cast<unsigned char>(text[*at]);
    const int extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                                      : lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
    if (extra < 0 || *at + extra >= text.size())
        return -1;
    long code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[*at + i]);
        if ((next & 0xC0) != 0x80)
            return -1;
        code = (code << 6) | (next & 0x3F);
    }
    static const long smallest[4] = {0, 0x80, 0x800, 0x10000};
    if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return -1;
    *at += extra + 1;
    return code;
}

}  // namespace

FileRole fileRoleOfName(const std::string& name)
{
    static const struct {
        FileRole role;
        const char* extensions[13];
    } roles[] = {
        {FileRole::photo, {"jpg", "jpeg", "jpe", "png", "heic", "heif", "hif", "avif", "webp", "tif", "tiff", "gif"}},
        {FileRole::video, {"mp4", "mov", "m4v", "avi", "mkv", "3gp", "webm", "mts", "m2ts"}},
    };
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return FileRole::other;
    if (isRawName(name))
        return FileRole::raw;
    for (const auto& entry : roles)
        for (const char* known : entry.extensions)
            if (known && strcasecmp(name.c_str() + dot + 1, known) == 0)
                return entry.role;
    return FileRole::other;
}

bool isPhotoName(const std::string& name) { return fileRoleOfName(name) == FileRole::photo; }

std::string pathProblem(const std::string& path)
{
    for (size_t at = 0; at < path.size();) {
        const long code = decodeUtf8(path, &at);
        if (code < 0)
            return "name is not valid UTF-8";
        // C0, DEL and C1 controls; U+FFFE and U+FFFF are no XML characters either.
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0xFFFE || code == 0xFFFF)
            return "name holds a control character";
    }
    return std::string();
}

std::string printable(const std::string& path)
{
    std::string shown;
    for (size_t at = 0; at < path.size();) {
        const size_t start = at;
        const long code = decodeUtf8(path, &at);
        if (code == '\n') {
            shown += "\\n";
        } else if (code == '\\') {
            shown += "\\\\";
        } else if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(path[start]));
            shown += escape;
            at = start + 1;
        } else {
            shown.append(path, start, at - start);
        }
    }
    return shown;
}

std::vector<std::string> sidecarPaths(const std::string& photoPath)
{
    const size_t slash = photoPath.rfind('/'), dot = photoPath.rfind('.');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                 ? photoPath.substr(0, dot) : photoPath;
    return {stem + ".xmp", stem + ".XMP", photoPath + ".xmp", photoPath + ".XMP"};
}

long long sidecarStamp(const std::string& photoPath)
{
    struct stat info;
    for (const std::string& path : sidecarPaths(photoPath))
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return 0;
}

std::string thumbnailName(unsigned number)
{
    std::string name = "t00000.jpg";
    for (int at = 5; at >= 1; --at, number /= 36)
        name[at] = digits[number % 36];
    return name;
}

bool thumbnailNumber(const std::string& name, unsigned* number)
{
    if (name.size() != 10 || name[0] != 't' || name.compare(6, 4, ".jpg") != 0)
        return false;
    unsigned value = 0;
    for (int at = 1; at <= 5; ++at) {
        const char c = name[at];
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return false;
        value = value * 36 + digit;
    }
    *number = value;
    return true;
}

}  // namespace photoindex
