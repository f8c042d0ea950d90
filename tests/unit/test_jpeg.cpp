// JPEG decoding: the progressive about picture from the resources, baseline,
// grey and CMYK pictures made here with libjpeg's encoder, and bad data.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <jpeglib.h>

#include "Jpeg.h"

namespace {

std::vector<std::uint8_t> ResourceBytes(const char* name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, name, RT_RCDATA);
    if (!resource) return {};
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, resource)));
    return {data, data + SizeofResource(module, resource)};
}

struct Bgr {
    int b, g, r;
};

// Expects the decoded pixel within `tolerance` of the colour in every channel.
void ExpectPixel(const JpegImage& image, int x, int y, Bgr want, int tolerance = 12) {
    const std::uint8_t* p = image.Row(y) + 3 * x;
    EXPECT_NEAR(p[0], want.b, tolerance) << "blue at " << x << "," << y;
    EXPECT_NEAR(p[1], want.g, tolerance) << "green at " << x << "," << y;
    EXPECT_NEAR(p[2], want.r, tolerance) << "red at " << x << "," << y;
}

// Encodes `samples` (rows top-down, `components` bytes per pixel in the
// given colour space) with libjpeg itself.
std::vector<std::uint8_t> Encode(int width, int height, int components, J_COLOR_SPACE space,
                                 const std::vector<std::uint8_t>& samples, bool progressive = false) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i)  // no chroma subsampling
        cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<std::uint8_t*>(samples.data()) +
                       static_cast<std::size_t>(cinfo.next_scanline) * width * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// A 16x16 picture of four flat 8x8 quadrants, one colour each.
std::vector<std::uint8_t> Quadrants(const std::vector<std::vector<std::uint8_t>>& colours) {
    const std::size_t components = colours[0].size();
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const auto& c = colours[(y / 8) * 2 + x / 8];
            samples.insert(samples.end(), c.begin(), c.begin() + static_cast<std::ptrdiff_t>(components));
        }
    return samples;
}

}  // namespace

TEST(Jpeg, AboutPictureIsProgressiveAndDecodesItsColourAreas) {
    const auto bytes = ResourceBytes("ABOUT_JPEG");
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(LooksLikeJpeg(bytes.data(), bytes.size()));

    const JpegImage image = DecodeJpeg(bytes.data(), bytes.size());
    EXPECT_TRUE(image.progressive);
    ASSERT_EQ(image.width, 156);
    ASSERT_EQ(image.height, 213);
    ASSERT_EQ(image.bgr.size(), 156u * 213u * 3u);

    const Bgr white{255, 255, 255}, yellow{0, 220, 255}, blue{200, 90, 0}, black{0, 0, 0};
    ExpectPixel(image, 4, 4, white);
    ExpectPixel(image, 150, 6, white);
    ExpectPixel(image, 52, 25, yellow);   // forehead of the upper face
    ExpectPixel(image, 112, 95, yellow);  // forehead of the lower face
    ExpectPixel(image, 39, 44, black, 40);  // left eye of the upper face
    ExpectPixel(image, 96, 195, blue);    // body of the paper plane
}

TEST(Jpeg, BaselineColourPictureKeepsQuadrantsInBlueGreenRedOrder) {
    const auto jpeg =
        Encode(16, 16, 3, JCS_RGB, Quadrants({{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}));
    const JpegImage image = DecodeJpeg(jpeg.data(), jpeg.size());
    EXPECT_FALSE(image.progressive);
    ASSERT_EQ(image.width, 16);
    ASSERT_EQ(image.height, 16);
    ExpectPixel(image, 3, 3, {0, 0, 255});      // red, top left
    ExpectPixel(image, 12, 3, {0, 255, 0});     // green, top right
    ExpectPixel(image, 3, 12, {255, 0, 0});     // blue, bottom left
    ExpectPixel(image, 12, 12, {255, 255, 255});
}

TEST(Jpeg, ProgressiveGreyAndCmykPicturesComeOutAsBgr) {
    const auto grey = Encode(16, 16, 1, JCS_GRAYSCALE, Quadrants({{0}, {80}, {160}, {255}}), true);
    const JpegImage greyImage = DecodeJpeg(grey.data(), grey.size());
    EXPECT_TRUE(greyImage.progressive);
    ExpectPixel(greyImage, 12, 3, {80, 80, 80});
    ExpectPixel(greyImage, 3, 12, {160, 160, 160});

    // libjpeg marks CMYK with an Adobe marker, whose ink values are inverted
    // (255 = no ink): no ink is white, full yellow ink leaves red and green.
    const auto cmyk = Encode(
        16, 16, 4, JCS_CMYK,
        Quadrants({{255, 255, 255, 255}, {255, 255, 0, 255}, {255, 255, 255, 0}, {0, 255, 255, 255}}));
    const JpegImage cmykImage = DecodeJpeg(cmyk.data(), cmyk.size());
    ExpectPixel(cmykImage, 3, 3, {255, 255, 255});
    ExpectPixel(cmykImage, 12, 3, {0, 255, 255});  // yellow
    ExpectPixel(cmykImage, 3, 12, {0, 0, 0});      // full black ink
    ExpectPixel(cmykImage, 12, 12, {255, 255, 0}); // full cyan ink
}

TEST(Jpeg, EmptyAndForeignDataRaise) {
    const std::uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0};
    EXPECT_FALSE(LooksLikeJpeg(png, sizeof png));
    EXPECT_FALSE(LooksLikeJpeg(png, 0));
    EXPECT_THROW(DecodeJpeg(png, sizeof png), EJpegError);
    EXPECT_THROW(DecodeJpeg(png, 0), EJpegError);
    EXPECT_THROW(DecodeJpeg(nullptr, 10), EJpegError);
    const std::uint8_t onlyStart[] = {0xFF, 0xD8};
    EXPECT_TRUE(LooksLikeJpeg(onlyStart, sizeof onlyStart));
    EXPECT_THROW(DecodeJpeg(onlyStart, sizeof onlyStart), EJpegError);
}

TEST(Jpeg, EveryTruncationOfTheAboutPictureRaises) {
    const auto bytes = ResourceBytes("ABOUT_JPEG");
    ASSERT_GT(bytes.size(), 1000u);
    // Cut points across headers, scans and the final marker.
    for (std::size_t cut = 1; cut < bytes.size(); cut += (cut < 700 || cut + 64 > bytes.size()) ? 7 : 211) {
        SCOPED_TRACE(cut);
        EXPECT_THROW(DecodeJpeg(bytes.data(), cut), EJpegError);
    }
}

TEST(Jpeg, DamagedDataRaisesOrDecodesButNeverCrashes) {
    const auto bytes = ResourceBytes("ABOUT_JPEG");
    ASSERT_FALSE(bytes.empty());

    // A frame header claiming a zero height cannot be decoded.
    auto zeroHeight = Encode(16, 16, 3, JCS_RGB, Quadrants({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}}));
    for (std::size_t i = 2; i + 9 < zeroHeight.size(); ++i)
        if (zeroHeight[i] == 0xFF && zeroHeight[i + 1] == 0xC0) {
            zeroHeight[i + 5] = zeroHeight[i + 6] = 0;
            break;
        }
    EXPECT_THROW(DecodeJpeg(zeroHeight.data(), zeroHeight.size()), EJpegError);

    // Random damage: whatever libjpeg makes of it, the call returns or raises.
    std::mt19937 random(20240601);
    int raised = 0;
    for (int round = 0; round < 200; ++round) {
        auto damaged = bytes;
        for (int hits = 0; hits < 6; ++hits)
            damaged[2 + random() % (damaged.size() - 2)] = static_cast<std::uint8_t>(random());
        try {
            const JpegImage image = DecodeJpeg(damaged.data(), damaged.size());
            EXPECT_EQ(image.bgr.size(), image.Stride() * static_cast<std::size_t>(image.height));
        } catch (const EJpegError& error) {
            EXPECT_FALSE(error.Message().empty());
            ++raised;
        }
    }
    EXPECT_GT(raised, 0);
}
