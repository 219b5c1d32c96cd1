// The dialogs of order entry: take-away over the sale's own lines, buy-and-win over a
// campaign's prizes, and the automatic tab's confirmation panel.
#include "orderfixture.h"

#include <order/orderentry.h>
#include <order/tfrmcampcompganhe.h>
#include <order/tfrmpraviagem.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/pkg_hrk00002.h>
#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include <deque>

namespace {

// ---- take-away ----------------------------------------------------------------------------------

class TakeAway : public OrderTest
{
protected:
    void threeLines()
    {
        for (const char *code : {"100", "101", "102"})
            ASSERT_TRUE(sell(item(code, QStringLiteral("PRODUTO ") + code, "5,00")));
    }
    QStringList marks(const char *field) { return column(data().cdsItems, field); }
};

struct OriginCase
{
    const char *mode;
    const char *origin;
};

class TakeAwayOrigin : public TakeAway, public ::testing::WithParamInterface<OriginCase>
{
};

TEST_P(TakeAwayOrigin, ConfirmMarksExactlyTheTickedLinesWithTheModesOrigin)
{
    threeLines();
    TfrmPraViagem dialog;
    dialog.InicializaForm(data().cdsItems, QString::fromLatin1(GetParam().mode));
    dialog.dbgProdutoTitleClick(0); // tick all
    ASSERT_EQ(dialog.ticked(), 3);
    data().cdsItems.SetRecNo(2);
    dialog.dbgProdutoDblClick(); // untick the second
    EXPECT_EQ(dialog.ticked(), 2);
    dialog.sbtConfirmarClick();

    const QString origin = QString::fromLatin1(GetParam().origin);
    EXPECT_EQ(marks("IDPARAVIAGEM"), (QStringList{"S", "N", "S"}));
    EXPECT_EQ(marks("IDORIGEMVENDA"), (QStringList{origin, "", origin}));
    EXPECT_EQ(marks("IDCHECK"), (QStringList{"U", "U", "U"}));
    EXPECT_TRUE(shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Modes, TakeAwayOrigin,
                         ::testing::Values(OriginCase{"M", "TGO_MES"}, OriginCase{"B", "TGO_BAL"}, OriginCase{"C", ""}),
                         [](const auto &info) { return std::string(info.param.mode); });

TEST_F(TakeAway, ClosingWithoutConfirmingKeepsEveryMark)
{
    threeLines();
    {
        TfrmPraViagem dialog;
        dialog.InicializaForm(data().cdsItems, QStringLiteral("M"));
        data().cdsItems.SetRecNo(1);
        dialog.dbgProdutoDblClick();
        dialog.sbtConfirmarClick();
    }
    TfrmPraViagem dialog;
    dialog.InicializaForm(data().cdsItems, QStringLiteral("M"));
    dialog.dbgProdutoTitleClick(0);
    dialog.sbtSairClick();
    EXPECT_EQ(marks("IDPARAVIAGEM"), (QStringList{"S", "N", "N"}));
    EXPECT_EQ(marks("IDORIGEMVENDA"), (QStringList{"TGO_MES", "", ""}));
    EXPECT_EQ(marks("IDCHECK"), (QStringList{"C", "C", "C"})); // until the next opening
}

TEST_F(TakeAway, ConfirmOrUndoWithNothingTickedIsRefusedAndChangesNothing)
{
    threeLines();
    TfrmPraViagem dialog;
    dialog.InicializaForm(data().cdsItems, QStringLiteral("B"));
    data().cdsItems.SetRecNo(3);
    dialog.dbgProdutoDblClick();
    dialog.sbtConfirmarClick();
    dialog.sbtDesfazerClick(); // nothing ticked again: the mark stays
    dialog.sbtConfirmarClick();
    EXPECT_EQ(shown(), (QStringList{"Produto deve ser informado.", "Produto deve ser informado."}));
    EXPECT_EQ(marks("IDPARAVIAGEM"), (QStringList{"N", "N", "S"}));

    data().cdsItems.SetRecNo(3);
    dialog.dbgProdutoDblClick();
    dialog.sbtDesfazerClick();
    EXPECT_EQ(marks("IDPARAVIAGEM"), (QStringList{"N", "N", "N"}));
    EXPECT_EQ(marks("IDORIGEMVENDA"), (QStringList{"", "", ""}));
}

TEST_F(TakeAway, AnEmptySaleRefusesConfirmAndTheArrowsDoNothing)
{
    TfrmPraViagem dialog;
    dialog.InicializaForm(data().cdsItems, QStringLiteral("B"));
    dialog.sbtProximoClick();
    dialog.sbtAnteriorClick();
    dialog.sbtConfirmarClick();
    EXPECT_EQ(shown(), QStringList{"Produto deve ser informado."});
}

TEST_F(TakeAway, TheScreensButtonOpensTheDialogOverTheSalesLines)
{
    threeLines();
    QTimer::singleShot(0, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QAbstractButton *>(QStringLiteral("sbtSair"))->click();
    });
    order().ProdParaViagem(QStringLiteral("B"));
    EXPECT_EQ(marks("IDCHECK"), (QStringList{"U", "U", "U"}));
}

// ---- buy-and-win --------------------------------------------------------------------------------

struct Prize
{
    QString code, name;
    double price;
    QString kind = QStringLiteral("0");
};

class BuyAndWin : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        if (HasFatalFailure())
            return;
        host->handle(&Pkg_Hrk00002::ChamaFuncaoGetRetornaPreco, [this](const PriceRequest &request, ClientDataSet &row) {
            priceRequests.append(request);
            if (!row.Active())
                row.CreateDataSet();
            row.EmptyDataSet();
            row.Append();
            for (const Prize &p : prizes)
                if (p.code == request.cdProduto)
                    row.FieldByName(QStringLiteral("VRPRECO")).SetAsFloat(p.price);
            row.Post();
            return PriceAnswer{true, QString(), Variant()};
        });
        host->handle(&Pkg_Hrk00002::Pesquisa, [this](const SearchRequest &, ClientDataSet &rows) {
            if (searches.empty())
                return false;
            const QString code = searches.front();
            searches.pop_front();
            return rows.Locate(QStringLiteral("CDPRODUTO"), code);
        });
        host->handle(&Pkg_Hrk00002::TecladoNumerico, [this](const KeypadRequest &request) {
            keypadTitles.append(request.title);
            if (keypad.empty())
                return KeypadAnswer{false, QString()};
            const QString value = keypad.front();
            keypad.pop_front();
            return KeypadAnswer{true, value};
        });
        prizes = {{"P1", "SUCO DE LIMAO", 8.90}, {"P2", "SUCO DE ABACAXI", 10.00}, {"P3", "SOBREMESA", 10.01},
                  {"P4", "SEM PRECO", 0.0}};
    }

    QList<Variant> values(double allowed, double ceiling = 10.00)
    {
        DataPacket list;
        for (const char *f : {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "IDTIPOCOMPPROD", "IDIMPPRODUTO"})
            list.fields.append({QString::fromLatin1(f), FieldType::String, 50});
        for (const Prize &p : prizes)
            list.rows.append({p.code, "A" + p.code, p.name, p.kind, "1"});
        return {Variant(list), "02003", "PICANHA", "CG01", "DOIS SUCOS", allowed,
                QDateTime(QDate(2024, 1, 1), QTime(0, 0)), "0001", "01", "000001", "", ceiling};
    }

    // Chooses `code` with the keypad answers given, as the search button does.
    void choose(TfrmCampCompGanhe &dialog, const QString &code, const QStringList &answers)
    {
        searches.push_back(code);
        for (const QString &a : answers)
            keypad.push_back(a);
        dialog.findChild<QAbstractButton *>(QStringLiteral("btnPesqProd"))->click();
    }

    QList<Prize> prizes;
    QList<PriceRequest> priceRequests;
    std::deque<QString> searches;
    std::deque<QString> keypad;
    QStringList keypadTitles;
};

TEST_F(BuyAndWin, OneMorePrizeFitsTheAllowanceAndOneAndAHalfDoesNot)
{
    TfrmCampCompGanhe dialog(context());
    dialog.InicializaForm(values(2));
    choose(dialog, "P1", {"1"});
    choose(dialog, "P2", {"1,5"});
    EXPECT_EQ(shown(), QStringList{"Operação bloqueada. Escolha até 2 prêmio(s)."});
    choose(dialog, "P2", {"1"});
    EXPECT_EQ(column(dialog.cdsItens, "CDPRODUTO"), (QStringList{"P1", "P2"}));
    EXPECT_EQ(column(dialog.cdsItens, "NRSEQ"), (QStringList{"001", "002"}));
    EXPECT_EQ(column(dialog.cdsItens, "CDCAMPANHA"), (QStringList{"CG01", "CG01"}));
}

struct CeilingCase
{
    const char *name;
    const char *prize;
    bool accepted;
    const char *message;
};

class PrizeCeiling : public BuyAndWin, public ::testing::WithParamInterface<CeilingCase>
{
};

TEST_P(PrizeCeiling, APrizeDearerThanTheProductBoughtIsRefused)
{
    TfrmCampCompGanhe dialog(context());
    dialog.InicializaForm(values(2, 10.00));
    choose(dialog, QString::fromLatin1(GetParam().prize), {"1"});
    EXPECT_EQ(dialog.cdsItens.RecordCount(), GetParam().accepted ? 1 : 0);
    const QString message = QString::fromUtf8(GetParam().message);
    EXPECT_EQ(shown(), message.isEmpty() ? QStringList{} : QStringList{message});
}

INSTANTIATE_TEST_SUITE_P(
    Prices, PrizeCeiling,
    ::testing::Values(CeilingCase{"below", "P1", true, ""}, CeilingCase{"equal", "P2", true, ""},
                      CeilingCase{"centAbove", "P3", false,
                                  "Operação bloqueada. O preço do brinde não pode ser superior ao preço do produto "
                                  "adquirido na compra. Preço Máximo: R$ 10,00"},
                      CeilingCase{"noPrice", "P4", false, "Preço do produto deve ser cadastrado."}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BuyAndWin, AQuantityThatIsNoNumberOrNotAboveZeroIsAskedAgain)
{
    TfrmCampCompGanhe dialog(context());
    dialog.InicializaForm(values(2));
    choose(dialog, "P1", {"abc", "0", "-1", "2"});
    EXPECT_EQ(keypadTitles.size(), 4);
    EXPECT_EQ(keypadTitles.first(), "Resgate de Prêmios");
    EXPECT_EQ(column(dialog.cdsItens, "QTPRODCOMVEN"), QStringList{"2"});
}

TEST_F(BuyAndWin, FewerPrizesThanAllowedCannotBeConfirmed)
{
    TfrmCampCompGanhe dialog(context());
    dialog.InicializaForm(values(2));
    auto *confirm = dialog.findChild<QAbstractButton *>(QStringLiteral("btnConfirma"));
    EXPECT_FALSE(confirm->isEnabled());
    choose(dialog, "P1", {"1"});
    EXPECT_TRUE(confirm->isEnabled());
    confirm->click();
    EXPECT_FALSE(dialog.confirmed());
    EXPECT_EQ(shown(), QStringList{"Operação bloqueada. Escolha até 2 prêmio(s)."});
    choose(dialog, "P2", {"1"});
    confirm->click();
    EXPECT_TRUE(dialog.confirmed());
    EXPECT_DOUBLE_EQ(dialog.totalPremios(), 0.02);
}

TEST_F(BuyAndWin, RemovingTheLastPrizeStartsTheNumberingAgain)
{
    TfrmCampCompGanhe dialog(context());
    dialog.InicializaForm(values(3));
    choose(dialog, "P1", {"1"});
    choose(dialog, "P2", {"1"});
    dialog.btnCancProdClick();
    dialog.btnCancProdClick();
    EXPECT_TRUE(dialog.cdsItens.IsEmpty());
    EXPECT_FALSE(dialog.findChild<QAbstractButton *>(QStringLiteral("btnCancProd"))->isEnabled());
    choose(dialog, "P2", {"1"});
    EXPECT_EQ(column(dialog.cdsItens, "NRSEQ"), QStringList{"001"});
}

// Painting the list reads the price of each row shown again and again; the host's price
// function runs once per prize, at the opening, at the hour and minute of the clock.
TEST_F(BuyAndWin, EachPrizeIsPricedOncePerOpening)
{
    TfrmCampCompGanhe dialog(context());
    dialog.InicializaForm(values(2));
    for (int pass = 0; pass < 5; ++pass)
        for (dialog.cdsProduto.First(); !dialog.cdsProduto.Eof(); dialog.cdsProduto.Next())
            (void)dialog.cdsProduto.FieldByName(QStringLiteral("VRPRECO")).AsFloat();
    EXPECT_EQ(priceRequests.size(), prizes.size());
    ASSERT_FALSE(priceRequests.isEmpty());
    EXPECT_EQ(priceRequests.first().hora, "1430");
    EXPECT_EQ(priceRequests.first().cdFilial, "0001");
    EXPECT_EQ(priceRequests.first().cdLoja, "01");
    EXPECT_EQ(priceRequests.first().cdClienteVenda, "000001");
    dialog.cdsProduto.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("P3"));
    EXPECT_DOUBLE_EQ(dialog.cdsProduto.FieldByName(QStringLiteral("VRPRECO")).AsFloat(), 10.01);
}

TEST_F(BuyAndWin, TheEntryGetsTheChoiceOnlyWhenConfirmed)
{
    QTimer::singleShot(0, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QAbstractButton *>(QStringLiteral("sbtSair"))->click();
    });
    Variant answer = Variant::array(10);
    const Variant confirmed = order().CriaCampCompGanhe(values(1), answer);
    EXPECT_FALSE(confirmed.toBool());
    EXPECT_DOUBLE_EQ(answer.at(3).toDouble(), 0.0);
    EXPECT_TRUE(answer.at(0).isPacket());
}

// ---- the automatic tab's panel -----------------------------------------------------------------

class AutomaticTab : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        if (HasFatalFailure())
            return;
        state().host.stModoVenda = QStringLiteral("C");
        state().editParams().stIdTpTelaVe = QStringLiteral("A");
    }
    QWidget *panel() { return form().findChild<QWidget *>(QStringLiteral("panMsgComanda")); }
    QTimer *tick() { return form().findChild<QTimer *>(QStringLiteral("timComandaAuto")); }
};

TEST_F(AutomaticTab, AnItemShowsThePanelAndArmsTheTickOnlyOnceThePanelHides)
{
    form().show();
    ASSERT_TRUE(sell(item("100", "CAFE", "4,00")));
    ASSERT_NE(panel(), nullptr);
    ASSERT_NE(tick(), nullptr);
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->size(), QSize(583, 150));
    EXPECT_EQ(panel()->pos(), QPoint(qRound(form().width() / 2.0 - 291.5), qRound(form().height() / 2.0 - 75)));
    EXPECT_FALSE(tick()->isActive());
    EXPECT_FALSE(form().findChild<QWidget *>(QStringLiteral("spbVender"))->isEnabled());

    auto *hide = panel()->findChild<QTimer *>(QStringLiteral("panMsgComandaTimer"));
    ASSERT_NE(hide, nullptr);
    EXPECT_EQ(hide->interval(), 3000);
    QMetaObject::invokeMethod(hide, "timeout");
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_TRUE(tick()->isActive());
    EXPECT_EQ(tick()->interval(), 1000);
}

TEST_F(AutomaticTab, ARefusedProductArmsNothing)
{
    state().editParams().stCDPRODCMDAUTO = QStringLiteral("99999");
    form().dispatch([&] { order().VendaComandaAuto(); });
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(tick()->isActive());
    EXPECT_EQ(shown().size(), 1); // the product entry's own refusal
}

TEST_F(AutomaticTab, OtherModesOrLayoutsShowNoPanel)
{
    state().editParams().stIdTpTelaVe = QStringLiteral("1");
    ASSERT_TRUE(sell(item("100", "CAFE", "4,00")));
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(tick()->isActive());
}

} // namespace
