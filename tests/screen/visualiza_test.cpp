#include "screenfixture.h"

#include <screen/screens.h>
#include <screen/tfrmvisualiza.h>

#include <QDir>
#include <QImage>
#include <QLabel>

class CustomerDisplay : public ScreenTest
{
protected:
    void TearDown() override
    {
        destroyFrmVisualiza();
        ScreenTest::TearDown();
    }

    void writePicture(const QString &relative)
    {
        QDir().mkpath(sitePath(QStringLiteral("Dados/Img")));
        QImage picture(20, 10, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        ASSERT_TRUE(picture.save(sitePath(relative), "JPG"));
    }

    bool hasPicture(TfrmVisualiza &display, int index)
    {
        return !display.findChild<QLabel *>(QStringLiteral("Image%1").arg(index))->pixmap().isNull();
    }
};

TEST_F(CustomerDisplay, ShowsCentredOnTheSecondMonitorWithZeroTotalAndWeight)
{
    Screens::setMonitors([] { return QList<QRect>{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}; });
    TfrmVisualiza &display = createFrmVisualiza();
    display.show();
    EXPECT_EQ(display.geometry(), QRect(2048, 128, 1024, 768));
    EXPECT_EQ(display.findChild<QLabel *>(QStringLiteral("lblVrTotal"))->text(), QStringLiteral("0,00"));
    EXPECT_EQ(display.findChild<QLabel *>(QStringLiteral("lblPeso"))->text(), QStringLiteral("0"));
    EXPECT_TRUE(display.cdsExtratoVisualiza.Active());
    EXPECT_EQ(display.cdsExtratoVisualiza.FieldCount(), 8);
    EXPECT_EQ(display.cdsExtratoVisualiza.Fields(0).FieldName(), QStringLiteral("DSITEM3"));
}

TEST_F(CustomerDisplay, WithoutPictureFolderThePicturesStayEmpty)
{
    TfrmVisualiza &display = createFrmVisualiza();
    display.show();
    for (int i = 1; i <= 3; ++i)
        EXPECT_FALSE(hasPicture(display, i)) << i;
}

TEST_F(CustomerDisplay, OnlyThePicturesPresentAreShown)
{
    writePicture(QStringLiteral("Dados/Img/img2.jpg"));
    TfrmVisualiza &display = createFrmVisualiza();
    display.show();
    EXPECT_FALSE(hasPicture(display, 1));
    EXPECT_TRUE(hasPicture(display, 2));
    EXPECT_FALSE(hasPicture(display, 3));
}
