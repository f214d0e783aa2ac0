// LibRaw 0.20 knows one preview a file (no preview list): the one
// unpack_thumb returns. Its pixels are copied into libvips' memory, so no
// LibRaw buffer outlives this file's calls.
#include "photos/RawPreview.h"

#include <libraw/libraw.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "photos/PhotoGate.h"

namespace {

// LibRaw's sizes.flip as an EXIF orientation: 3 is half a turn, 5 a quarter
// anticlockwise, 6 a quarter clockwise.
int orientationOfFlip(int flip)
{
    return flip == 3 ? 3 : flip == 5 ? 8 : flip == 6 ? 6 : 1;
}

// Releases LibRaw's handle however the reading ends; the file's bytes,
// which LibRaw reads in place, go after it.
struct Raw {
    std::vector<unsigned char> file;
    libraw_data_t* data = libraw_init(0);
    libraw_processed_image_t* preview = nullptr;
    ~Raw()
    {
        if (preview)
            libraw_dcraw_clear_mem(preview);
        if (data)
            libraw_close(data);
    }
};

RawPreview without(std::string problem)
{
    RawPreview preview;
    preview.problem = std::move(problem);
    return preview;
}

// What the preview's size allows, before and after unpacking.
std::string sizeProblem(uint32_t width, uint32_t height)
{
    if (std::max(width, height) < uint32_t(minRawPreviewSide))
        return "its preview of " + std::to_string(width) + " x " + std::to_string(height) + " is smaller than " +
               std::to_string(minRawPreviewSide) + " px: no preview to show";
    if (uint64_t(width) * height * 3 > photoDecodeBudgetBytes)
        return "its preview of " + std::to_string(width) + " x " + std::to_string(height) + " is too large";
    return "";
}

VipsImage* imageOf(const libraw_processed_image_t& preview, std::string* problem)
{
    VipsImage* image = nullptr;
    if (preview.type == LIBRAW_IMAGE_BITMAP) {
        *problem = preview.bits == 8 && preview.colors == 3 ? sizeProblem(preview.width, preview.height)
                                                            : std::string("its preview is not 8-bit RGB");
        if (problem->empty())
            image = vips_image_new_from_memory_copy(preview.data, preview.data_size, preview.width, preview.height,
                                                    3, VIPS_FORMAT_UCHAR);
        return image;
    }
    const PhotoHeader header = readPhotoHeader(preview.data, preview.data_size);
    *problem = preview.type != LIBRAW_IMAGE_JPEG || header.kind != PhotoKind::Jpeg ? std::string("its preview is not a JPEG")
                                                                                   : photoProblem(header);
    if (problem->empty())
        *problem = sizeProblem(header.width, header.height);
    VipsImage* loaded = nullptr;
    if (problem->empty() && vips_jpegload_buffer(const_cast<unsigned char*>(preview.data), preview.data_size,
                                                 &loaded, nullptr) == 0) {
        // Decoded now: the buffer is LibRaw's and goes with it.
        image = vips_image_copy_memory(loaded);
        g_object_unref(loaded);
    }
    return image;
}

// The whole file, within the decode budget; false when it is larger,
// empty or cannot be read.
bool readWhole(int fd, std::vector<unsigned char>* bytes)
{
    struct stat about {};
    if (fstat(fd, &about) != 0 || about.st_size <= 0 || uint64_t(about.st_size) > photoDecodeBudgetBytes)
        return false;
    bytes->resize(static_cast<size_t>(about.st_size));
    size_t done = 0;
    while (done < bytes->size()) {
        const ssize_t got = pread(fd, bytes->data() + done, bytes->size() - done, static_cast<off_t>(done));
        if (got <= 0)
            return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

}  // namespace

bool isRawName(const std::string& name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || name.find('/', dot) != std::string::npos)
        return false;
    for (const char* raw : {"dng", "cr2", "cr3", "nef", "arw", "raf", "orf", "rw2", "pef"})
        if (strcasecmp(name.c_str() + dot + 1, raw) == 0)
            return true;
    return false;
}

const char* const notRawProblem = "not a RAW image LibRaw reads";

RawPreview openRawPreview(int fd)
{
    Raw raw;
    // A file too large to be a RAW we read goes to the gate by its content.
    if (!readWhole(fd, &raw.file) || !raw.data || libraw_open_buffer(raw.data, raw.file.data(), raw.file.size()) != LIBRAW_SUCCESS)
        return without(notRawProblem);
    // Where LibRaw knows the preview's size before unpacking it, it is
    // checked then; the bytes to unpack are bounded either way. LibRaw 0.20
    // tells the preview's format only once it is unpacked.
    const libraw_thumbnail_t& thumbnail = raw.data->thumbnail;
    if (thumbnail.twidth != 0 && thumbnail.theight != 0) {
        const std::string problem = sizeProblem(thumbnail.twidth, thumbnail.theight);
        if (!problem.empty())
            return without(problem);
    }
    if (thumbnail.tlength > photoDecodeBudgetBytes)
        return without("its preview is too large");
    int failed = 0;
    if (thumbnail.tlength == 0 || libraw_unpack_thumb(raw.data) != LIBRAW_SUCCESS ||
        (thumbnail.tformat != LIBRAW_THUMBNAIL_JPEG && thumbnail.tformat != LIBRAW_THUMBNAIL_BITMAP) ||
        (raw.preview = libraw_dcraw_make_mem_thumb(raw.data, &failed)) == nullptr)
        return without("it holds no JPEG or bitmap preview");
    RawPreview preview;
    preview.image = imageOf(*raw.preview, &preview.problem);
    if (!preview.image) {
        vips_error_clear();
        if (preview.problem.empty())
            preview.problem = "its preview cannot be read";
        return preview;
    }
    vips_image_set_int(preview.image, VIPS_META_ORIENTATION, orientationOfFlip(raw.data->sizes.flip));
    preview.taken = raw.data->other.timestamp;
    return preview;
}
