// Which files are photos, which paths the library file can hold, and the
// names of the thumbnails written beside it.
#pragma once

#include <string>
#include <vector>

namespace photoindex {

// What a file is by its name's extension, in any case: a photo (JPEG, PNG,
// HEIF/HEIC/AVIF, WebP, TIFF, GIF), a camera's RAW, a video, or anything else.
enum class FileRole { photo, raw, video, other };
FileRole fileRoleOfName(const std::string& name);
bool isPhotoName(const std::string& name);

// Why path cannot go into the library ("" when it can): invalid UTF-8 would
// make the whole file unreadable, and a control character would name another file.
std::string pathProblem(const std::string& path);

// path with control characters and bytes outside ASCII written as escapes,
// safe to print on a terminal.
std::string printable(const std::string& path);

// Where photo managers put a photo's XMP sidecar, in the order looked for:
// IMG_1234.xmp and IMG_1234.JPG.xmp (either case of .xmp).
std::vector<std::string> sidecarPaths(const std::string& photoPath);
// The modification time in nanoseconds of the first sidecar that exists; 0: none.
long long sidecarStamp(const std::string& photoPath);

// "t" and five base-36 digits ".jpg": ten characters, so every reader of the
// library format loads it. number must be below maxThumbnails.
constexpr unsigned maxThumbnails = 36u * 36 * 36 * 36 * 36;
std::string thumbnailName(unsigned number);
// The number of a name thumbnailName makes, or false.
bool thumbnailNumber(const std::string& name, unsigned* number);

}  // namespace photoindex
