#include "Jpeg.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h refers to FILE
#include <cstring>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg reports errors through a callback that must not return. It jumps
// back to DecodeInto's setjmp; only libjpeg's C frames lie in between, so no
// C++ destructor is skipped. The C++ exception is thrown after the jump.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings that only describe odd header details; every other warning
// means the picture data is damaged or incomplete.
bool IsHarmlessWarning(int code) {
    return code == JWRN_ADOBE_XFORM || code == JWRN_JFIF_MAJOR || code == JWRN_BOGUS_ICC ||
           code == JWRN_EXTRANEOUS_DATA;
}

void EmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0) {
        if (!IsHarmlessWarning(cinfo->err->msg_code)) JumpOnError(cinfo);
        cinfo->err->num_warnings++;
    }
}

void DiscardMessage(j_common_ptr) {}

// Adobe writes CMYK inverted (0 = full ink); others write it plain.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted) {
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) { c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k; }
        bgr[0] = static_cast<std::uint8_t>(y * k / 255);
        bgr[1] = static_cast<std::uint8_t>(m * k / 255);
        bgr[2] = static_cast<std::uint8_t>(c * k / 255);
    }
}

// Frees libjpeg's memory on every way out of DecodeInto (also when a
// vector allocation throws). Safe before jpeg_create_decompress as long as
// `mem` is null.
struct DecompressGuard {
    jpeg_decompress_struct* cinfo;
    ~DecompressGuard() { jpeg_destroy_decompress(cinfo); }
};

// Decodes with libjpeg; returns false with the message filled in when
// libjpeg gave up. The longjmp lands in this frame, so the guard and the
// caller's objects are neither skipped nor destroyed twice.
bool DecodeInto(const unsigned char* data, unsigned long size, JpegImage& image,
                std::vector<std::uint8_t>& cmykRow, ErrorManager& errors) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.emit_message = EmitMessage;
    errors.base.output_message = DiscardMessage;
    errors.message[0] = '\0';
    DecompressGuard guard{&cinfo};
    if (setjmp(errors.jump)) return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    if (static_cast<unsigned long long>(cinfo.image_width) * cinfo.image_height > kMaxJpegPixels) {
        std::snprintf(errors.message, sizeof errors.message, "JPEG picture too large (%ux%u)",
                      cinfo.image_width, cinfo.image_height);
        return false;
    }
    // Progressive pictures buffer every coefficient; keep that bounded too.
    cinfo.mem->max_memory_to_use = 512L * 1024 * 1024;

    jpeg_start_decompress(&cinfo);
    image.width = static_cast<int>(cinfo.output_width);
    image.height = static_cast<int>(cinfo.output_height);
    image.progressive = cinfo.progressive_mode != 0;
    image.bgr.resize(image.Stride() * cinfo.output_height);
    if (cmyk) cmykRow.resize(static_cast<std::size_t>(cinfo.output_width) * 4);
    const bool inverted = cinfo.saw_Adobe_marker != 0;

    while (cinfo.output_scanline < cinfo.output_height) {
        std::uint8_t* target = image.bgr.data() + image.Stride() * cinfo.output_scanline;
        JSAMPROW row = cmyk ? cmykRow.data() : target;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) ERREXIT(&cinfo, JERR_INPUT_EOF);
        if (cmyk) CmykRowToBgr(cmykRow.data(), target, image.width, inverted);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

bool LooksLikeJpeg(const void* data, std::size_t size) noexcept {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return data && size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

JpegImage DecodeJpeg(const void* data, std::size_t size) {
    if (!data || size == 0) throw EJpegError("JPEG data is empty");
    if (size > 0xFFFFFFFFu) throw EJpegError("JPEG data too large");
    JpegImage image;
    std::vector<std::uint8_t> cmykRow;
    ErrorManager errors;
    if (!DecodeInto(static_cast<const unsigned char*>(data), static_cast<unsigned long>(size), image,
                    cmykRow, errors))
        throw EJpegError(std::string("JPEG error: ") + errors.message);
    return image;
}
