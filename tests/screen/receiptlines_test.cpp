#include "screenfixture.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <screen/screenshell.h>
#include <screen/tfrmvendacons.h>
#include <screen/tfrmvisualiza.h>

#include <QLabel>

#include <stdexcept>

namespace {

QStringList column(ClientDataSet &dataset, const char *field)
{
    QStringList values;
    const DataPacket packet = dataset.Data();
    for (int row = 0; row < packet.rows.size(); ++row)
        values << packet.value(row, QString::fromLatin1(field)).toString();
    return values;
}

} // namespace

class ReceiptLines : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        m_form = std::make_unique<TfrmVendaCons>();
        state().host.stModoVenda = QStringLiteral("B");
    }
    void TearDown() override
    {
        m_form.reset();
        ScreenTest::TearDown();
    }

    SaleState &state() { return m_form->state(); }
    ScreenShell &shell() { return m_form->context().shell(); }
    ClientDataSet &grid() { return m_form->datasets().cdsExtratoTemp; }
    QString label(const char *name) { return m_form->findChild<QLabel *>(QString::fromLatin1(name))->text(); }

    TfrmVisualiza &useDisplay()
    {
        TfrmVisualiza &display = createFrmVisualiza();
        state().startup.boExibeVisualiza = true;
        return display;
    }

    // One line of cdsItems as the receipt refresh leaves it current.
    void currentItem(const QString &promotion, const QString &weighed, const QString &seat)
    {
        ClientDataSet &items = m_form->datasets().cdsItems;
        items.Close();
        items.CreateDataSet();
        items.Append();
        items.FieldByName(QStringLiteral("CDPRODPROMOCAO")).SetAsString(promotion);
        items.FieldByName(QStringLiteral("IDPESAPROD")).SetAsString(weighed);
        items.FieldByName(QStringLiteral("NRLUGARMESA")).SetAsString(seat);
        items.FieldByName(QStringLiteral("DTINCLUSAO")).SetAsDateTime(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3)));
        items.Post();
    }

    std::unique_ptr<TfrmVendaCons> m_form;
};

TEST_F(ReceiptLines, FreeLineIsCutFor35OnTheGridAnd25OnTheDisplay)
{
    TfrmVisualiza &display = useDisplay();
    const QString text = QStringLiteral("TOTAL DO PEDIDO DA MESA 12 COM SERVIÇO");
    shell().Linha(text);
    EXPECT_EQ(column(grid(), "DSITEM"), QStringList{text.left(35)});
    EXPECT_EQ(column(display.cdsExtratoVisualiza, "DSITEM"), QStringList{text.left(25)});
}

TEST_F(ReceiptLines, FreeLineWithoutDisplayTouchesOnlyTheGrid)
{
    TfrmVisualiza &display = createFrmVisualiza();
    shell().Linha(QStringLiteral("PEDIDOS REALIZADOS"));
    EXPECT_EQ(grid().RecordCount(), 1);
    EXPECT_FALSE(display.cdsExtratoVisualiza.Active());
}

struct ItemCase
{
    const char *name;
    const char *promotion;
    const char *unitShown;
};

class ItemBlocks : public ReceiptLines, public ::testing::WithParamInterface<ItemCase>
{
};

TEST_P(ItemBlocks, TwoAtTenWithOneOffShowsUnitAndTotal)
{
    TfrmVisualiza &display = useDisplay();
    currentItem(QString::fromLatin1(GetParam().promotion), QStringLiteral("N"), QStringLiteral("2"));
    shell().LinhaEx1(QStringLiteral("1.01.005"), QStringLiteral("REFRIGERANTE LATA 350ML GELADO"),
                     QStringLiteral("001"), QString(), QStringLiteral("2"), QStringLiteral("10"),
                     QStringLiteral("0"));
    shell().LinhaEx2(QStringLiteral("2"), QStringLiteral("10"), QStringLiteral("0"), QStringLiteral("001"),
                     true, QStringLiteral("2"), QStringLiteral("UN"), 1.0, 0.0,
                     QStringLiteral("SEM GELO E COM LIMÃO, POR FAVOR, BEM GELADO"));

    const QString unit = QString::fromLatin1(GetParam().unitShown);
    EXPECT_EQ(column(grid(), "DSITEM"),
              QStringList({QStringLiteral("1.01.005"), QStringLiteral("REFRIGERANTE LATA 350ML G"),
                           QStringLiteral("UN - 00002 X ") + unit + QStringLiteral("            19,00"),
                           QStringLiteral("Horário: 09:07:03 "),
                           QStringLiteral("SEM GELO E COM LIMÃO, POR FAVO"), QString(43, QLatin1Char('-'))}));
    EXPECT_EQ(column(grid(), "NRSEQ"), QStringList(6, QStringLiteral("001")));
    EXPECT_EQ(column(grid(), "STVALOR").at(2), QStringLiteral("10"));
    EXPECT_EQ(column(grid(), "STQTDE").at(0), QStringLiteral("2"));
    EXPECT_EQ(column(display.cdsExtratoVisualiza, "DSITEM2").at(0), QStringLiteral("2 X 10,00"));
    EXPECT_EQ(column(display.cdsExtratoVisualiza, "DSITEM3").at(0), QStringLiteral("20,00"));
    EXPECT_EQ(column(display.cdsExtratoVisualiza, "DSITEM").at(1), QString(25, QLatin1Char('-')));
}

INSTANTIATE_TEST_SUITE_P(Items, ItemBlocks,
                         ::testing::Values(ItemCase{"Plain", "", "9,50"}, ItemCase{"Promotion", "0900", "10,00"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReceiptLines, TableModeAddsTheSeatAndAnEmptyObservationWritesNoLine)
{
    state().host.stModoVenda = QStringLiteral("M");
    currentItem(QString(), QStringLiteral("N"), QStringLiteral("3"));
    shell().LinhaEx2(QStringLiteral("1"), QStringLiteral("5,5"), QStringLiteral("0"), QStringLiteral("002"),
                     false, QStringLiteral("3"), QStringLiteral("UN"), 0.0, 0.0, QString());
    EXPECT_EQ(column(grid(), "DSITEM"),
              QStringList({QStringLiteral("UN - 00001 X 5,50             5,50"),
                           QStringLiteral("Horário: 09:07:03 Posição: 3"), QString(43, QLatin1Char('-'))}));
}

TEST_F(ReceiptLines, QuantityThatIsNoNumberIsRefused)
{
    currentItem(QString(), QStringLiteral("N"), QString());
    EXPECT_THROW(shell().LinhaEx1(QStringLiteral("1"), QStringLiteral("X"), QStringLiteral("001"), QString(),
                                  QStringLiteral("dois"), QStringLiteral("1"), QStringLiteral("0")),
                 std::invalid_argument);
}

struct TicketCase
{
    const char *name;
    const char *answer;
    const char *average;
    const char *count;
};

class TicketAverage : public ReceiptLines, public ::testing::WithParamInterface<TicketCase>
{
};

TEST_P(TicketAverage, StandardFooterShowsTheHostsFigures)
{
    state().editParams().stIDEXIBTICCUP = QStringLiteral("S");
    m_form->findChild<QLabel *>(QStringLiteral("lblValTicketMedio"))->setText(QStringLiteral("antes"));
    m_form->findChild<QLabel *>(QStringLiteral("lblValQuantCupom"))->setText(QStringLiteral("antes"));
    host->setDefault(&Pkg_Hrk00002::CalcTicketMedio, TextAnswer{true, QString::fromLatin1(GetParam().answer), {}});
    shell().RestauraRodape(QStringLiteral("1"), QString());
    EXPECT_EQ(label("lblValTicketMedio"), QString::fromUtf8(GetParam().average));
    EXPECT_EQ(label("lblValQuantCupom"), QString::fromUtf8(GetParam().count));
    EXPECT_TRUE(m_form->findChild<QLabel *>(QStringLiteral("lblTicketMedio"))->isVisibleTo(m_form.get()));
}

INSTANTIATE_TEST_SUITE_P(Texts, TicketAverage,
                         ::testing::Values(TicketCase{"Both", "25,5-12", "R$ 25,50", "12,000"},
                                           TicketCase{"NoDash", "12", "antes", "12,000"},
                                           TicketCase{"NoAverage", "-7", "antes", "7,000"},
                                           TicketCase{"NoCount", "30-", "R$ 30,00", "antes"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReceiptLines, StandardFooterNamesBranchStoreDeskAndOperator)
{
    Parameters &params = state().editParams();
    params.stCDFILIAL = QStringLiteral("0001");
    params.stNMFILIAL = QStringLiteral("Centro");
    params.stCDLOJA = QStringLiteral("01");
    params.stCDCAIXA = QStringLiteral("003");
    params.stCDEMPRESA = QStringLiteral("10");
    params.stNMRAZSOCEMPR = QStringLiteral("Cantina Boa Ltda");
    state().rights.stNMOPERADOR = QStringLiteral("MARIA");
    shell().RestauraRodape(QStringLiteral("1"), QString());
    EXPECT_EQ(label("lblFilialCaixa"), QStringLiteral("Filial: 0001 Centro - Loja: 01 - Caixa: 003 - MARIA"));
    EXPECT_EQ(label("lblEmpresa"), QStringLiteral("Empresa: 10 Cantina Boa Ltda"));
    EXPECT_TRUE(label("lblCodTela").startsWith(QStringLiteral("KAL51000")));
    EXPECT_FALSE(m_form->findChild<QLabel *>(QStringLiteral("lblRodape"))->isVisibleTo(m_form.get()));
    EXPECT_FALSE(m_form->findChild<QLabel *>(QStringLiteral("lblTicketMedio"))->isVisibleTo(m_form.get()));
}

TEST_F(ReceiptLines, FreeFooterHidesTheStandardLabels)
{
    shell().RestauraRodape(QStringLiteral("2"), QStringLiteral("Consumidor 4455 - JOSE"));
    EXPECT_EQ(label("lblRodape"), QStringLiteral("Consumidor 4455 - JOSE"));
    EXPECT_TRUE(m_form->findChild<QLabel *>(QStringLiteral("lblRodape"))->isVisibleTo(m_form.get()));
    EXPECT_FALSE(m_form->findChild<QLabel *>(QStringLiteral("lblFilialCaixa"))->isVisibleTo(m_form.get()));
}

TEST_F(ReceiptLines, ClosingTheFormEmptiesReceiptAndDisplay)
{
    TfrmVisualiza &display = useDisplay();
    display.show();
    shell().Linha(QStringLiteral("X"));
    display.findChild<QLabel *>(QStringLiteral("lblVrTotal"))->setText(QStringLiteral("12,00"));
    m_form->Close();
    EXPECT_FALSE(grid().Active());
    EXPECT_FALSE(display.cdsExtratoVisualiza.Active());
    EXPECT_EQ(display.findChild<QLabel *>(QStringLiteral("lblVrTotal"))->text(), QStringLiteral("0,00"));
}

TEST_F(ReceiptLines, ClosingWithTheDisplayOffLeavesTheDisplayAlone)
{
    TfrmVisualiza &display = createFrmVisualiza();
    display.cdsExtratoVisualiza.CreateDataSet();
    display.findChild<QLabel *>(QStringLiteral("lblVrTotal"))->setText(QStringLiteral("12,00"));
    m_form->Close();
    EXPECT_TRUE(display.cdsExtratoVisualiza.Active());
    EXPECT_EQ(display.findChild<QLabel *>(QStringLiteral("lblVrTotal"))->text(), QStringLiteral("12,00"));
}
