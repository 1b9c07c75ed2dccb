#include "serial/open_port_error_picture.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace trelvo {
namespace {

int CountPixels(const QImage& image, QRect area, bool (*match)(QRgb)) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += match(image.pixel(x, y)) ? 1 : 0;
    return n;
}

bool Reddish(QRgb c) {
    return qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90;
}
bool Dark(QRgb c) {
    return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80;
}

TEST(OpenPortErrorPicture, IsA24BitPictureOfTheDesignSize) {
    const QImage image = DrawOpenPortErrorPicture();
    EXPECT_EQ(image.size(), QSize(599, 499));
    EXPECT_EQ(image.depth(), 24);
}

TEST(OpenPortErrorPicture, LetteringAboveAFigureAndTheSameEveryTime) {
    const QImage image = DrawOpenPortErrorPicture();
    const QRect lettering(0, 0, 599, 176), figure(0, 198, 599, 301);
    EXPECT_GT(CountPixels(image, lettering, Reddish), 2000);
    EXPECT_LT(CountPixels(image, lettering, Dark), 50);
    EXPECT_GT(CountPixels(image, figure, Dark), 2000);
    EXPECT_EQ(image, DrawOpenPortErrorPicture());
}

} // namespace
} // namespace trelvo

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
