#include <support/saleformfixture.h>

#include <consumer/badgesale_p.h>
#include <consumer/consumersale.h>
#include <order/itemargs.h>
#include <outside/pkg_hrk0000_common.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/tfrmvendacons.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include <memory>

// The badge consumer sale through the sale form: badge, chooser, kind set-up, balance lines
// and the service's products; the host's search and statement services are fakes, the
// server functions the test's base or scripted seams.

namespace {

struct Column
{
    const char *name;
    FieldType type;
};

DataPacket packet(const QList<Column> &columns, const QList<QList<Variant>> &rows)
{
    ClientDataSet set;
    for (const Column &c : columns)
        set.FieldDefs().Add(QString::fromLatin1(c.name), c.type, c.type == FieldType::String ? 30 : 0);
    set.CreateDataSet();
    for (const QList<Variant> &row : rows) {
        set.Append();
        for (int i = 0; i < row.size(); ++i)
            set.FieldByName(QString::fromLatin1(columns[i].name)).SetValue(row[i]);
        set.Post();
    }
    return set.Data();
}

ConsumerSearchAnswer consumer1001(const QString &kinds = QStringLiteral("1"))
{
    ConsumerSearchAnswer a;
    a.found = true;
    a.stCDCONSUMIDOR = QStringLiteral("000101");
    a.stNmConsumidor = QStringLiteral("JOSÉ CARLOS OLIVEIRA");
    a.stCdClienteVenda = QStringLiteral("000002");
    a.stNrCracha = QStringLiteral("1001");
    a.stCDTIPOCONS = QStringLiteral("01");
    a.stCartaoAux2 = kinds;
    return a;
}

} // namespace

class BadgeSale : public SaleFormTest
{
protected:
    void SetUp() override
    {
        SaleFormTest::SetUp();
        Parameters &p = state().editParams();
        p.stCDFILIAL = QStringLiteral("0001");
        p.stCDLOJA = QStringLiteral("01");
        p.stCDCAIXA = QStringLiteral("001");
        p.stIDSALDEXTDEBCON = QStringLiteral("N");
        state().host.stModoVenda = QStringLiteral("B");
        state().startup.stTipoVendaAux1 = QStringLiteral("N");
        receiptKinds({{"010", "A", "07", "S"}, {"009", "9", "06", "S"}});
        Seam::Consumers consumers;
        consumers.getGastCons = [](auto &&...) { return Variant(0.0); };
        consumers.getGastConsLoja = [](auto &&...) { return Variant(0.0); };
        consumers.getGastoConsMes = [](auto &&...) { return Variant(0.0); };
        consumers.getSaldoCons = [](auto &&...) {
            return Variant(packet({{"VRSALDOCONS", FieldType::Double}}, {{Variant(12.5)}}));
        };
        consumers.getVrSubsBasicoCons = [](auto &&...) { return Variant(5.0); };
        consumers.getVrSubsBasico = [](auto &&...) { return Variant(15.0); };
        consumers.getConsumidor = [this](auto &&...) { return Variant(released); };
        consumers.GetNmTipoCons = [](auto &&...) { return QStringLiteral("FUNCIONÁRIO"); };
        consumers.setAtualizaDebCons = [](auto &&...) { return Variant(); };
        consumers.getConsSaldFam = [](auto &&...) {
            return Variant(packet({{"CDFAMILISALD", FieldType::String}, {"NMFAMILISALD", FieldType::String},
                                   {"VRSALDCONFAM", FieldType::Double}},
                                  {{Variant(QStringLiteral("LAN")), Variant(QStringLiteral("LANCHES E BEBIDAS")), Variant(45.5)},
                                   {Variant(QStringLiteral("REF")), Variant(QStringLiteral("REFEIÇÃO")), Variant(180.0)}}));
        };
        consumers.getSaldoCred = [](auto &&...) {
            return Variant(packet({{"VRSALDCONFAM", FieldType::Double}}, {{Variant(180.0)}}));
        };
        consumers.getMinDtMovExtCons = [](auto &&...) {
            return Variant(packet({{"DTMOVEXTCONS", FieldType::DateTime}}, {}));
        };
        m_consumers = std::make_unique<ScopedTable<Seam::Consumers>>(consumers);
        Seam::LookupsTills tills;
        tills.getBloqFimSemana = [this](auto &&...) { return weekendBlocked; };
        m_tills = std::make_unique<ScopedTable<Seam::LookupsTills>>(tills);
        if (QAbstractButton *badge = context().button(FormName::spbCartao))
            badge->setEnabled(true);
    }

    void TearDown() override
    {
        m_tills.reset();
        m_consumers.reset();
        SaleFormTest::TearDown();
    }

    void receiptKinds(const QList<QStringList> &rows)
    {
        QList<QList<Variant>> values;
        for (const QStringList &r : rows)
            values.append({Variant(r[0]), Variant(r[1]), Variant(r[2]), Variant(r[3]), Variant(QStringLiteral("N"))});
        data().cdsConfTipoRece.SetData(packet({{"CDTIPORECE", FieldType::String}, {"IDTIPORECE", FieldType::String},
                                               {"CDFPIMPFIS", FieldType::String}, {"IDMOSTRARECE", FieldType::String},
                                               {"IDHABVENDAMAN", FieldType::String}},
                                              values));
    }

    void altKey(int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::AltModifier, QString());
        QApplication::sendEvent(form.get(), &event);
    }

    // Clicks a chooser button once the chooser waits.
    void chooseLater(QLatin1StringView button)
    {
        QTimer::singleShot(0, form.get(), [this, button] {
            if (QAbstractButton *b = context().button(button))
                b->click();
        });
    }

    QStringList receiptLines()
    {
        QStringList lines;
        ClientDataSet &grid = data().cdsExtratoTemp;
        if (!grid.Active())
            return lines;
        for (grid.First(); !grid.Eof(); grid.Next())
            lines << grid.FieldByName(QStringLiteral("DSITEM")).AsString();
        return lines;
    }

    QString cashierLine() { return context().label(FormName::lblMensagemCaixa) ? context().label(FormName::lblMensagemCaixa)->text() : QString(); }

    QString released = QStringLiteral("S");
    QString weekendBlocked = QStringLiteral("N");
    std::unique_ptr<ScopedTable<Seam::Consumers>> m_consumers;
    std::unique_ptr<ScopedTable<Seam::LookupsTills>> m_tills;
};

TEST_F(BadgeSale, DebitSaleShowsTheSubsidyLineAndTheDebitCashierLine)
{
    host->setDefault(&Pkg_Hrk00002::PesqConsumidor, consumer1001());
    altKey(Qt::Key_P);
    const SaleState &s = state();
    EXPECT_TRUE(s.flags.boVendaDebito);
    EXPECT_TRUE(s.flags.boModoCartao);
    EXPECT_EQ(s.consumer.stTipoVendaCons, QStringLiteral("1"));
    EXPECT_EQ(s.host.stCdConsumidorVenda, QStringLiteral("000101"));
    EXPECT_EQ(s.figures.doSaldoCons, 12.5);
    const QStringList lines = receiptLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Subsídio Restante   10,00"));
    EXPECT_EQ(lines[1], QString(35, QLatin1Char('-')));
    EXPECT_EQ(cashierLine(), QStringLiteral("DÉBITO CONSUMIDOR"));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::PesqConsumidor).prompt, QStringLiteral("Passe o crachá"));
}

TEST_F(BadgeSale, SecondPressWithoutAReceiptFreesTheTill)
{
    host->setDefault(&Pkg_Hrk00002::PesqConsumidor, consumer1001());
    altKey(Qt::Key_P);
    ASSERT_TRUE(state().flags.boVendaDebito);
    altKey(Qt::Key_P);
    EXPECT_FALSE(state().flags.boVendaDebito);
    EXPECT_FALSE(state().flags.boModoCartao);
    EXPECT_EQ(cashierLine(), QStringLiteral("CAIXA LIVRE"));
    EXPECT_TRUE(state().consumer.stCDCONSUMIDOR.isEmpty());
}

TEST_F(BadgeSale, UnknownBadgeLeavesAFreeTillWithNothingSet)
{
    host->setDefault(&Pkg_Hrk00002::PesqConsumidor, ConsumerSearchAnswer{});
    altKey(Qt::Key_P);
    EXPECT_FALSE(state().flags.boModoCartao);
    EXPECT_FALSE(state().flags.boVendaDebito || state().flags.boCreditoPessoal || state().flags.boVendaVista);
    EXPECT_TRUE(state().consumer.stCDCONSUMIDOR.isEmpty());
    EXPECT_EQ(cashierLine(), QStringLiteral("CAIXA LIVRE"));
}

TEST_F(BadgeSale, ConsumerNotReleasedIsRefusedAndTheSaleReset)
{
    state().editParams().stIDUTCONFCADCONS = QStringLiteral("S");
    released = QStringLiteral("N");
    host->setDefault(&Pkg_Hrk00002::PesqConsumidor, consumer1001());
    altKey(Qt::Key_P);
    EXPECT_EQ(messages->texts(), QStringList{QStringLiteral("Consumidor não está liberado para o consumo.")});
    EXPECT_FALSE(state().flags.boModoCartao);
    EXPECT_FALSE(state().flags.boVendaDebito);
}

TEST_F(BadgeSale, DebitWithoutADebitReceiptKindIsRefused)
{
    receiptKinds({{"009", "9", "06", "S"}});
    host->setDefault(&Pkg_Hrk00002::PesqConsumidor, consumer1001());
    altKey(Qt::Key_P);
    EXPECT_EQ(messages->texts(),
              QStringList{QStringLiteral("Operação bloqueada. Tipo de recebimento débito consumidor não parametrizado no "
                                         "sistema Zmq ou não cadastrado na impressora fiscal.")});
    EXPECT_FALSE(state().flags.boVendaDebito);
    EXPECT_FALSE(state().flags.boModoCartao);
}

TEST_F(BadgeSale, CreditSaleShowsTheFamilyLines)
{
    host->setDefault(&Pkg_Hrk00002::PesqConsumidor, consumer1001(QStringLiteral("2")));
    altKey(Qt::Key_P);
    EXPECT_TRUE(state().flags.boCreditoPessoal);
    const QStringList lines = receiptLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("Saldo"));
    // A 17-character name: its first 15, then the amount filled to 25 - 17.
    EXPECT_EQ(lines[1], QStringLiteral("LANCHES E BEBID   45,50"));
    EXPECT_EQ(lines[2], QStringLiteral("REFEIÇÃO") + QString(18, QLatin1Char(' ')) + QStringLiteral("180,00"));
    EXPECT_EQ(cashierLine(), QStringLiteral("CRÉDITO PESSOAL"));
}

TEST_F(BadgeSale, CreditWithTheOnlineServiceDownFreesTheTill)
{
    state().editParams().stIDEXTCONSONLINE = QStringLiteral("S");
    host->setDefault(&Pkg_Hrk00002::ExtratoConsOnline, StatementAnswer{false, {}, {}});
    host->setDefault(&Pkg_Hrk00002::PesqConsumidor, consumer1001(QStringLiteral("2")));
    altKey(Qt::Key_P);
    EXPECT_EQ(messages->texts(),
              QStringList{QStringLiteral("Atenção! Não foi possível estabelecer uma conexão com o servidor. Tente novamente.")});
    EXPECT_FALSE(state().flags.boCreditoPessoal);
    EXPECT_FALSE(state().flags.boModoCartao);
    EXPECT_EQ(cashierLine(), QStringLiteral("CAIXA LIVRE"));
}

struct WeekendCase
{
    QDate day;
    const char *blocked;
    bool answer;
    bool asked;
    const char *kind; // "" when the sale was reset
};

class BadgeSaleWeekend : public BadgeSale, public ::testing::WithParamInterface<WeekendCase>
{
};

TEST_P(BadgeSaleWeekend, BlockedWeekendsOfferCashInstead)
{
    const WeekendCase &c = GetParam();
    now = QDateTime(c.day, QTime(12, 0));
    weekendBlocked = QString::fromLatin1(c.blocked);
    messages->script({c.answer});
    host->setDefault(&Pkg_Hrk00002::PesqConsumidor, consumer1001());
    altKey(Qt::Key_P);
    EXPECT_EQ(messages->count(), c.asked ? 1 : 0);
    const QString kind = QString::fromLatin1(c.kind);
    EXPECT_EQ(state().flags.boVendaDebito, kind == QLatin1String("1"));
    EXPECT_EQ(state().flags.boVendaVista, kind == QLatin1String("3"));
    if (kind == QLatin1String("3")) {
        EXPECT_EQ(cashierLine(), QStringLiteral("A VISTA CONSUMIDOR"));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, BadgeSaleWeekend,
                         ::testing::Values(WeekendCase{QDate(2024, 3, 9), "S", true, true, "3"},
                                           WeekendCase{QDate(2024, 3, 10), "S", false, true, ""},
                                           WeekendCase{QDate(2024, 3, 9), "N", true, false, "1"},
                                           WeekendCase{QDate(2024, 3, 6), "S", true, false, "1"}));

// ---- the chooser -------------------------------------------------------------------------------

struct ChooserCase
{
    const char *code;
    const char *loyalty;
    bool panel;
    bool debit, credit, cash;
};

class SaleKinds : public BadgeSale, public ::testing::WithParamInterface<ChooserCase>
{
};

TEST_P(SaleKinds, ThePanelOffersTheKindsOfTheCode)
{
    const ChooserCase &c = GetParam();
    state().startup.stTipoVendaAux1 = QString::fromLatin1(c.loyalty);
    bool shown = false;
    bool enabled[3] = {};
    QTimer::singleShot(0, form.get(), [&] {
        shown = context().widget(FormName::panEscolheVenda)->isVisibleTo(form.get());
        enabled[0] = context().button(FormName::spbVendaDeb)->isEnabled();
        enabled[1] = context().button(FormName::spbCredPessoal)->isEnabled();
        enabled[2] = context().button(FormName::spbVendaVis)->isEnabled();
        context().button(FormName::spbCancEscolhe)->click();
    });
    context().consumer().SelecionarTipoVenda(QString::fromLatin1(c.code));
    EXPECT_FALSE(state().flags.boTipoVendaSelecionado);
    EXPECT_TRUE(context().widget(FormName::lblSair)->isEnabled());
    if (!c.panel) {
        EXPECT_EQ(state().consumer.stTipoVendaCons, QString::fromLatin1(c.code));
        return;
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(enabled[0], c.debit);
    EXPECT_EQ(enabled[1], c.credit);
    EXPECT_EQ(enabled[2], c.cash);
    EXPECT_EQ(state().consumer.stTipoVendaCons, QStringLiteral("0"));
    EXPECT_FALSE(context().widget(FormName::panEscolheVenda)->isVisibleTo(form.get()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SaleKinds,
    ::testing::Values(ChooserCase{"1", "N", false, false, false, false}, ChooserCase{"2", "N", false, false, false, false},
                      ChooserCase{"3", "N", false, false, false, false}, ChooserCase{"1", "S", true, true, false, false},
                      ChooserCase{"2", "S", true, false, true, false}, ChooserCase{"3", "S", true, false, false, true},
                      ChooserCase{"4", "N", true, true, true, false}, ChooserCase{"5", "N", true, true, false, true},
                      ChooserCase{"6", "N", true, false, true, true}, ChooserCase{"7", "S", true, true, true, true}));

TEST_F(BadgeSale, ACodeOutsideOneToSevenGoesBackAtOnceWithAMessage)
{
    context().consumer().SelecionarTipoVenda(QStringLiteral("9"));
    EXPECT_EQ(state().consumer.stTipoVendaCons, QStringLiteral("0"));
    EXPECT_EQ(messages->count(), 1);
    EXPECT_FALSE(state().flags.boTipoVendaSelecionado);
}

TEST_F(BadgeSale, ReturningWithBadgeInformationAReleasesTheBadgeButton)
{
    state().editParams().stIDTIPINFCONS = QStringLiteral("A");
    state().flags.boModoCartao = true;
    chooseLater(FormName::spbCancEscolhe);
    context().consumer().SelecionarTipoVenda(QStringLiteral("7"));
    EXPECT_FALSE(state().flags.boModoCartao);
}

TEST_F(BadgeSale, ChooserShortcutsWorkOnlyWhileItWaits)
{
    altKey(Qt::Key_V);
    EXPECT_TRUE(state().consumer.stTipoVendaCons.isEmpty() || state().consumer.stTipoVendaCons == QLatin1String("0"));
    QTimer::singleShot(0, form.get(), [this] { altKey(Qt::Key_V); });
    context().consumer().SelecionarTipoVenda(QStringLiteral("5"));
    EXPECT_EQ(state().consumer.stTipoVendaCons, QStringLiteral("1"));
}

// ---- the service's products -------------------------------------------------------------------

class ServiceProducts : public BadgeSale
{
protected:
    void services(const char *start, const char *end, const char *autoPrint)
    {
        data().cdsProdServ.SetData(packet({{"CDSERVFILI", FieldType::String}, {"CDPRODUTO", FieldType::String},
                                            {"IDCARGAUTOPR", FieldType::String}, {"HRINISERTUR", FieldType::String},
                                            {"HRFINSERTUR", FieldType::String}, {"IDIMPCUPOMAUT", FieldType::String}},
                                           {{Variant(QStringLiteral("01")), Variant(QStringLiteral("01001")), Variant(QStringLiteral("S")),
                                             Variant(QString::fromLatin1(start)), Variant(QString::fromLatin1(end)),
                                             Variant(QString::fromLatin1(autoPrint))},
                                            {Variant(QStringLiteral("01")), Variant(QStringLiteral("99999")), Variant(QStringLiteral("S")),
                                             Variant(QString::fromLatin1(start)), Variant(QString::fromLatin1(end)),
                                             Variant(QString::fromLatin1(autoPrint))}}));
        data().cdsValidaProd.SetData(packet({{"CDPRODUTO", FieldType::String}, {"NMPRODUTO", FieldType::String}},
                                            {{Variant(QStringLiteral("01001")), Variant(QStringLiteral("PF Frango"))},
                                             {Variant(QStringLiteral("99999")), Variant(QStringLiteral("Suco"))}}));
        host->handle(&Pkg_Hrk00002::ChamaFuncaoGetRetornaPreco, [](const PriceRequest &, ClientDataSet &row) {
            row.SetData(packet({{"VRPRECO", FieldType::Double}, {"VRPRECOCLIE", FieldType::Double}},
                               {{Variant(22.9), Variant(0.0)}}));
            return PriceAnswer{true, QString(), Variant(true)};
        });
    }

    QStringList registered;
    bool refuse = false;
    ServiceProductsRun::Register recorder()
    {
        return [this](const PreenchePedidoArgs &item) {
            registered << item.CDPRODUTO;
            return !refuse;
        };
    }
};

struct LoadCase
{
    QTime time;
    const char *start, *end, *kind;
    bool loaded;
};

class ServiceWindows : public ServiceProducts, public ::testing::WithParamInterface<LoadCase>
{
};

TEST_P(ServiceWindows, LoadTheServiceProductsInsideTheHours)
{
    const LoadCase &c = GetParam();
    now = QDateTime(QDate(2024, 3, 5), c.time);
    services(c.start, c.end, "N");
    state().consumer.stCDTIPOCONS = QStringLiteral("01");
    EXPECT_TRUE(ServiceProductsRun(context(), QString::fromLatin1(c.kind), recorder()).run());
    EXPECT_EQ(registered, c.loaded ? QStringList({"01001", "99999"}) : QStringList());
}

INSTANTIATE_TEST_SUITE_P(Table, ServiceWindows,
                         ::testing::Values(LoadCase{QTime(14, 0), "1100", "1400", "1", true},
                                           LoadCase{QTime(14, 1), "1100", "1400", "1", false},
                                           LoadCase{QTime(14, 0), "1100", "1400", "3", false},
                                           LoadCase{QTime(1, 30), "2200", "0200", "1", true},
                                           LoadCase{QTime(1, 30), "2200", "0200", "3", false}));

TEST_F(ServiceProducts, AProductMissingFromTheCopyIsReportedAndTheOthersLoad)
{
    services("0000", "2359", "N");
    data().cdsValidaProd.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("99999"));
    data().cdsValidaProd.Delete();
    EXPECT_TRUE(ServiceProductsRun(context(), QStringLiteral("1"), recorder()).run());
    EXPECT_EQ(registered, QStringList{"01001"});
    EXPECT_EQ(messages->count(), 1);
}

TEST_F(ServiceProducts, ARefusedProductInAnAutoPrintedServiceStopsAndFreesTheTill)
{
    services("0000", "2359", "S");
    refuse = true;
    state().flags.boVendaDebito = true;
    EXPECT_FALSE(ServiceProductsRun(context(), QStringLiteral("1"), recorder()).run());
    EXPECT_EQ(registered, QStringList{"01001"});
    EXPECT_FALSE(state().flags.boVendaDebito);
    EXPECT_EQ(cashierLine(), QStringLiteral("CAIXA LIVRE"));
}

TEST_F(ServiceProducts, ARefusedProductInAServiceThatDoesNotPrintIsSkipped)
{
    services("0000", "2359", "N");
    refuse = true;
    EXPECT_TRUE(ServiceProductsRun(context(), QStringLiteral("1"), recorder()).run());
    EXPECT_EQ(registered, QStringList({"01001", "99999"}));
}
