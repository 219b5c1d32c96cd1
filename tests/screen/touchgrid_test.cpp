// The touch grid through clicks on the form: group pages and their bounds, group clicks,
// product pages and their bounds, captions, sizes and colours as the configuration stores
// them.
#include <order/productbuttonfixture.h>

#include <screen/touchbutton.h>

#include <QFont>
#include <QFontMetrics>
#include <QLabel>

namespace {

const char *white = "16777215";
const char *blue = "16711680"; // Windows colour value: blue in the high byte

class TouchGrid : public ButtonTest
{
protected:
    void SetUp() override
    {
        ButtonTest::SetUp();
        setGroups({{"01", "1", "2", "LANCHES", "10", "0", blue},
                   {"02", "1", "2", "BEBIDAS", "", "255", white},
                   {"12", "1", "7", "ignored", "", "0", white},
                   {"01", "2", "2", "DOCES", "", "0", white},
                   {"02", "2", "2", "NADA", "", "0", white},
                   {"11", "2", "8", "", "", "0", white},
                   {"12", "2", "7", "", "", "0", white}});
        setButtons({{"01", "01", "1", "1", "1", "COXINHA", "100"},
                    {"02", "01", "1", "1", "1", "PASTEL", "101", "N", "", "11"},
                    {"36", "01", "1", "1", "9", "", ""},
                    {"01", "01", "2", "1", "1", "EMPADA", "102"},
                    {"31", "01", "2", "1", "A", "", ""},
                    {"01", "02", "1", "1", "1", "SUCO", "200"},
                    {"01", "01", "1", "2", "1", "BRIGADEIRO", "300"}});
        setPages({"2"}, {{"01", "1", "2"}, {"02", "1", "1"}, {"01", "2", "1"}});
        drawGrid();
    }
    QString menu() { return form->findChild<QLabel *>(QStringLiteral("lblMenu"))->text(); }
    // Everything a page turn may change, as one text.
    QString gridState()
    {
        return QStringLiteral("group page %1, group %2, product page %3 | %4 | %5")
            .arg(state().screen.inPaginaGrupo)
            .arg(state().screen.stBalcaoAux1)
            .arg(state().screen.inPaginaProduto)
            .arg(shown("tcbGrupo", 12).join(QLatin1Char(',')), shown("tcbBalcao", 36).join(QLatin1Char(',')));
    }
};

TEST_F(TouchGrid, StartUpShowsTheFirstGroupPageAndTheFirstGroupsProducts)
{
    EXPECT_EQ(shown("tcbGrupo", 12), (QStringList{"1:LANCHES", "2:BEBIDAS", "12:>>"}));
    EXPECT_EQ(shown("tcbBalcao", 36), (QStringList{"1:COXINHA", "2:PASTEL", "36:>>"}));
    EXPECT_EQ(menu(), QStringLiteral("LANCHES"));
}

TEST_F(TouchGrid, CaptionSizeAndColoursComeFromTheRow)
{
    const QString lanches = grid(QStringLiteral("tcbGrupo01"))->styleSheet();
    EXPECT_TRUE(lanches.contains(QStringLiteral("background-color: #0000ff"))) << lanches.toStdString();
    EXPECT_TRUE(lanches.contains(QStringLiteral("font-size: 10pt"))) << lanches.toStdString();
    const QString bebidas = grid(QStringLiteral("tcbGrupo02"))->styleSheet();
    EXPECT_TRUE(bebidas.contains(QStringLiteral("color: #ff0000"))) << bebidas.toStdString();
    // An empty size is 8; the page buttons are drawn larger.
    EXPECT_TRUE(bebidas.contains(QStringLiteral("font-size: 8pt"))) << bebidas.toStdString();
    EXPECT_TRUE(grid(QStringLiteral("tcbGrupo12"))->styleSheet().contains(QStringLiteral("font-size: 13pt")));
    EXPECT_TRUE(grid(QStringLiteral("tcbBalcao02"))->styleSheet().contains(QStringLiteral("font-size: 11pt")));
    EXPECT_TRUE(grid(QStringLiteral("tcbBalcao36"))->styleSheet().contains(QStringLiteral("font-size: 12pt")));
}

TEST_F(TouchGrid, AGroupClickShowsItsNameAndOnlyItsProducts)
{
    click(QStringLiteral("tcbGrupo02"));
    EXPECT_EQ(menu(), QStringLiteral("BEBIDAS"));
    EXPECT_EQ(state().screen.stBalcaoAux1, QStringLiteral("02"));
    EXPECT_EQ(shown("tcbBalcao", 36), QStringList{"1:SUCO"});
}

TEST_F(TouchGrid, NextGroupPageShowsItsGroupsAndTheProductsOfItsFirstGroup)
{
    click(QStringLiteral("tcbGrupo12"));
    EXPECT_EQ(gridState(), QStringLiteral("group page 2, group 01, product page 1 | 1:DOCES,2:NADA,11:<<,12:>> | 1:BRIGADEIRO"));
    EXPECT_EQ(menu(), QStringLiteral("DOCES"));
    click(QStringLiteral("tcbGrupo11"));
    EXPECT_EQ(gridState(), QStringLiteral("group page 1, group 01, product page 1 | 1:LANCHES,2:BEBIDAS,12:>> | "
                                          "1:COXINHA,2:PASTEL,36:>>"));
}

TEST_F(TouchGrid, NextOnTheLastGroupPageChangesNothing)
{
    click(QStringLiteral("tcbGrupo12"));
    click(QStringLiteral("tcbGrupo02"));
    const QString before = gridState();
    click(QStringLiteral("tcbGrupo12"));
    EXPECT_EQ(gridState(), before);
    EXPECT_EQ(before, QStringLiteral("group page 2, group 02, product page 1 | 1:DOCES,2:NADA,11:<<,12:>> | "));
}

TEST_F(TouchGrid, PreviousOnTheFirstGroupPageChangesNothing)
{
    setGroups({{"01", "1", "2", "LANCHES", "", "0", white}, {"11", "1", "8", "", "", "0", white}});
    form->context().shell().MontaConfigGrupo(true);
    click(QStringLiteral("tcbGrupo01"));
    const QString before = gridState();
    click(QStringLiteral("tcbGrupo11"));
    EXPECT_EQ(gridState(), before);
}

TEST_F(TouchGrid, WithoutAPageCountTheGroupTableBoundsTheGroupPages)
{
    setPages({}, {{"01", "1", "2"}});
    click(QStringLiteral("tcbGrupo12"));
    EXPECT_EQ(state().screen.inPaginaGrupo, 2);
    click(QStringLiteral("tcbGrupo12"));
    EXPECT_EQ(state().screen.inPaginaGrupo, 2);
    EXPECT_EQ(shown("tcbGrupo", 12), (QStringList{"1:DOCES", "2:NADA", "11:<<", "12:>>"}));
}

TEST_F(TouchGrid, AFirstRowThatIsAPageButtonLeavesTheMenuEmpty)
{
    setGroups({{"12", "1", "7", "", "", "0", white}, {"01", "1", "2", "LANCHES", "", "0", white}});
    form->context().shell().MontaConfigGrupo(true);
    EXPECT_EQ(menu(), QString());
    EXPECT_EQ(shown("tcbGrupo", 12), (QStringList{"1:LANCHES", "12:>>"}));
}

TEST_F(TouchGrid, AnEmptyGroupTableShowsNoButtonAndNoMenu)
{
    setGroups({});
    form->context().shell().MontaConfigGrupo(true);
    EXPECT_EQ(menu(), QString());
    EXPECT_TRUE(shown("tcbGrupo", 12).isEmpty());
}

TEST_F(TouchGrid, ProductPagesStopAtTheLastAndTheFirst)
{
    click(QStringLiteral("tcbBalcao36"));
    EXPECT_EQ(gridState(), QStringLiteral("group page 1, group 01, product page 2 | 1:LANCHES,2:BEBIDAS,12:>> | "
                                          "1:EMPADA,31:<<"));
    // A ">>" on the last page (here drawn by hand) keeps the page and the buttons.
    state().screen.inPaginaProduto = 3;
    form->context().shell().MontaConfigProduto(false, QStringLiteral("01"));
    EXPECT_EQ(gridState(), QStringLiteral("group page 1, group 01, product page 2 | 1:LANCHES,2:BEBIDAS,12:>> | "
                                          "1:EMPADA,31:<<"));
    click(QStringLiteral("tcbBalcao31"));
    click(QStringLiteral("tcbBalcao31"));
    EXPECT_EQ(state().screen.inPaginaProduto, 1);
    EXPECT_TRUE(registered.isEmpty());
}

TEST_F(TouchGrid, AGroupWithoutAPageCountPagesOnAndAnEmptyPageShowsNothing)
{
    setPages({"2"}, {});
    click(QStringLiteral("tcbBalcao36"));
    click(QStringLiteral("tcbBalcao31"));
    click(QStringLiteral("tcbBalcao36"));
    state().screen.inPaginaProduto = 5;
    form->context().shell().MontaConfigProduto(false, QStringLiteral("01"));
    EXPECT_EQ(state().screen.inPaginaProduto, 5);
    EXPECT_TRUE(shown("tcbBalcao", 36).isEmpty());
}

TEST_F(TouchGrid, ALongCaptionIsWrappedNotCut)
{
    setButtons({{"01", "01", "1", "1", "1", "PRATO FEITO DE FRANGO GRELHADO", "100"}});
    form->context().shell().MontaConfigProduto(false, QStringLiteral("01"));
    QPushButton *button = grid(QStringLiteral("tcbBalcao01"));
    EXPECT_EQ(button->text().split(QLatin1Char('\n')).join(QLatin1Char(' ')), QStringLiteral("PRATO FEITO DE FRANGO GRELHADO"));
    EXPECT_GT(button->text().count(QLatin1Char('\n')), 0);
    const QFontMetrics metrics(QFont(QStringLiteral("Arial"), 6, QFont::Bold));
    for (const QString &line : button->text().split(QLatin1Char('\n')))
        EXPECT_LE(metrics.horizontalAdvance(line), button->width()) << line.toStdString();
}

TEST_F(TouchGrid, TheWindowsColourValueKeepsRedInTheLowByte)
{
    EXPECT_EQ(colorFromBgr(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(colorFromBgr(0xB09090), QColor(0x90, 0x90, 0xB0));
}

} // namespace
