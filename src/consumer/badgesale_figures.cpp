#include "consumersale.h"

#include "badgesale_p.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>


#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QAbstractButton>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>

#include <stdexcept>

// The consumer's figures from the source the till's parameters choose, and the consumer's
// register checks.

namespace {

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

QString keyed(const QStringList &keys)
{
    return keys.join(QLatin1Char('-'));
}

// A packet answer loaded into its dataset; a failure is shown by the caller.
bool loadPacket(ClientDataSet &rows, const Variant &answer)
{
    if (!answer.isPacket())
        return false;
    return rows.SetData(answer.packet());
}

} // namespace

// ---- Sald_Gast_Cons --------------------------------------------------------------------------

ConsumerFiguresRun::ConsumerFiguresRun(SaleContext &context)
    : m_context(context), m_state(context.state())
{
}

void ConsumerFiguresRun::run(const QString &Kind, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                             const QString &CDFAMILISALD)
{
    m_kind = Kind;
    m_client = CDCLIENTE;
    m_consumer = CDCONSUMIDOR;
    m_family = CDFAMILISALD;
    spendingToday();
    storeAndMonth();
    if (m_kind == QLatin1String("1"))
        debitFigures();
    else if (m_kind == QLatin1String("2"))
        creditFamilyBalance();
}

void ConsumerFiguresRun::spendingToday()
{
    const Parameters &p = m_state.params;
    ConsumerFigures &f = m_state.figures;
    f.doGastoCons = 0.0;
    const bool debit = m_kind == QLatin1String("1");
    const bool credit = m_kind == QLatin1String("2");
    if (credit && isYes(p.stIDEXTCONSONLINE))
        f.doGastoCons = onlineFigure(QStringLiteral("CONSULTA_CONSUMO"), QString(), PtBr::DateToStr(Clock::now().date()));
    else if (debit && isYes(p.stIDDEBCONSCENTRAL))
        f.doGastoCons = centralDebit(QStringLiteral("CONSULTA_CONSUMO"));
    else if (credit && isYes(p.stIDEXTCONSCENTRAL))
        f.doGastoCons = centralCredit(QStringLiteral("CONSULTA_CONSUMO"), QString()).toDouble();
    else
        f.doGastoCons = local(m_context.server().consumers.getGastCons(m_client, m_consumer, m_kind), QStringLiteral("getGastCons"),
                              {m_client, m_consumer, m_kind}, true)
                            .toDouble();
}

void ConsumerFiguresRun::storeAndMonth()
{
    const Parameters &p = m_state.params;
    ConsumerFigures &f = m_state.figures;
    if (isYes(p.stIDDEBCONSCENTRAL)) {
        f.doConsumoLojaDia = 0.0;
        f.doConsumoLojaDia = centralDebit(QStringLiteral("CONSUMO_LOJA_DIA"));
        f.doConsumoLojaMes = 0.0;
        f.doConsumoLojaMes = centralDebit(QStringLiteral("CONSUMO_LOJA_MES"));
        f.doConsumoMes = 0.0;
        f.doConsumoMes = centralDebit(QStringLiteral("CONSUMO_MES"));
        return;
    }
    Seam::Consumers &server = m_context.server().consumers;
    for (const char *period : {"D", "M"}) {
        const QString letter = QString::fromLatin1(period);
        double &figure = letter == QLatin1String("D") ? f.doConsumoLojaDia : f.doConsumoLojaMes;
        figure = 0.0;
        figure = local(server.getGastConsLoja(p.stCDFILIAL, p.stCDLOJA, m_client, m_consumer, m_kind, letter),
                       QStringLiteral("getGastConsLoja"), {p.stCDFILIAL, p.stCDLOJA, m_client, m_consumer, m_kind, letter}, true)
                     .toDouble();
    }
    const QDate today = Clock::now().date();
    const QDateTime first(QDate(today.year(), today.month(), 1), QTime(0, 0));
    const QDateTime last(Consiste::UltimoDiaMes(today), QTime(0, 0));
    f.doConsumoMes = 0.0;
    f.doConsumoMes = local(server.getGastoConsMes(m_client, m_consumer, first, last), QStringLiteral("getGastoConsMes"),
                           {m_client, m_consumer}, false)
                         .toDouble();
}

void ConsumerFiguresRun::debitFigures()
{
    const Parameters &p = m_state.params;
    ConsumerFigures &f = m_state.figures;
    Seam::Consumers &server = m_context.server().consumers;
    if (isYes(p.stIDDEBCONSCENTRAL)) {
        f.doSaldoCons = centralDebit(QStringLiteral("CONSULTA_SALDO"));
        f.doSubsidioBasicoEmp = centralDebit(QStringLiteral("SUBSIDIO_BASICO_EMP"));
    } else {
        const Variant balance = local(server.getSaldoCons(m_client, m_consumer), QStringLiteral("getSaldoCons"),
                                      {m_client, m_consumer}, true);
        loadBalance(balance);
        ClientDataSet &rows = m_context.data().cdsSaldo;
        f.doSaldoCons = rows.Active() && !rows.IsEmpty() ? rows.FieldByName(QStringLiteral("VRSALDOCONS")).AsFloat() : 0.0;
        f.doSubsidioBasicoEmp = local(server.getVrSubsBasicoCons(m_client, m_consumer), QStringLiteral("getVrSubsBasicoCons"),
                                      {m_client, m_consumer}, false)
                                    .toDouble();
    }
    f.doSubsidioBasico =
        local(server.getVrSubsBasico(m_client, m_consumer), QStringLiteral("getVrSubsBasico"), {m_client, m_consumer}, false)
            .toDouble();
    if (isYes(p.stIDSALDEXTDEBCON))
        basicExtraScheme();
}

void ConsumerFiguresRun::basicExtraScheme()
{
    const Parameters &p = m_state.params;
    ConsumerFigures &f = m_state.figures;
    Seam::Consumers &server = m_context.server().consumers;
    const Variant rules = server.GetTipoConsFili(p.stCDFILIAL, m_state.consumer.stCDTIPOCONS);
    // A failed answer is no packet: it is reported and the figures are not read from it.
    if (rules.isFailure())
        fail(rules.failureText());
    ClientDataSet &types = m_context.data().cdsTipoConsFili;
    if (loadPacket(types, rules) && !types.IsEmpty()) {
        types.First();
        f.doVRSALDOBASICO = types.FieldByName(QStringLiteral("VRSALDOBASICO")).AsFloat();
        f.doVRSALDOEXTRA = types.FieldByName(QStringLiteral("VRSALDOEXTRA")).AsFloat();
    }
    QString startText;
    const QDate start = BadgeSaleRules::payrollPeriodStart(Clock::now().date(), p.stNRDIAFECHAFOLHA, &startText);
    f.doConsumoSaldoExtra = 0.0;
    if (isYes(p.stIDDEBCONSCENTRAL))
        f.doConsumoSaldoExtra = centralDebit(QStringLiteral("CONSUMO_SALDO_EXTRA"), startText);
    else
        f.doConsumoSaldoExtra = local(server.getGtTotConsSaldExtra(m_client, m_consumer, QDateTime(start, QTime(0, 0))),
                                      QStringLiteral("getGtTotConsSaldExtra"), {m_client, m_consumer, startText}, false)
                                    .toDouble();
}

void ConsumerFiguresRun::creditFamilyBalance()
{
    const Parameters &p = m_state.params;
    Variant packet;
    if (isYes(p.stIDEXTCONSONLINE))
        packet = onlineAnswer(QStringLiteral("CONSULTA_SALDO"), m_family, QString());
    else if (isYes(p.stIDEXTCONSCENTRAL))
        packet = centralCredit(QStringLiteral("CONSULTA_SALDO"), m_family);
    else
        packet = local(m_context.server().consumers.getSaldoCred(m_client, m_consumer, m_family), QStringLiteral("getSaldoCred"),
                       {m_client, m_consumer, m_family}, true);
    loadBalance(packet);
    ClientDataSet &rows = m_context.data().cdsSaldo;
    m_state.figures.doSaldoCredFamilia =
        rows.Active() && !rows.IsEmpty() ? rows.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat() : 0.0;
}

void ConsumerFiguresRun::loadBalance(const Variant &packet)
{
    ClientDataSet &rows = m_context.data().cdsSaldo;
    if (!loadPacket(rows, packet)) {
        rows.Close();
        return;
    }
    rows.First();
}

Variant ConsumerFiguresRun::onlineAnswer(const QString &operation, const QString &family, const QString &date)
{
    const Parameters &p = m_state.params;
    OnlineStatementRequest request;
    request.cdCliente = m_client;
    request.cdConsumidor = m_consumer;
    request.cdFamiliSald = family;
    request.dateText = date;
    request.url = p.stCDURLWSEXTCONS;
    request.operation = operation;
    const StatementAnswer answer = m_context.services().ExtratoConsOnline(request, m_context.data().cdsVazio);
    if (!answer.answered)
        fail(m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV")));
    return answer.value;
}

double ConsumerFiguresRun::onlineFigure(const QString &operation, const QString &family, const QString &date)
{
    return onlineAnswer(operation, family, date).toDouble();
}

double ConsumerFiguresRun::centralDebit(const QString &operation, const QString &date)
{
    const Parameters &p = m_state.params;
    CentralMovementRequest request;
    request.cdFilial = p.stCDFILIAL;
    request.cdLoja = p.stCDLOJA;
    request.cdCliente = m_client;
    request.cdConsumidor = m_consumer;
    request.dateText = date;
    request.operation = operation;
    const StatementAnswer answer = m_context.services().MoviclieCentral(request);
    if (!answer.answered) {
        m_state.consumer.stSaldGastAux2 = operation;
        fail(m_context.Msg(QStringLiteral("MOVICLIECENTRAL_ERRO")).replace(QStringLiteral("%s"), operation));
    }
    return answer.value.toDouble();
}

Variant ConsumerFiguresRun::centralCredit(const QString &operation, const QString &family)
{
    CentralStatementRequest request;
    request.cdFilial = m_state.params.stCDFILIAL;
    request.cdCliente = m_client;
    request.cdConsumidor = m_consumer;
    request.cdFamiliSald = family;
    request.operation = operation;
    const StatementAnswer answer = m_context.services().ExtratoConsCentral(request);
    if (!answer.answered) {
        m_state.consumer.stSaldGastAux2 = operation;
        fail(m_context.Msg(QStringLiteral("EXTCONSCENTRAL_ERRO")).replace(QStringLiteral("%s"), operation));
    }
    return answer.value;
}

// A local server answer. A figure the base could not give is never read as 0: the limits
// would then let the item pass every maximum, so the road stops with the server's text.
Variant ConsumerFiguresRun::local(const Variant &answer, const QString &method, const QStringList &keys, bool keepContext)
{
    const QString context = keyed(keys);
    if (keepContext)
        m_state.consumer.stSaldGastAux1 = context;
    Variant value;
    if (!m_context.checkAnswer(answer, method, context, value, SaleContext::Failure::Quiet))
        fail(QStringLiteral("Não foi possível ler os valores do consumidor (%1): %2").arg(method, answer.failureText()));
    return value;
}

// ---- the consumer's register ---------------------------------------------------------------

ConsumerRecord::ConsumerRecord(SaleContext &context) : m_context(context)
{
}

void ConsumerRecord::preparaVarPreVDSaldo()
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    ConsumerState &consumer = state.consumer;
    const QString &client = state.host.stCdClienteVenda;
    try {
        const Variant answer = m_context.server().consumers.getDadosPreVDSaldo(client, consumer.stCDCONSUMIDOR);
        // A failed answer is no packet: the road stops with the server's text.
        if (answer.isFailure())
            fail(answer.failureText());
        ClientDataSet &rows = data.cdsDadosPreVDSaldo;
        if (!loadPacket(rows, answer))
            fail(QStringLiteral("getDadosPreVDSaldo: resposta sem dados"));
        ClientDataSet &balances = data.cdsConsultaSaldo;
        if (!balances.Active() || balances.IsEmpty()) {
            const QString context = keyed({state.params.stCDFILIAL, client, consumer.stCDCONSUMIDOR});
            const Variant families = m_context.checkedValue(
                m_context.server().consumers.getConsSaldFam(state.params.stCDFILIAL, client, consumer.stCDCONSUMIDOR),
                QStringLiteral("getConsSaldFam"), context);
            loadPacket(balances, families);
        }
        rows.First();
        auto text = [&rows](const char *name) {
            const Field field = rows.FindField(QString::fromLatin1(name));
            return field.IsValid() ? field.AsString() : QString();
        };
        consumer.stRecebAux6 = text("IDVERSALDCON");
        consumer.stPedidoAux6 = BadgeSaleRules::accountLetter(text("IDTPVENDATPCONS"), text("IDTPVENDACONS"));
        consumer.stRecebAux8 = text("VRMAXCREDCONS");
        consumer.stDebitoConsAux1 = text("VRAVIDEBCONS");
        consumer.stVRMESUBCONS = text("VRLIMDEBCONS");
        consumer.stVRMAXDEBCONS = text("VRMAXDEBCONS");
        consumer.stCredPessoalAux1 = text("VRAVICREDCONS");
        consumer.stCredPessoalAux2 = text("VRLIMCREDCONS");
        consumer.stCartaoAux2 = text("IDTPVENDACONS");
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
    }
}

bool ConsumerRecord::ValidarCadastro()
{
    SaleState &state = m_context.state();
    try {
        const Variant answer = m_context.server().consumers.getConsumidor(state.host.stCdClienteVenda,
                                                                          state.consumer.stCDCONSUMIDOR);
        if (answer.isFailure())
            fail(answer.failureText());
        if (isYes(state.params.stIDUTCONFCADCONS) && answer.toString() == QLatin1String("N")) {
            refuseConsumer(m_context.Msg(QStringLiteral("Cad_Conf_Lib")));
            return false;
        }
        return true;
    } catch (const std::exception &error) {
        refuseConsumer(QString::fromUtf8(error.what()));
        return false;
    }
}

void ConsumerRecord::refuseConsumer(const QString &text)
{
    m_context.message(text, Ravuvozozod::Error);
    if (QAbstractButton *badge = m_context.button(FormName::spbCartao))
        badge->setChecked(false);
    m_context.state().flags.boModoCartao = false;
    m_context.screen().LimpaVariaveis();
}

// The reversal names the sale it reverses; a sale without personal credit sends nothing.
void ConsumerRecord::ConectaExtConsOnline(const QString &number)
{
    const SaleState &state = m_context.state();
    const Parameters &p = state.params;
    const QString opened = PtBr::DateTimeToStr(p.dtDTABERCAIX);
    Variant used;
    if (!m_context.checkAnswer(m_context.server().consumers.getCreditoPessoal(p.stCDFILIAL, p.stCDCAIXA, number, p.dtDTABERCAIX),
                               QStringLiteral("getCreditoPessoal"), keyed({p.stCDFILIAL, p.stCDCAIXA, number, opened}), used))
        Abort(); // whether the sale used credit is unknown: the cancellation must not go on
    if (!used.toBool())
        return;
    OnlineStatementRequest request;
    request.cdFilial = p.stCDFILIAL;
    request.cdCliente = state.host.stCdClienteVenda;
    request.cdConsumidor = state.consumer.stCDCONSUMIDOR;
    request.cdCaixa = p.stCDCAIXA;
    request.nrVenda = number;
    request.url = p.stCDURLWSEXTCONS;
    request.operation = QStringLiteral("VENDA_CANC");
    const StatementAnswer answer = m_context.services().ExtratoConsOnline(request, m_context.data().cdsVazio);
    if (!answer.answered)
        fail(m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV_CANC")));
}

void ConsumerRecord::CarregaFotoConsumidor(const QString &code)
{
    const QString folder = SitePaths::resolve(m_context.state().params.stDSDIRCAD + QStringLiteral("Dados\\Consumidor"));
    const QString file = SitePaths::resolve(m_context.state().params.stDSDIRCAD + QStringLiteral("Dados\\Consumidor\\") + code
                                            + QStringLiteral(".jpg"));
    if (code.isEmpty() || !QFileInfo(folder).isDir() || !QFileInfo::exists(file))
        return;
    QPixmap photo;
    if (!photo.load(file))
        fail(QStringLiteral("Imagem inválida: ") + file);
    if (QLabel *logo = m_context.label(FormName::imgLogo)) {
        logo->setScaledContents(true);
        logo->setPixmap(photo);
    }
}

void ConsumerRecord::spbCadConsClick()
{
    m_context.services().CriaCadConsumidor({m_context.state().host.stModoVenda});
}

// ---- the handler's entries -----------------------------------------------------------------

void ConsumerSale::Sald_Gast_Cons(const QString &Kind, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                  const QString &, const QString &CDFAMILISALD, const QString &)
{
    ConsumerFiguresRun(m_context).run(Kind, CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD);
}

void ConsumerSale::preparaVarPreVDSaldo()
{
    ConsumerRecord(m_context).preparaVarPreVDSaldo();
}

bool ConsumerSale::ValidarCadastro()
{
    return ConsumerRecord(m_context).ValidarCadastro();
}

void ConsumerSale::ConectaExtConsOnline(const QString &NrVenda)
{
    ConsumerRecord(m_context).ConectaExtConsOnline(NrVenda);
}

void ConsumerSale::CarregaFotoConsumidor(const QString &Codigo)
{
    ConsumerRecord(m_context).CarregaFotoConsumidor(Codigo);
}

void ConsumerSale::spbCadConsClick(QObject *)
{
    ConsumerRecord(m_context).spbCadConsClick();
}

QString ConsumerSale::cdsFamSaldoIDPERMCARGACREDGetText(const QString &stored) const
{
    return m_context.Msg(stored == QLatin1String("S") ? QStringLiteral("Sim") : QStringLiteral("Não"));
}
