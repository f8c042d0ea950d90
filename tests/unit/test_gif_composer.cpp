// GIF composition at the edges of the logical screen. Pure: built natively too.
#include <gtest/gtest.h>

#include <vector>

#include "GifAnimation.h"

// A frame that lies wholly off the screen, or has no pixels, draws nothing.
// Working out where its rows would start once stepped outside its pixels
// (undefined behaviour, even with nothing read there).
TEST(GifComposer, FramesOffTheScreenOrWithoutPixelsDrawNothing) {
    gif::Composer composer(4, 3);
    std::vector<std::uint32_t> out(12);
    gif::Frame red{0, 0, 4, 3, std::vector<std::uint32_t>(12, 0xFF0000FFu), gif::Disposal::Keep};
    composer.Compose(red, out.data());
    EXPECT_EQ(out, std::vector<std::uint32_t>(12, 0x000000FFu));

    gif::Frame past{9, 1, 2, 2, std::vector<std::uint32_t>(4, 0xFF00FF00u), gif::Disposal::Background};
    composer.Compose(past, out.data());
    EXPECT_EQ(out, std::vector<std::uint32_t>(12, 0x000000FFu));
    gif::Frame empty{1, 1, 0, 2, {}, gif::Disposal::Keep};
    composer.Compose(empty, out.data());  // the off-screen frame's disposal clears nothing
    EXPECT_EQ(out, std::vector<std::uint32_t>(12, 0x000000FFu));

    gif::Frame corner{3, 2, 2, 2, {0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u}, gif::Disposal::Keep};
    composer.Compose(corner, out.data());
    EXPECT_EQ(out[11], 0x0000FF00u);  // only the part on the screen
    EXPECT_EQ(out[10], 0x000000FFu);
}
