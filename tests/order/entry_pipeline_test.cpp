// The product pipeline through its entries: price refusals, guards, desk checks, seats,
// all-you-can-eat, promotions, variable price, registration forms and the search.
#include "entryfixture.h"

#include <sale/salecontext.h>

namespace {

class EntryPipeline : public EntryTest
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        setProducts({{"100", "COXINHA", "1.1", "7891"}});
    }
};

struct PriceErrorCase
{
    const char *name;
    const char *code;
    const char *text;
};

void PrintTo(const PriceErrorCase &c, std::ostream *out)
{
    *out << c.name;
}

class EntryPriceError : public EntryPipeline, public ::testing::WithParamInterface<PriceErrorCase>
{
};

TEST_P(EntryPriceError, EachRefusalShowsItsMessage)
{
    prices.insert(QStringLiteral("100"), PriceRow{0, 0, 0, 0, QStringLiteral("N"), QString::fromLatin1(GetParam().code)});
    enter(QStringLiteral("100"));
    EXPECT_TRUE(registered.isEmpty());
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(lastMessage(), QString::fromUtf8(GetParam().text));
    EXPECT_EQ(messages->calls().last().kind, 3);
    EXPECT_EQ(caption("lblBuffer"), QString());
    EXPECT_FALSE(state().busy.boDigitacaoAux1);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, EntryPriceError,
    ::testing::Values(
        PriceErrorCase{"NoPrice", "PRECNCAD", "Preço do produto deve ser cadastrado.\r100 - COXINHA"},
        PriceErrorCase{"NoTable", "TABENCAD", "Tabela de preço deve ser parametrizada."},
        PriceErrorCase{"ClientTable", "DTCLI", "Não há tabela de preço do cliente vigente."},
        PriceErrorCase{"StandardTable", "DTPAR", "Não há tabela de preço padrão vigente."},
        PriceErrorCase{"StoreTable", "DTLOJ", "Não há tabela de preço da loja vigente."},
        PriceErrorCase{"ZeroPrice", "PRECZERO", "Preço do produto deve ser maior que zero."},
        PriceErrorCase{"Blocked", "BLOQUEADO", "Operação bloqueada. Produto indisponível no momento."},
        PriceErrorCase{"OutOfHours", "FORAHORA", "Operação bloqueada. Produto fora do horário permitido para venda."},
        PriceErrorCase{"AnyOther", "SEM CONEXAO", "SEM CONEXAO"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(EntryPipeline, ThePriceFunctionGetsTheHourWrittenFromTheClock)
{
    now = QDateTime(QDate(2024, 3, 5), QTime(9, 5, 0));
    state().editParams().stIDUTTABPRECLVDC = QStringLiteral("S");
    state().flags.boVendaDebito = false;
    enter(QStringLiteral("100"));
    const PriceRequest request = host->last(&Pkg_Hrk00002::ChamaFuncaoGetRetornaPreco);
    EXPECT_EQ(request.hora, QStringLiteral("0905"));
    EXPECT_EQ(request.cdProduto, QStringLiteral("100"));
    EXPECT_FALSE(request.vendaDebito);
    EXPECT_EQ(request.modoVenda, QStringLiteral("B"));
}

TEST_F(EntryPipeline, APlainItemIsRegisteredWithItsTwentySevenValues)
{
    prices.insert(QStringLiteral("100"), PriceRow{6.5, 0.3, 0.2, 1.0});
    ClientDataSet &printers = data().cdsPortaProd;
    printers.CreateDataSet();
    printers.Append();
    printers.FieldByName(QStringLiteral("CDLOJA")).SetAsString(QStringLiteral("01"));
    printers.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("100"));
    printers.FieldByName(QStringLiteral("CDPORIMPPROD")).SetAsString(QStringLiteral("COZ1"));
    printers.FieldByName(QStringLiteral("IDIMPCANITEM")).SetAsString(QStringLiteral("S"));
    printers.Post();
    state().totals.doQuantidade = 2;
    enter(QStringLiteral("100"));
    ASSERT_EQ(registered.size(), 1) << lastMessage().toStdString();
    PreenchePedidoArgs expected;
    expected.CDPRODUTO = expected.CDPRODPROMOCAO = QStringLiteral("100");
    expected.CDARVPROD = QStringLiteral("1.1");
    expected.NMPRODUTO = QStringLiteral("COXINHA");
    expected.VRPRECO = QStringLiteral("6,5");
    expected.VRDESCONTO = QStringLiteral("0,6");
    expected.VRACRESCIMO = QStringLiteral("0,4");
    expected.IDPESAPROD = QStringLiteral("N");
    expected.VRPRECOCLIE = QStringLiteral("1");
    expected.QTPRODCOMVEN = QStringLiteral("2");
    expected.SGUNIDADE = QStringLiteral("UN");
    expected.CDPORIMPPROD = QStringLiteral("COZ1");
    expected.IDIMPCANITEM = QStringLiteral("S");
    expected.IDIMPPRGRPROMO = QStringLiteral("N");
    EXPECT_EQ(describe(registered.last()), describe(expected));
    EXPECT_EQ(state().totals.doVrAcrComanda, 0.4);
}

TEST_F(EntryPipeline, EnterWhileAnItemIsOnItsRoadDoesNothing)
{
    state().busy.boDigitacaoAux1 = true;
    enter(QStringLiteral("100"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(caption("lblBuffer"), QStringLiteral("100"));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::ChamaFuncaoGetRetornaPreco), 0);
}

TEST_F(EntryPipeline, AnExhaustedColombianRangeRefusesWithBothBounds)
{
    state().editParams().stIDPAISINTEGRA = QStringLiteral("01");
    state().editParams().stNRCUPINIINTGCOL = QStringLiteral("1000");
    state().editParams().stNRCUPFININTGCOL = QStringLiteral("1999");
    colombianAnswer = QStringLiteral("CUPINV");
    enter(QStringLiteral("100"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), QStringLiteral("Operação Bloqueada. Não é possível gerar número sequencial do cupom. "
                                            "Intervalo dos cupons disponíveis é: 1000 até 1999."));
}

TEST_F(EntryPipeline, AHeldColombianNumberIsNotRequestedAgain)
{
    state().editParams().stIDPAISINTEGRA = QStringLiteral("01");
    state().till.stNrCupomReservado = QStringLiteral("001500");
    enter(QStringLiteral("100"));
    EXPECT_EQ(colombianCalls, 0);
    EXPECT_EQ(registered.size(), 1);
}

TEST_F(EntryPipeline, ASeatWhoseBillWasAskedForRefusesEvenAConsultation)
{
    state().host.stModoVenda = QStringLiteral("M");
    state().table.inPosicaoGrid = 3;
    state().screen.boConsultaPreco = true;
    seatFree = false;
    enter(QStringLiteral("100"));
    EXPECT_EQ(seatsAsked, QStringList{QStringLiteral("03")});
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("A posição 03 esta com a Conta Solicitada")));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::CriaConsultaProd), 0);
}

TEST_F(EntryPipeline, APriceConsultationShowsThePriceAndRegistersNothing)
{
    state().screen.boConsultaPreco = true;
    enter(QStringLiteral("100"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(host->last(&Pkg_Hrk00002::CriaConsultaProd).cdArvProd, QStringLiteral("1.1"));
    EXPECT_EQ(caption("lblBuffer"), QString());
}

TEST_F(EntryPipeline, ACancelledVariablePriceKeepsTheTablePrice)
{
    prices.insert(QStringLiteral("100"), PriceRow{8, 0, 0, 0, QStringLiteral("S")});
    enter(QStringLiteral("100"));
    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(registered.last().VRPRECO, QStringLiteral("8"));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::TecladoNumerico).title, QStringLiteral("Venda de Produto"));
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, QStringLiteral("9,90")});
    enter(QStringLiteral("100"));
    EXPECT_EQ(registered.last().VRPRECO, QStringLiteral("9,90"));
}

// ---- all-you-can-eat and promotions --------------------------------------------------------

class EntryPromotion : public EntryTest
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        host->setDefault(&Pkg_Hrk00002::CriaPromocaoInteligente, true);
    }
    void fillComponents(int count)
    {
        host->handle(&Pkg_Hrk00002::CriaPromocaoInteligente,
                     [count](const SmartPromotionRequest &, SmartPromotionDatasets &d) {
                         ClientDataSet &aux = d.cdsItPromoCombAux;
                         aux.CreateDataSet();
                         for (int i = 1; i <= count; ++i) {
                             aux.Append();
                             aux.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("C%1").arg(i));
                             aux.FieldByName(QStringLiteral("NMPRODUTO")).SetAsString(QStringLiteral("PARTE %1").arg(i));
                             aux.FieldByName(QStringLiteral("CDPRODVENDA")).SetAsString(QStringLiteral("700"));
                             aux.FieldByName(QStringLiteral("NRSEQ")).SetAsString(QStringLiteral("00%1").arg(i));
                             aux.FieldByName(QStringLiteral("VRUNVENDAEST")).SetAsFloat(5);
                             aux.FieldByName(QStringLiteral("QTPRODVEND")).SetAsFloat(1);
                             aux.Post();
                         }
                         return true;
                     });
    }
};

TEST_F(EntryPromotion, AllYouCanEatEndsWithTheTablesTime)
{
    state().host.stModoVenda = QStringLiteral("M");
    state().editParams().stHRTEMPOROD = QStringLiteral("0130");
    setProducts({{"800", "RODIZIO", "8.0", "", "", "N", "", "UN", "", "6"}});
    state().startup.dtAberturaMesa = now.addSecs(-89 * 60);
    enter(QStringLiteral("800"));
    EXPECT_EQ(registered.size(), 1) << lastMessage().toStdString();
    state().startup.dtAberturaMesa = now.addSecs(-91 * 60);
    enter(QStringLiteral("800"));
    EXPECT_EQ(registered.size(), 1);
    EXPECT_EQ(lastMessage(), QStringLiteral("Operação bloqueada. Tempo de duração do rodízio esgotado."));
}

TEST_F(EntryPromotion, AllYouCanEatIsOneUnitPerSeat)
{
    state().host.stModoVenda = QStringLiteral("M");
    state().editParams().stIDLUGARMESA = QStringLiteral("S");
    setProducts({{"800", "RODIZIO", "8.0", "", "", "N", "", "UN", "", "6"}});
    state().totals.doQuantidade = 2;
    enter(QStringLiteral("800"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), QStringLiteral("Não pode ser vendida mais de 1 unidade do produto rodízio por posição da mesa."));
    EXPECT_EQ(state().totals.doQuantidade, 1.0);
}

TEST_F(EntryPromotion, APromotionOutsideItsDatesShowsBothDates)
{
    setProducts({{"700", "COMBO", "7.0", "", "", "N", "", "UN", "", "3", "01/02/2024", "04/03/2024"}});
    enter(QStringLiteral("700"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), QStringLiteral("Operação bloqueada. Promoção fora do período de validade. "
                                            "Período de validade é de 01/02/2024 a 04/03/2024."));
}

TEST_F(EntryPromotion, AttachedComponentsStayWithTheProductsLine)
{
    setProducts({{"700", "COMBO", "7.0", "", "", "N", "", "UN", "1", "3"}});
    fillComponents(2);
    enter(QStringLiteral("700"));
    ASSERT_EQ(registered.size(), 1) << lastMessage().toStdString();
    EXPECT_EQ(registered.last().IDPROMOCAO, QStringLiteral("S"));
    EXPECT_EQ(registered.last().NRSEQPRODCOM, QStringLiteral("001"));
    ClientDataSet &kept = data().cdsItPromoComb;
    ASSERT_EQ(kept.RecordCount(), 2);
    kept.First();
    EXPECT_EQ(kept.FieldByName(QStringLiteral("NRSEQ")).AsString(), QStringLiteral("001"));
    EXPECT_EQ(kept.FieldByName(QStringLiteral("CDPRODUTO")).AsString(), QStringLiteral("C1"));
}

TEST_F(EntryPromotion, ARefusedLineKeepsNoComponents)
{
    setProducts({{"700", "COMBO", "7.0", "", "", "N", "", "UN", "1", "3"}});
    fillComponents(2);
    preenchePedidoHook() = [](SaleContext &, const PreenchePedidoArgs &) { return true; }; // adds no line
    enter(QStringLiteral("700"));
    EXPECT_EQ(data().cdsItPromoComb.RecordCount(), 0);
}

TEST_F(EntryPromotion, OtherPromotionsRegisterEachComponent)
{
    setProducts({{"700", "COMBO", "7.0", "", "", "N", "", "UN", "2", "3"}});
    fillComponents(2);
    enter(QStringLiteral("700"));
    ASSERT_EQ(registered.size(), 2) << lastMessage().toStdString();
    EXPECT_EQ(registered.at(0).CDPRODUTO, QStringLiteral("C1"));
    EXPECT_EQ(registered.at(1).CDPRODPROMOCAO, QStringLiteral("700"));
    EXPECT_EQ(registered.at(1).IDPROMOCAO, QStringLiteral("N"));
    EXPECT_EQ(registered.at(1).NRSEQPRODCOM, QStringLiteral("001"));
    EXPECT_EQ(registered.at(1).NRSEQPROMOOBS, QStringLiteral("002"));
}

TEST_F(EntryPromotion, ADeclinedPromotionSellsNothingAndSaysNothing)
{
    setProducts({{"700", "COMBO", "7.0", "", "", "N", "", "UN", "2", "3"}});
    host->setDefault(&Pkg_Hrk00002::CriaPromocaoInteligente, false);
    enter(QStringLiteral("700"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(messages->count(), 0);
    EXPECT_EQ(caption("lblBuffer"), QString());
}

// ---- the search entry ----------------------------------------------------------------------

class EntrySearch : public EntryPipeline
{
protected:
    void SetUp() override
    {
        EntryPipeline::SetUp();
        ServerSeams::current().lookupsProducts.getProdPesq = [](const QString &) {
            DataPacket packet;
            for (const char *name : {"CDPRODUTO", "NMPRODUTO", "CDARVPROD", "IDPESAPROD", "SGUNIDADE", "CDFAMILISALD"})
                packet.fields.append(FieldDef{QString::fromLatin1(name), FieldType::String, 50});
            packet.rows.append({QStringLiteral("100"), QStringLiteral("COXINHA"), QStringLiteral("1.1"),
                                QStringLiteral("N"), QStringLiteral("UN"), QStringLiteral("05")});
            return Variant(packet);
        };
        host->setDefault(&Pkg_Hrk00002::Pesquisa, true);
    }
};

TEST_F(EntrySearch, TheChosenProductIsSoldAndTheSearchLogged)
{
    button("spbPesquisa")->click();
    ASSERT_EQ(registered.size(), 1) << lastMessage().toStdString();
    EXPECT_EQ(registered.last().CDFAMILISALD, QStringLiteral("05"));
    const AccessLogRequest log = host->last(&Pkg_Hrk00002::LogControleAcess);
    EXPECT_EQ(log.action, QStringLiteral("PES_PRO"));
    EXPECT_EQ(log.text, QStringLiteral("Produto pesquisado: 100 - COXINHA"));
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

TEST_F(EntrySearch, NoChoiceEndsQuietly)
{
    host->setDefault(&Pkg_Hrk00002::Pesquisa, false);
    button("spbPesquisa")->click();
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(messages->count(), 0);
    EXPECT_TRUE(form->findChild<QWidget *>(QStringLiteral("panBalcao"))->isEnabledTo(form.get()));
}

TEST_F(EntrySearch, APriceConsultationIsLoggedAndSellsNothing)
{
    button("spbConsultaPreco")->setChecked(true);
    button("spbPesquisa")->click();
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::CriaConsultaProd), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::ChamaFuncaoGetRetornaPreco), 0);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::LogControleAcess).action, QStringLiteral("PES_PRO"));
}

TEST_F(EntrySearch, APriceRefusalNamesNoProduct)
{
    prices.insert(QStringLiteral("100"), PriceRow{0, 0, 0, 0, QStringLiteral("N"), QStringLiteral("PRECNCAD")});
    button("spbPesquisa")->click();
    EXPECT_EQ(lastMessage(), QStringLiteral("Preço do produto deve ser cadastrado."));
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

} // namespace
