// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ConverterEngine.h"
#include "widgets/EnginePicture.h"

#include <gtest/gtest.h>

using namespace pellavan;

TEST(EnginePicture, CopiesThePixelsAndRefusesWhatCannotBeRead)
{
    PicturePtr p(AllocatePicture(3, 2));
    ASSERT_TRUE(p);
    for (int i = 0; i < p->stride / 4 * p->height; ++i)
        p->pixels[i] = 0xFF000000u | uint32_t(i);
    const QImage image = PictureImage(p.get());
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixel(2, 1), 0xFF000000u | uint32_t(p->stride / 4 + 2));
    // The copy outlives the picture.
    p->pixels[0] = 0xFFFFFFFFu;
    EXPECT_EQ(image.pixel(0, 0), 0xFF000000u);

    EXPECT_TRUE(PictureImage(nullptr).isNull());
    p->stride = 8;   // rows shorter than three pixels
    EXPECT_TRUE(PictureImage(p.get()).isNull());
    p->stride = 12;
    p->height = 0;
    EXPECT_TRUE(PictureImage(p.get()).isNull());
}
