// The About window's icon and link pointers are made from the bytes of their files: each must
// come out whole, a pointer with the hot spot its image was drawn for (the pen's tip, the finger).
#include <gtest/gtest.h>

#include "winapp/FileImage.h"

namespace quillmere {
namespace {

struct Image {
    const char* name;
    int resource;
    bool pointer;
    DWORD hotX, hotY;  // a pointer's
};

class FileImageTest : public testing::TestWithParam<Image> {};

TEST_P(FileImageTest, ComesOutWithItsHotSpot) {
    const Image& image = GetParam();
    HICON made = image.pointer ? FileImage::Cursor(image.resource, 0) : FileImage::Icon(image.resource, 16);
    ASSERT_NE(made, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(made, &info));
    EXPECT_EQ(info.fIcon, image.pointer ? FALSE : TRUE);
    if (image.pointer) {
        EXPECT_EQ(info.xHotspot, image.hotX);
        EXPECT_EQ(info.yHotspot, image.hotY);
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    DestroyIcon(made);
}

INSTANTIATE_TEST_SUITE_P(Resources, FileImageTest,
                         testing::Values(Image{"AboutIcon", FileImage::kAboutIcon, false, 0, 0},
                                         Image{"HandLetter", FileImage::kHandLetter, true, 3, 28},
                                         Image{"PointingHand", FileImage::kPointingHand, true, 10, 1}),
                         [](const testing::TestParamInfo<Image>& info) { return std::string(info.param.name); });

TEST(FileImage, MissingResourceGivesNone) {
    EXPECT_EQ(FileImage::Icon(999, 16), nullptr);
}

}  // namespace
}  // namespace quillmere
