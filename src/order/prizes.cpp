// Promotion combos and prizes: the prizes of a buy-and-win campaign as lines, the prize value
// taken off a combo component, the promotion observations of a new line, the combo price, and
// the tagging of the sale's rows with their promotion before settlement.
#include "itemkinds_p.h"

#include "orderentry.h"

#include <sale/codes.h>
#include <sale/saledatasets.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/serverseams.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/consiste.h>
#include <outside/qub_movrela.h>
#include <runtime/abort.h>

#include <QDebug>

#include <exception>

using Qub_movrela::Trunc2;

namespace {

QString text(const ClientDataSet &dataset, const char *field)
{
    const Field f = dataset.FindField(QString::fromLatin1(field));
    return f.IsValid() ? f.AsString() : QString();
}

double number(const ClientDataSet &dataset, const char *field)
{
    const Field f = dataset.FindField(QString::fromLatin1(field));
    return f.IsValid() ? f.AsFloat() : 0.0;
}

void ensureOpen(ClientDataSet &dataset)
{
    if (!dataset.Active())
        dataset.CreateDataSet();
}

// Rows of `dataset` passing `keep`, by record number, so that the loop may register lines.
QList<int> rowsWhere(ClientDataSet &dataset, const std::function<bool(const ClientDataSet &)> &keep)
{
    QList<int> rows;
    if (!dataset.Active())
        return rows;
    for (dataset.First(); !dataset.Eof(); dataset.Next())
        if (keep(dataset))
            rows.append(dataset.RecNo());
    return rows;
}

// Deletes the rows of `dataset` whose NRSEQ is `NRSEQ`.
void deleteRowsOf(ClientDataSet &dataset, const QString &NRSEQ)
{
    if (!dataset.Active())
        return;
    dataset.First();
    while (!dataset.Eof()) {
        if (text(dataset, "NRSEQ") == NRSEQ)
            dataset.Delete();
        else
            dataset.Next();
    }
}

} // namespace

// ---- the combo price ---------------------------------------------------------------------------

double OrderEntry::RetornaPrecoCombo()
{
    ClientDataSet &components = m_context.data().cdsItPromoCombAux;
    if (!components.Active())
        return 0;
    // Summed untruncated, in extended precision.
    long double total = 0;
    for (components.First(); !components.Eof(); components.Next()) {
        total += ((long double)number(components, "VRUNVENDAEST") + number(components, "VRPRECOCLIE"))
                     * number(components, "QTPRODVEND")
                 - number(components, "VRDESCONTO") + number(components, "VRACRESCIMO");
    }
    return double(total);
}

// ---- the prize value off one combo component ---------------------------------------------------

void OrderEntry::AjustaPrecoCombo(const QString &CDPRODUTO)
{
    ClientDataSet &components = m_context.data().cdsItPromoCombAux;
    const double prizes = m_context.state().totals.doComboAux1;
    if (!components.Active() || components.IsEmpty())
        return;
    // A component of no quantity has no share to take: it never qualifies.
    auto share = [&components, prizes]() { return Trunc2(prizes / number(components, "QTPRODVEND")); };
    auto qualifies = [&]() {
        return number(components, "QTPRODVEND") > 0 && share() < Trunc2(number(components, "VRUNVENDAEST"));
    };
    bool chosen = components.Locate(QStringLiteral("CDPRODUTO"), CDPRODUTO) && qualifies();
    if (!chosen) {
        for (components.First(); !components.Eof(); components.Next()) {
            if (qualifies()) {
                chosen = true;
                break;
            }
        }
    }
    if (!chosen)
        return;
    const double price = number(components, "VRUNVENDAEST");
    const double cut = share();
    components.Edit();
    components.FieldByName(QStringLiteral("VRUNVENDAEST")).SetAsFloat(Trunc2(price - cut));
    components.Post();
}

// ---- promotion observations of a new line ----------------------------------------------------------

void OrderEntry::TrataObsPromo(const QString &NRSEQ)
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &chosen = data.cdsItPromoObs;
    if (!chosen.Active())
        return;
    ClientDataSet &lines = data.cdsObsItens;
    ensureOpen(lines);
    const QString line = m_context.state().road.stNRSEQ;
    const QString key = Consiste::Ajusta(NRSEQ, 3);
    const QList<int> rows = rowsWhere(chosen, [&key, &NRSEQ](const ClientDataSet &row) {
        const QString rowKey = text(row, "NRSEQ");
        return rowKey == key || rowKey == NRSEQ;
    });
    ClientDataSet &control = data.cdsControlPromoObs;
    for (int recNo : rows) {
        chosen.SetRecNo(recNo);
        const Variant keys(QList<Variant>{line, text(chosen, "CDPRODUTO"), text(chosen, "CDGRPOCOR"),
                                          text(chosen, "CDOCORR")});
        if (lines.Locate(QStringLiteral("NRSEQ;CDPRODUTO;CDGRPOCOR;CDOCORR"), keys, loCaseInsensitive))
            continue;
        lines.Append();
        lines.FieldByName(QStringLiteral("NRSEQ")).SetAsString(line);
        lines.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(text(chosen, "CDPRODUTO"));
        lines.FieldByName(QStringLiteral("CDGRPOCOR")).SetAsString(text(chosen, "CDGRPOCOR"));
        lines.FieldByName(QStringLiteral("CDOCORR")).SetAsString(text(chosen, "CDOCORR"));
        lines.FieldByName(QStringLiteral("DSOCORR"))
            .SetAsString(m_context.server().lookupsTills.getDsOcorr(text(chosen, "CDGRPOCOR"), text(chosen, "CDOCORR")));
        lines.FieldByName(QStringLiteral("NRCOMANDA")).SetAsString(QString());
        if (control.Active() && control.Locate(QStringLiteral("CDOCORR"), text(chosen, "CDOCORR")))
            lines.FieldByName(QStringLiteral("CDPRODOBS")).SetAsString(text(control, "CDPRODUTO"));
        lines.Post();
    }
}

// ---- prizes --------------------------------------------------------------------------------------

void OrderEntry::AdicionaPremio()
{
    PrizeRegistration(m_context).run();
}

void PrizeRegistration::run()
{
    // The prize datasets live until here, whatever ends the loop.
    OnExit closing([this] { clearPrizes(); });
    ClientDataSet &prizes = m_context.data().cdsPremio;
    if (!prizes.Active() || prizes.IsEmpty())
        return;
    if (prizes.HasField(QStringLiteral("NRSEQ")))
        prizes.SetIndexFieldNames(QStringLiteral("NRSEQ"));
    const int count = prizes.RecordCount();
    for (int recNo = 1; recNo <= count; ++recNo) {
        prizes.SetRecNo(recNo);
        prize();
    }
}

void PrizeRegistration::prize()
{
    ClientDataSet &prizes = m_context.data().cdsPremio;
    const QString code = text(prizes, "CDPRODUTO");
    m_context.setCaption(FormName::lblBuffer, code);
    QString printKind, composition, promoEnd, promoStart;
    bool fromLabel = false;
    if (!m_context.order().ValidaProduto_Codigo(m_code, m_name, m_tree, m_family, m_weighed, m_unit, m_tare,
                                                printKind, composition, promoEnd, promoStart, code, fromLabel)) {
        m_context.state().busy.boDigitacaoAux1 = false;
        Abort();
    }
    const ItemKinds::ProductionPrinter printer = ItemKinds::printerOf(m_context, m_code);
    if (text(prizes, "IDTIPOCOMPPROD") == QLatin1String("3")) {
        const QString group = ItemKinds::nextComboGroup(m_context);
        if (group.isEmpty())
            Abort();
        if (text(prizes, "IDIMPPRODUTO") == QLatin1String("1"))
            comboHeader(group, printer);
        else
            ownLineComponents(group, printer);
    } else {
        simplePrize(printer);
    }
}

QString PrizeRegistration::nextLineNumber() const
{
    const QString &last = m_context.state().road.stNRSEQ;
    return Consiste::Ajusta(QString::number(last.toInt() + 1), 3);
}

PreenchePedidoArgs PrizeRegistration::productArgs(const ItemKinds::ProductionPrinter &printer) const
{
    const ClientDataSet &prizes = m_context.data().cdsPremio;
    PreenchePedidoArgs args;
    args.CDPRODUTO = m_code;
    args.CDPRODPROMOCAO = m_code;
    args.CDARVPROD = m_tree;
    args.NMPRODUTO = m_name;
    args.CDFAMILISALD = m_family;
    args.IDPESAPROD = m_weighed;
    args.QTPRODCOMVEN = text(prizes, "QTPRODCOMVEN");
    args.SGUNIDADE = m_unit;
    args.QTTARAPROD = m_tare.toDouble();
    args.validaServico = true;
    args.CDPORIMPPROD = printer.port;
    args.IDIMPCANITEM = printer.cancelMark;
    args.CDCAMPCOMPGANHE = text(prizes, "CDCAMPANHA");
    args.DTINIVGCAMPCG = text(prizes, "DTINIVGCAMP");
    args.IDIMPPRGRPROMO = QStringLiteral("N");
    return args;
}

bool PrizeRegistration::registerLine(const PreenchePedidoArgs &args)
{
    m_context.order().PreenchePedido(args);
    return m_context.order().lastItemRegistered();
}

// One header line at one cent; its components travel with the sale under the header's number.
void PrizeRegistration::comboHeader(const QString &group, const ItemKinds::ProductionPrinter &printer)
{
    SaleDatasets &data = m_context.data();
    const QString prizeKey = text(data.cdsPremio, "NRSEQ");
    const QString header = nextLineNumber();
    m_context.state().road.stNrSeqObs = header;
    ClientDataSet &components = data.cdsPremioComb;
    ClientDataSet &kept = data.cdsItPromoComb;
    ensureOpen(kept);
    for (int recNo : rowsWhere(components, [&](const ClientDataSet &r) { return text(r, "NRSEQ") == prizeKey; })) {
        components.SetRecNo(recNo);
        kept.Append();
        kept.FieldByName(QStringLiteral("NRSEQ")).SetAsString(header);
        kept.FieldByName(QStringLiteral("NRSEQORIG")).SetAsString(text(components, "NRSEQIT"));
        for (const char *name : {"CDPRODUTO", "NMPRODUTO", "CDARVPROD", "CDFILIAL", "CDGRUPROMOC", "CDPRODVENDA",
                                 "VRUNVENDAEST", "VRPRECOCLIE", "CDFAMILISALD", "IDPESAPROD", "SGUNIDADE",
                                 "QTTARAPROD", "VRACRESCIMO", "VRDESCONTO", "QTPRODVEND", "VRDESITVENDAEST",
                                 "TXPRODCOMVENEST", "DSOBSPEDDIGEST", "IDIMPGRPROMO"}) {
            const Field from = components.FindField(QString::fromLatin1(name));
            Field to = kept.FindField(QString::fromLatin1(name));
            if (from.IsValid() && to.IsValid())
                to.SetAsString(from.AsString());
        }
        kept.Post();
    }
    ClientDataSet &observations = data.cdsPremioObs;
    ClientDataSet &pending = data.cdsObsItensEst;
    ensureOpen(pending);
    for (int recNo : rowsWhere(observations, [&](const ClientDataSet &r) { return text(r, "NRSEQ") == prizeKey; })) {
        observations.SetRecNo(recNo);
        const Variant keys(QList<Variant>{header, text(observations, "CDPRODUTO"), text(observations, "CDGRPOCOR"),
                                          text(observations, "CDOCORR"), text(observations, "NRSEQIT")});
        if (pending.Locate(QStringLiteral("NRSEQ;CDPRODUTO;CDGRPOCOR;CDOCORR;NRSEQORIG"), keys, loCaseInsensitive))
            continue;
        pending.Append();
        pending.FieldByName(QStringLiteral("NRSEQ")).SetAsString(header);
        pending.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(text(observations, "CDPRODUTO"));
        pending.FieldByName(QStringLiteral("CDGRPOCOR")).SetAsString(text(observations, "CDGRPOCOR"));
        pending.FieldByName(QStringLiteral("CDOCORR")).SetAsString(text(observations, "CDOCORR"));
        pending.FieldByName(QStringLiteral("NRSEQORIG")).SetAsString(text(observations, "NRSEQIT"));
        pending.Post();
    }
    PreenchePedidoArgs args = productArgs(printer);
    args.VRPRECO = QStringLiteral("0,01");
    args.VRDESCONTO = QStringLiteral("0");
    args.VRACRESCIMO = QStringLiteral("0");
    args.VRPRECOCLIE = QStringLiteral("0");
    args.IDPROMOCAO = QStringLiteral("S");
    args.NRSEQPRODCOM = group;
    // Components and observations stored under a number no line took would hang under the
    // next line registered.
    if (!registerLine(args)) {
        deleteRowsOf(kept, header);
        deleteRowsOf(pending, header);
    }
}

// Each component a line of its own at its own price, with its observations.
void PrizeRegistration::ownLineComponents(const QString &group, const ItemKinds::ProductionPrinter &printer)
{
    SaleDatasets &data = m_context.data();
    const QString prizeKey = text(data.cdsPremio, "NRSEQ");
    ClientDataSet &components = data.cdsPremioComb;
    ClientDataSet &observations = data.cdsPremioObs;
    ClientDataSet &lines = data.cdsObsItens;
    ensureOpen(lines);
    for (int recNo : rowsWhere(components, [&](const ClientDataSet &r) { return text(r, "NRSEQ") == prizeKey; })) {
        components.SetRecNo(recNo);
        const QString line = nextLineNumber();
        m_context.state().road.stNrSeqObs = line;
        const QString component = text(components, "NRSEQIT");
        for (int obs : rowsWhere(observations, [&](const ClientDataSet &r) {
                 return text(r, "NRSEQ") == prizeKey && text(r, "NRSEQIT") == component;
             })) {
            observations.SetRecNo(obs);
            const Variant keys(QList<Variant>{line, text(observations, "CDPRODUTO"), text(observations, "CDGRPOCOR"),
                                              text(observations, "CDOCORR")});
            if (lines.Locate(QStringLiteral("NRSEQ;CDPRODUTO;CDGRPOCOR;CDOCORR"), keys, loCaseInsensitive))
                continue;
            lines.Append();
            lines.FieldByName(QStringLiteral("NRSEQ")).SetAsString(line);
            lines.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(text(observations, "CDPRODUTO"));
            lines.FieldByName(QStringLiteral("CDGRPOCOR")).SetAsString(text(observations, "CDGRPOCOR"));
            lines.FieldByName(QStringLiteral("CDOCORR")).SetAsString(text(observations, "CDOCORR"));
            lines.FieldByName(QStringLiteral("DSOCORR"))
                .SetAsString(m_context.server().lookupsTills.getDsOcorr(text(observations, "CDGRPOCOR"), text(observations, "CDOCORR")));
            lines.FieldByName(QStringLiteral("CDPRODOBS")).SetAsString(text(observations, "CDPRODOBS"));
            lines.Post();
        }
        components.SetRecNo(recNo);
        PreenchePedidoArgs args = productArgs(printer);
        args.CDPRODUTO = text(components, "CDPRODUTO");
        args.CDPRODPROMOCAO = text(components, "CDPRODVENDA");
        args.CDARVPROD = text(components, "CDARVPROD");
        args.NMPRODUTO = text(components, "NMPRODUTO");
        args.CDFAMILISALD = text(components, "CDFAMILISALD");
        args.VRPRECO = text(components, "VRUNVENDAEST");
        args.VRDESCONTO = text(components, "VRDESCONTO");
        args.VRACRESCIMO = text(components, "VRACRESCIMO");
        args.IDPESAPROD = text(components, "IDPESAPROD");
        args.VRPRECOCLIE = text(components, "VRPRECOCLIE");
        args.QTPRODCOMVEN = text(components, "QTPRODVEND");
        args.SGUNIDADE = text(components, "SGUNIDADE");
        args.IDPROMOCAO = QStringLiteral("N");
        args.NRSEQPRODCOM = group;
        args.QTTARAPROD = number(components, "QTTARAPROD");
        args.STOBSPEDIDO = text(components, "TXPRODCOMVENEST");
        args.STOBSDIGITADA = text(components, "DSOBSPEDDIGEST");
        if (!registerLine(args))
            deleteRowsOf(lines, line);
    }
}

// A campaign prize costs one cent; any other is priced like a sold product.
void PrizeRegistration::simplePrize(const ItemKinds::ProductionPrinter &printer)
{
    ClientDataSet &prizes = m_context.data().cdsPremio;
    PreenchePedidoArgs args = productArgs(printer);
    if (!text(prizes, "CDCAMPANHA").isEmpty()) {
        args.VRPRECO = QStringLiteral("0,01");
        args.VRDESCONTO = QStringLiteral("0");
        args.VRACRESCIMO = QStringLiteral("0");
        args.VRPRECOCLIE = QStringLiteral("0");
    } else {
        const ItemKinds::ItemPrice price = ItemKinds::askPrice(m_context, m_code, QString());
        if (!price.ok) {
            ItemKinds::showPriceRefusal(m_context, price.refusal, m_code + QStringLiteral(" - ") + m_name);
            Abort();
        }
        const double quantity = number(prizes, "QTPRODCOMVEN");
        const double addition = Trunc2(quantity * price.VRACRESCIMO);
        m_context.state().totals.doVrAcrComanda += addition;
        args.VRPRECO = price.VRPRECO;
        args.VRDESCONTO = ItemKinds::moneyText(Trunc2(quantity * price.VRDESCONTO));
        args.VRACRESCIMO = ItemKinds::moneyText(addition);
        args.VRPRECOCLIE = price.VRPRECOCLIE;
    }
    registerLine(args);
}

void PrizeRegistration::clearPrizes()
{
    m_context.setCaption(FormName::lblBuffer, QString());
    SaleDatasets &data = m_context.data();
    for (ClientDataSet *dataset : {&data.cdsPremio, &data.cdsPremioComb, &data.cdsPremioObs}) {
        if (dataset->Active()) {
            dataset->SetFiltered(false);
            dataset->EmptyDataSet();
        }
    }
}

// ---- promotion tagging before settlement ---------------------------------------------------------

void OrderEntry::Vd_PromocaoComb()
{
    PromotionTagging(m_context).run();
}

void PromotionTagging::run()
{
    SaleDatasets &data = m_context.data();
    OnExit toFirstRows([&data] {
        for (ClientDataSet *dataset : {&data.cdsVenda, &data.cdsVendaCancelada})
            if (dataset->Active() && !dataset->IsEmpty())
                dataset->First();
    });
    // The tagging never stops the settlement: whatever was tagged stays.
    try {
        const Parameters &params = m_context.state().params;
        const Variant answer =
            m_context.checkedValue(m_context.server().lookupsProducts.getPromoCombAux(params.stCDFILIAL, params.stCDCAIXA),
                                   QStringLiteral("getPromoCombAux"),
                                   params.stCDFILIAL + QLatin1Char('-') + params.stCDCAIXA);
        if (!answer.isPacket() || !data.cdsVenda.Active())
            return;
        ClientDataSet components{QStringLiteral("cdsPromoCombAux")};
        ClientDataSet saleCopy{QStringLiteral("cdsVendaAux")};
        ClientDataSet cancelledCopy{QStringLiteral("cdsVendaCancAux")};
        if (!components.SetData(answer.packet()) || !saleCopy.SetData(data.cdsVenda.Data()))
            return;
        if (data.cdsVendaCancelada.Active())
            cancelledCopy.SetData(data.cdsVendaCancelada.Data());
        for (components.First(); !components.Eof(); components.Next())
            tag(data.cdsVenda, saleCopy, cancelledCopy, text(components, "CDPRODUTO"),
                text(components, "CDPRODPROMOCAO"));
    } catch (const EAbort &) {
    } catch (const std::exception &error) {
        qWarning().noquote() << "promotion tagging:" << error.what();
    }
}

// A component already accounted for in the sale (or among its cancelled rows) uses up that
// row; otherwise the first untagged row of the product joins the promotion's group.
void PromotionTagging::tag(ClientDataSet &sale, ClientDataSet &saleCopy, ClientDataSet &cancelledCopy,
                           const QString &product, const QString &promotion)
{
    const QString keys = QStringLiteral("CDPRODUTO;CDPRODPROMOCAO");
    const Variant pair(QList<Variant>{product, promotion});
    if (saleCopy.Active() && saleCopy.Locate(keys, pair, loCaseInsensitive)) {
        saleCopy.Delete();
        return;
    }
    if (cancelledCopy.Active() && cancelledCopy.Locate(keys, pair, loCaseInsensitive)) {
        cancelledCopy.Delete();
        return;
    }
    if (!sale.Locate(QStringLiteral("CDPRODPROMOCAO"), promotion))
        return;
    const QString group = text(sale, "NRSEQPRODCOMIT");
    if (!sale.Locate(keys, Variant(QList<Variant>{product, QString()}), loCaseInsensitive))
        return;
    sale.Edit();
    sale.FieldByName(QStringLiteral("CDPRODPROMOCAO")).SetAsString(promotion);
    sale.FieldByName(QStringLiteral("NRSEQPRODCOMIT")).SetAsString(group);
    sale.Post();
}
