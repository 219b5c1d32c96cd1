// The birth of a line of the open sale: AddProduto, the only place a line of cdsItems is
// added, and the recovery file that mirrors the lines of a counter sale.
#include "orderentry.h"

#include "recoveryfiles.h"
#include "salemoney.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <consumer/consumersale.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QLabel>

#include <stdexcept>

#include <cmath>
#include <sale/codes.h>
#include <sale/serverseams.h>

using Qub_movrela::Trunc2;

namespace {

constexpr int LastLineNumber = 999;


// Cancels a row left in insert mode by a step that raised, so the sale keeps only posted lines.
class PendingRow
{
public:
    explicit PendingRow(ClientDataSet &dataset) : m_dataset(dataset) {}
    ~PendingRow()
    {
        if (m_dataset.State() == DataSetState::Insert)
            m_dataset.Cancel();
    }
    PendingRow(const PendingRow &) = delete;
    PendingRow &operator=(const PendingRow &) = delete;

private:
    ClientDataSet &m_dataset;
};

class LineWriter
{
public:
    explicit LineWriter(ClientDataSet &items) : m_items(items) {}
    void text(const char *field, const QString &value) { field_(field).SetAsString(value); }
    void number(const char *field, double value) { field_(field).SetAsFloat(value); }
    void stamp(const char *field, const QDateTime &value) { field_(field).SetAsDateTime(value); }
    double read(const char *field) const { return field_(field).AsFloat(); }

private:
    Field field_(const char *name) const { return m_items.FieldByName(QString::fromLatin1(name)); }
    ClientDataSet &m_items;
};

// The steps of AddProduto, in the order the line is built.
class AddProdutoSteps
{
public:
    explicit AddProdutoSteps(SaleContext &context) : m_context(context) {}
    void run(const AddProdutoArgs &Line);

private:
    QString printStoreOf(const QString &CDPRODUTO);
    QString fiscalClassOf(const QString &CDPRODUTO);
    QString nextLineNumber();
    void fillLine(const AddProdutoArgs &Line, const QString &printStore, const QString &fiscalClass,
                  const QDateTime &opening);
    void fillPromotionGroup(const AddProdutoArgs &Line, bool promotion);
    void fillPrices(const AddProdutoArgs &Line);
    void applyServiceFee();
    void valueLine(const AddProdutoArgs &Line);
    void applyCoupon();
    void afterPost(const AddProdutoArgs &Line);
    void numberPromotionComponents();
    bool promotionComponentOf(const QString &CDPRODPROMOCAO);
    void consumeBalanceFamily(const AddProdutoArgs &Line);
    void askObservations(const AddProdutoArgs &Line, bool promotionRow);
    QString captionOf(const QString &labelName) const;

    SaleContext &m_context;
};

} // namespace

void OrderEntry::AddProduto(const AddProdutoArgs &Line)
{
    AddProdutoSteps(m_context).run(Line);
}

void AddProdutoSteps::run(const AddProdutoArgs &Line)
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    // The exchange-cancel button belongs to the merchandise exchange; a form without it is fine.
    if (QWidget *exchange = m_context.widget(FormName::spbCancelaTroca))
        exchange->hide();

    const QString printStore = printStoreOf(Line.CDPRODUTO);
    const QString fiscalClass = fiscalClassOf(Line.CDPRODUTO);
    const QString number = nextLineNumber();
    ClientDataSet &items = data.cdsItems;
    if (!items.Active())
        items.CreateDataSet();
    const QDateTime opening = items.IsEmpty() ? Clock::now()
                                              : items.FieldByName(QStringLiteral("DTHRABERMESA")).AsDateTime();

    PendingRow pending(items);
    items.Append();
    fillLine(Line, printStore, fiscalClass, opening);
    applyServiceFee();
    items.FieldByName(QStringLiteral("NRSEQ")).SetAsString(number);
    valueLine(Line);
    applyCoupon();
    items.FieldByName(QStringLiteral("IDIMPPESAGEM"))
        .SetAsString(isYes(state.startup.stImpPesagem) && state.flags.boAddProdAux2 ? QStringLiteral("S")
                                                                                      : QStringLiteral("N"));
    if (!items.Post())
        throw std::runtime_error("cdsItems: a linha não pôde ser gravada");
    // Only a posted line takes its number: a refused or failed line leaves the counter alone.
    state.road.stNRSEQ = number;
    state.flags.boAddProdAux2 = false;
    const QString coupon = items.FieldByName(QStringLiteral("CDCUPOMDESCQUB")).AsString();
    if (!coupon.isEmpty())
        m_context.order().incluiCupomVenda(coupon);

    afterPost(Line);
}

// Steps after the line is posted: promotion observations, the recovery file, the promotion
// components, the balance family and the observation dialog.
void AddProdutoSteps::afterPost(const AddProdutoArgs &Line)
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    if (data.cdsItPromoObs.Active() && !data.cdsItPromoObs.IsEmpty() && isNo(Line.IDPROMOCAO))
        m_context.order().TrataObsPromo(Line.promotionObsKey);
    ++state.counters.inInicializaAux4;
    // Every counter desk keeps the open sale's lines on disk: a till stopped mid-sale is found
    // and accounted for at the next start, whatever document the desk issues.
    if (state.host.stModoVenda == SaleMode::Counter)
        m_context.order().SalvaCdsVenda();
    if (isYes(Line.IDPROMOCAO))
        numberPromotionComponents();
    const bool promotionRow = promotionComponentOf(Line.CDPRODPROMOCAO);
    if (state.flags.boCreditoPessoal)
        consumeBalanceFamily(Line);
    askObservations(Line, promotionRow);
}

// The store whose production printer prints the line. A product printed where the operator
// chooses has its store picked from the product's stores (the first at the counter).
QString AddProdutoSteps::printStoreOf(const QString &CDPRODUTO)
{
    const SaleState &state = m_context.state();
    const Variant answer = m_context.server().lookupsProducts.getVerificaImpVariavel(CDPRODUTO);
    const QString text = answer.isFailure() ? answer.failureText() : answer.toString();
    if (answer.isFailure() || text.startsWith(QLatin1Char('E'))) {
        m_context.message(text.startsWith(QLatin1Char('E')) ? text.mid(1) : text, 3);
        Abort();
    }
    if (!text.startsWith(QLatin1Char('S')))
        return state.params.stCDLOJA;

    ClientDataSet &stores = m_context.data().cdsPortaProd;
    if (!stores.Active())
        return QString();
    stores.SetFilter([CDPRODUTO](const ClientDataSet &row) {
        return row.FieldByName(QStringLiteral("CDPRODUTO")).AsString() == CDPRODUTO;
    });
    stores.SetFiltered(true);
    if (stores.RecordCount() > 1 && state.host.stModoVenda != SaleMode::Counter) {
        m_context.message(m_context.Msg(QStringLiteral("Local_Imp_Deve")), 0);
        const SaleCounters &geometry = state.counters;
        m_context.services().Pesquisa({Variant(), Variant(), geometry.inAddProdAux1, geometry.inAddProdAux2,
                                       geometry.inAddProdAux3, geometry.inAddProdAux4, 0},
                                      stores);
    }
    const QString store = stores.IsEmpty() ? QString() : stores.FieldByName(QStringLiteral("CDLOJA")).AsString();
    stores.SetFiltered(false);
    stores.SetFilter({});
    return store;
}

// Element 0 of the host's answer: the fiscal classification; a host without the service
// leaves it empty.
QString AddProdutoSteps::fiscalClassOf(const QString &CDPRODUTO)
{
    const FiscalCodeAnswer answer = m_context.services().getProdCodCestNcm({CDPRODUTO});
    Variant &kept = m_context.state().results.vaRetornoItem;
    kept = Variant::array(2);
    kept.setAt(0, answer.classification);
    kept.setAt(1, answer.secondCode);
    return answer.classification;
}

// The next three-digit line number. The 1000th line is refused: three digits would turn it
// into "100" and give two lines one number.
QString AddProdutoSteps::nextLineNumber()
{
    const QString &last = m_context.state().road.stNRSEQ;
    if (last.isEmpty())
        return QStringLiteral("001");
    const int next = last.toInt() + 1;
    if (next > LastLineNumber) {
        m_context.message(QStringLiteral("Operação bloqueada. A venda já tem 999 itens; finalize-a antes de "
                                         "registrar outro item."),
                          3);
        Abort();
    }
    return Consiste::Ajusta(QString::number(next), 3);
}

void AddProdutoSteps::fillLine(const AddProdutoArgs &Line, const QString &printStore, const QString &fiscalClass,
                          const QDateTime &opening)
{
    SaleState &state = m_context.state();
    LineWriter w(m_context.data().cdsItems);
    const bool promotion = !Line.IDPROMOCAO.isEmpty();
    w.text("CDPRODUTO", Line.CDPRODUTO);
    w.text("NMPRODUTO", Line.NMPRODUTO);
    w.text("QTPRODCOMVEN", SaleMoney::text(std::fabs(SaleMoney::number(Line.QTPRODCOMVEN))));
    w.text("NRLUGARMESA", Consiste::Ajusta(captionOf(FormName::stPosicao), 2));
    w.stamp("DTINCLUSAO", Clock::now());
    w.text("STOBSPEDIDO", Line.STOBSPEDIDO);
    w.text("stCdAliq", Line.CDORDALIQIMPR);
    w.text("CDARVPROD", Line.CDARVPROD);
    w.text("CDLOJA", state.params.stCDLOJA);
    w.text("NRMESA", state.host.stNRMESA);
    w.text("CDFILIAL", state.params.stCDFILIAL);
    w.text("CDVENDEDOR", state.host.stCDVENDEDOR);
    w.text("CDOPERADOR", state.rights.stCDOPERADOR);
    w.text("CDLOJAIT", printStore);
    w.text("IDPRODIMPFIS", QStringLiteral("S"));
    w.text("NRCUPOMFIS", state.fiscal.stQrCodeAux1);
    w.stamp("DTABERCAIX", state.params.dtDTABERCAIX);
    w.text("NRVENDAREST", state.host.stNRVENDAREST);
    w.text("NRCOMANDA", state.host.stNRCOMANDA);
    w.text("NRSEQPRODCOM", Line.NRSEQPRODCOM);
    w.text("CDFAMILISALD", Line.CDFAMILISALD);
    w.text("CDSERVFILI", Line.CDSERVFILI);
    w.text("NRINSCRCONS", state.fiscal.stCpfCnpjNota);
    w.text("NMCONSVEND", state.fiscal.stNomeNota);
    w.text("SGUNIDADE", Line.SGUNIDADE);
    w.text("IDIMPCANITEM", Line.IDIMPCANITEM);
    w.text("CDPORIMPPROD", Line.CDPORIMPPROD);
    w.text("CDPRODPROMOCAO", promotion ? Line.CDPRODPROMOCAO : QString());
    w.text("NRCONTCUPOMFISC", state.fiscal.stNRCONTCUPOMFISC);
    w.text("CDORDALIQIMPR", Line.CDORDALIQIMPR);
    w.number("VRALIQIMPR", SaleMoney::number(Line.VRALIQIMPR, true));
    w.text("DSENDEVENDA", state.fiscal.stEnderecoNota);
    w.text("IDPROMOCAO", Line.IDPROMOCAO);
    w.number("VRACRCOMANDA", state.totals.doVrAcrComanda);
    w.text("CDPRODIMPFIS", state.road.stCDBARPRODUTO);
    w.text("CDCLASFISC", fiscalClass);
    w.text("IDCHECK", QStringLiteral("U"));
    w.text("STOBSDIGITADA", Line.STOBSDIGITADA);
    w.number("QTITEMREFIL", 0.0);
    w.text("IDPRODREFIL", state.road.stAddProdAux3.isEmpty() ? QStringLiteral("N") : state.road.stAddProdAux3);
    w.text("CDCAMPPROMO", Line.CDCAMPPROMO);
    w.text("NRSEQPRODPAI", state.road.stPedidoAux4);
    w.text("IDPESAPROD", Line.IDPESAPROD);
    w.text("IDPARAVIAGEM", QStringLiteral("N"));
    w.text("IDORIGEMVENDA", QString());
    w.text("CDCAMPCOMPGANHE", Line.CDCAMPCOMPGANHE);
    if (const QDateTime start = PtBr::StrToDateTime(Line.DTINIVGCAMPCG); start.isValid())
        w.stamp("DTINIVGCAMPCG", start);
    w.text("NRIDESTRANGEIRA", state.fiscal.stIdEstrangeiroNota);
    w.text("IDOBSERVACAO", state.road.stPedidoAux5.isEmpty() ? QStringLiteral("N") : state.road.stPedidoAux5);
    w.text("NRSEQITCANC", Line.NRSEQITCANC);
    w.text("IDIMPPRGRPROMO", Line.IDIMPPRGRPROMO);
    w.text("NRSEQORIG", Line.NRSEQORIG);
    w.text("NRTELCRM", state.road.stAddProdAux1);
    w.stamp("DTHRABERMESA", opening);
    w.text("NRTELGCOM", state.road.stAddProdAux1);
    w.text("DSCOMANDA", state.host.stNrComandaExib);
    fillPromotionGroup(Line, promotion);
    fillPrices(Line);
}

void AddProdutoSteps::fillPromotionGroup(const AddProdutoArgs &Line, bool promotion)
{
    SaleState &state = m_context.state();
    QString &group = state.road.stAddProdAux2;
    group.clear();
    if (promotion && !Line.CDPRODPROMOCAO.isEmpty()) {
        group = m_context
                    .checkedValue(m_context.server().lookupsProducts.getCdGruPromoc(state.params.stCDFILIAL, Line.CDPRODUTO,
                                                               Line.CDPRODPROMOCAO),
                                  QStringLiteral("getCdGruPromoc"),
                                  state.params.stCDFILIAL + QLatin1Char('-') + Line.CDPRODUTO + QLatin1Char('-')
                                      + Line.CDPRODPROMOCAO)
                    .toString();
    }
    m_context.data().cdsItems.FieldByName(QStringLiteral("CDGRUPROMOC")).SetAsString(group);
}

// Prices of an ordinary line, or the zeros of a free refill, whose addition comes off the
// tab surcharge.
void AddProdutoSteps::fillPrices(const AddProdutoArgs &Line)
{
    SaleTotals &totals = m_context.state().totals;
    LineWriter w(m_context.data().cdsItems);
    const double addition = SaleMoney::number(Line.VRACRCOMVEN, true);
    if (m_context.state().road.stAddProdAux3.isEmpty()) {
        w.number("VRPRECCOMVEN", Trunc2(SaleMoney::number(Line.VRPRECCOMVEN)));
        w.number("VRUNITVENDCL", Trunc2(SaleMoney::number(Line.VRUNITVENDCL, true)));
        w.number("VRDESCCOMVEN", SaleMoney::number(Line.VRDESCCOMVEN, true));
        w.number("VRACRCOMVEN", addition + totals.doProdCombAux2);
    } else {
        for (const char *field : {"VRPRECCOMVEN", "VRUNITVENDCL", "VRDESCCOMVEN", "VRACRCOMVEN"})
            w.number(field, 0.0);
        totals.doVrAcrComanda -= addition + totals.doProdCombAux2;
    }
}

// The fee at the rate of the product's own tax row; a product without one pays no fee (a
// failed lookup must not lend it the rate of the row the cursor happened to stand on).
void AddProdutoSteps::applyServiceFee()
{
    SaleState &state = m_context.state();
    if (!isYes(state.params.stIDACRIMPOSTO))
        return;
    ClientDataSet &items = m_context.data().cdsItems;
    ClientDataSet &rates = m_context.data().cdsAliquota;
    const QString product = items.FieldByName(QStringLiteral("CDPRODUTO")).AsString();
    double fee = 0.0;
    if (rates.Active() && rates.Locate(QStringLiteral("CDPRODUTO"), product)) {
        LineWriter w(items);
        fee = SaleMoney::serviceFee(rates.FieldByName(QStringLiteral("VRPEALIMPFIS")).AsFloat(),
                                    SaleMoney::number(items.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsString()),
                                    w.read("VRPRECCOMVEN"), w.read("VRDESCCOMVEN"));
    }
    items.FieldByName(QStringLiteral("VRTXSERVICO")).SetAsFloat(fee);
    state.totals.doVrTxServico += fee;
}

void AddProdutoSteps::valueLine(const AddProdutoArgs &Line)
{
    LineWriter w(m_context.data().cdsItems);
    const double addition = SaleMoney::number(Line.VRACRCOMVEN, true);
    w.number("ACRESITEM", addition);
    if (!m_context.state().road.stAddProdAux3.isEmpty()) {
        w.number("SOMA", Trunc2(addition));
        return;
    }
    const double quantity = SaleMoney::number(m_context.data().cdsItems.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsString());
    w.number("SOMA", SaleMoney::lineValue(quantity, w.read("VRPRECCOMVEN"), w.read("VRDESCCOMVEN"), addition));
}

// A coupon is applied only with a fiscal printer, which carries it as the item's discount.
void AddProdutoSteps::applyCoupon()
{
    LoyaltyState &coupon = m_context.state().loyalty;
    if (!isYes(m_context.state().startup.stCupomAux1) || coupon.stCDCUPOMDESCQUB.isEmpty()
        || !m_context.state().params.boUTILIZAIMPFIS || coupon.doVrCupomDesc <= 0.0)
        return;
    ClientDataSet &items = m_context.data().cdsItems;
    LineWriter w(items);
    const double quantity = SaleMoney::number(items.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsString());
    const SaleMoney::CouponLine applied =
        SaleMoney::applyCoupon(w.read("SOMA"), w.read("VRDESCCOMVEN"), w.read("VRPRECCOMVEN"), quantity,
                               coupon.doVrCupomDesc, coupon.doCupomDescAux1);
    w.number("SOMA", applied.soma);
    w.number("VRDESCCOMVEN", applied.discount);
    w.text("CDCUPOMDESCQUB", coupon.stCDCUPOMDESCQUB);
    m_context.order().zeraVariaveisCupomDesc();
}

// Components of a promotion registered before their header line take the header's number.
void AddProdutoSteps::numberPromotionComponents()
{
    ClientDataSet &components = m_context.data().cdsItPromoComb;
    if (!components.Active() || components.IsEmpty())
        return;
    const QString number = m_context.state().road.stNRSEQ;
    for (components.First(); !components.Eof(); components.Next()) {
        if (!components.FieldByName(QStringLiteral("NRSEQ")).AsString().isEmpty())
            continue;
        components.Edit();
        components.FieldByName(QStringLiteral("NRSEQ")).SetAsString(number);
        components.Post();
    }
}

bool AddProdutoSteps::promotionComponentOf(const QString &CDPRODPROMOCAO)
{
    ClientDataSet &components = m_context.data().cdsItPromoComb;
    if (!components.Active())
        return false;
    const Bookmark kept = components.GetBookmark();
    const bool found = components.Locate(QStringLiteral("CDPRODUTO"), CDPRODPROMOCAO);
    components.GotoBookmark(kept);
    return found;
}

// The quantity keeps its sign here: a returned item gives its value back to the family.
void AddProdutoSteps::consumeBalanceFamily(const AddProdutoArgs &Line)
{
    ConsumerSale &consumer = m_context.consumer();
    consumer.LogFamSaldo(QStringLiteral("AddProduto - Adiciona valor/quantidade: ") + Line.VRPRECCOMVEN
                         + QLatin1Char('/') + Line.QTPRODCOMVEN);
    const double quantity = SaleMoney::number(Line.QTPRODCOMVEN);
    const double value = SaleMoney::cut(Trunc2(SaleMoney::number(Line.VRPRECCOMVEN)) * quantity)
                         - Trunc2(SaleMoney::number(Line.VRDESCCOMVEN, true))
                         + Trunc2(SaleMoney::number(Line.VRACRCOMVEN, true));
    consumer.addFamiliaSaldo(m_context.data().cdsFamiliaSaldo, Line.CDFAMILISALD, value, true);
}

void AddProdutoSteps::askObservations(const AddProdutoArgs &Line, bool promotionRow)
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    const Variant packet = m_context.checkedValue(
        m_context.server().tabs.getOcorPed(state.params.stCDFILIAL, state.params.stCDLOJA, Line.CDPRODUTO),
        QStringLiteral("getOcorPed"),
        state.params.stCDFILIAL + QLatin1Char('-') + state.params.stCDLOJA + QLatin1Char('-') + Line.CDPRODUTO);
    // A failed lookup was reported: the product then has no observations to ask.
    data.cdsObs.Close();
    if (packet.isPacket())
        data.cdsObs.SetData(packet.packet());
    else
        data.cdsObs.CreateDataSet();
    if (!isYes(state.params.stIDSOLOBSPED) || data.cdsObs.IsEmpty() || isNo(Line.IDPROMOCAO) || promotionRow)
        return;
    state.flags.boAddProdAux1 = true;
    state.busy.boCancCupomAux1 = false;
    data.cdsItems.Last();
    struct Clear
    {
        bool &flag;
        ~Clear() { flag = false; }
    } clear{state.flags.boAddProdAux1};
    m_context.screen().spbObsClick(m_context.button(FormName::spbObs));
}

QString AddProdutoSteps::captionOf(const QString &labelName) const
{
    const QLabel *found = m_context.label(labelName);
    return found ? found->text() : QString();
}

void OrderEntry::SalvaCdsVenda()
{
    RecoveryFiles::appendLast(m_context.data().cdsItems, m_context.state().params.stDSDIRCAD, RecoveryFiles::Venda);
}

void OrderEntry::zeraVariaveisCupomDesc()
{
    LoyaltyState &coupon = m_context.state().loyalty;
    coupon.doVrCupomDesc = 0.0;
    coupon.doCupomDescAux1 = 0.0;
    coupon.stCDCUPOMDESCQUB.clear();
}

void OrderEntry::incluiCupomVenda(const QString &CDCUPOMDESCQUB)
{
    ClientDataSet &coupons = m_context.data().cdsCupomDescVenda;
    if (!coupons.Active())
        coupons.CreateDataSet();
    coupons.Append();
    coupons.FieldByName(QStringLiteral("CDCUPOMDESCQUB")).SetAsString(CDCUPOMDESCQUB);
    coupons.Post();
}
