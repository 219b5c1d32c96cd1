#include "srv_counters.h"

#include "servercall.h"

#include <outside/consiste.h>
#include <outside/processlauncher.h>
#include <outside/qub_proximocodigo.h>

#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDebug>
#include <QDir>

using Qub_proximocodigo::NextNumber;
using Qub_proximocodigo::TdtmQubProxCodigo;

namespace {

const Statement adqNovoCodigo{"adqNovoCodigo",
    "SELECT NRSEQUENCIAL FROM NOVOCODIGO WHERE CDCONTADOR = :P_CDCONTADOR"};
// Markers are written once per key; a second till racing for the same key leaves the first.
const Statement acmInsNovoCodigo{"acmInsNovoCodigo",
    "INSERT INTO NOVOCODIGO (CDCONTADOR, NRSEQUENCIAL) VALUES (:CDCONTADOR, :NRSEQUENCIAL) "
    "ON CONFLICT (CDCONTADOR) DO NOTHING"};
const Statement adqMaxVendaExt{"adqMaxVendaExt",
    "SELECT MAX(CAST(NRVENDAEXT AS BIGINT)) AS NRVENDAEXT FROM VENDA "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND CDPREFINTGCOLVEN = :P_CDPREFINTGCOLVEN"};
const Statement adqProxCupomFis{"adqProxCupomFis",
    "SELECT COALESCE(MAX(CAST(NRCUPOMFIS AS BIGINT)), 0) + 1 AS NRCUPOMFIS FROM VENDA "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA"};
const Statement adqNrInsJurFili{"adqNrInsJurFili",
    "SELECT NRINSJURFILI FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL"};
const Statement acmInsInutilizaNFCe{"acmInsInutilizaNFCe",
    "INSERT INTO INUTILIZANFCE (CDFILIAL, CDCAIXA, NRNOTAFISCALCE, DTENTRVENDA, CDSERIENFCE, IDTPAMBNFCE, "
    "IDSTATUSNFCE, NRINSJURFILI) VALUES (:CDFILIAL, :CDCAIXA, :NRNOTAFISCALCE, :DTENTRVENDA, :CDSERIENFCE, "
    ":IDTPAMBNFCE, :IDSTATUSNFCE, :NRINSJURFILI)"};

const QString outOfRange = QStringLiteral("CUPINV");

QString zeroFill(const QString &text, int width)
{
    return Consiste::Ajusta(text.trimmed(), width);
}

QString today()
{
    return Qub_proximocodigo::keyDate(Clock::now().date());
}

Variant insertMarker(ServerCall &call, const QString &key, const QString &value)
{
    return call.write(acmInsNovoCodigo, {{"CDCONTADOR", key}, {"NRSEQUENCIAL", value}});
}

struct Range
{
    qint64 start = 0;
    qint64 end = 0;
    QString startText;
};

// First use of the counter: from the highest external number already sold, else from the
// range start. Unlike the old road, a number found from earlier sales is checked against the
// range too, so no road hands out a number outside it.
Variant colombiaFirstUse(ServerCall &call, const QString &key, const Params &sale, const Range &range)
{
    const Variant highest = call.value(adqMaxVendaExt, sale, "NRVENDAEXT");
    if (highest.isFailure())
        return highest;
    if (highest.isBlank()) {
        if (range.start > range.end)
            return outOfRange;
        const Variant written = insertMarker(call, key, zeroFill(range.startText, 20));
        return written.isFailure() ? written : Variant(range.startText);
    }
    bool ok = false;
    const qint64 next = highest.toString().trimmed().toLongLong(&ok) + 1;
    if (!ok)
        return Variant::failure(QStringLiteral("NRVENDAEXT não numérico: %1").arg(highest.toString()));
    if (next < range.start) {
        const Variant written = insertMarker(call, key, zeroFill(range.startText, 20));
        return written.isFailure() ? written : Variant(range.startText);
    }
    const bool inside = next <= range.end;
    const Variant written = insertMarker(call, key, zeroFill(QString::number(inside ? next : next - 1), 20));
    if (written.isFailure())
        return written;
    return inside ? Variant(zeroFill(QString::number(next), 10)) : Variant(outOfRange);
}

// The counter is set back through the service that advanced it, on the same session, so its
// record of numbers handed out follows too.
Variant colombiaNext(const QString &key, const QString &cdFilial, const QString &cdCaixa, const QString &prefix,
                     const Range &range)
{
    TdtmQubProxCodigo service;
    const NextNumber drawn = service.PrxVendaColombia(cdFilial, cdCaixa, prefix);
    if (!drawn.ok())
        return drawn.answer();
    if (drawn.value() < range.start) {
        const Variant written = service.store(key, range.startText);
        return written.isFailure() ? written : Variant(range.startText);
    }
    if (drawn.value() <= range.end)
        return drawn.answer();
    // Undo the step, so the counter stays where it was and every later call refuses too.
    const Variant written = service.store(key, QString::number(drawn.value() - 1));
    return written.isFailure() ? written : Variant(outOfRange);
}

bool readRange(const QString &start, const QString &end, Range *range)
{
    bool startOk = false, endOk = false;
    range->start = start.trimmed().toLongLong(&startOk);
    range->end = end.trimmed().toLongLong(&endOk);
    range->startText = start.trimmed();
    return startOk && endOk;
}

void startStockProgram(const QString &cdFilial, const QString &cdCaixa)
{
    const QString program = QDir(SitePaths::home()).filePath(QStringLiteral("QubTab.exe"));
    const QString argument = QStringLiteral("ESTOQUE_%1_%2_").arg(cdFilial, cdCaixa);
    if (!ProcessLauncher::startDetached(program, {argument}))
        qWarning().noquote() << "setGravaCupomInicial: could not start" << program << argument;
}

// The receipt number to record: the one given, or the next of VENDA when the printer said "ERRO".
Variant firstReceiptValue(ServerCall &call, const QString &cdFilial, const QString &cdCaixa, const QString &given)
{
    if (given.trimmed() != QLatin1String("ERRO"))
        return zeroFill(given.trimmed(), 10);
    const Variant next = call.value(adqProxCupomFis, {{"P_CDFILIAL", cdFilial}, {"P_CDCAIXA", cdCaixa}}, "NRCUPOMFIS");
    return next.isFailure() ? next : Variant(zeroFill(next.toString(), 10));
}

} // namespace

namespace Srv_Kal51000 {

Variant getPrxVendaColombia(const QString &CDFILIAL, const QString &CDCAIXA, const QString &prefix,
                            const QString &rangeStart, const QString &rangeEnd)
{
    Range range;
    if (!readRange(rangeStart, rangeEnd, &range))
        return Variant::failure(QStringLiteral("faixa de cupons inválida: %1 até %2").arg(rangeStart, rangeEnd));
    ServerCall call;
    const QString key = QStringLiteral("VENDACOLOMBIA") + CDFILIAL + CDCAIXA + prefix;
    const Variant row = call.value(adqNovoCodigo, {{"P_CDCONTADOR", key}}, "NRSEQUENCIAL");
    if (row.isFailure())
        return row;
    if (row.isEmpty()) {
        const Params sale{{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}, {"P_CDPREFINTGCOLVEN", prefix}};
        return colombiaFirstUse(call, key, sale, range);
    }
    return colombiaNext(key, CDFILIAL, CDCAIXA, prefix, range);
}

Variant setGravaCupomInicial(const QString &CDFILIAL, const QString &CDCAIXA, const QString &receiptNumber,
                             const QDateTime &date)
{
    ServerCall call;
    const QString key = QStringLiteral("CUPINICIAL") + CDFILIAL + CDCAIXA + Qub_proximocodigo::keyDate(date.date());
    const Variant row = call.value(adqNovoCodigo, {{"P_CDCONTADOR", key}}, "NRSEQUENCIAL");
    if (!row.isEmpty())
        return row.isFailure() ? row : Variant();
    startStockProgram(CDFILIAL, CDCAIXA);
    const Variant value = firstReceiptValue(call, CDFILIAL, CDCAIXA, receiptNumber);
    return value.isFailure() ? value : insertMarker(call, key, value.toString());
}

Variant getPrxVendaConsumidor(const QString &CDFILIAL, const QString &CDCAIXA)
{
    return TdtmQubProxCodigo().PrxVendaConsumidor(CDFILIAL, CDCAIXA).answer();
}

Variant getPrxVendaVista(const QString &CDFILIAL, const QString &CDCAIXA)
{
    return TdtmQubProxCodigo().PrxVendaVista(CDFILIAL, CDCAIXA).answer();
}

Variant getNumeroNFCe(const QString &CDFILIAL, const QString &CDSERIENFCE, const QString &IDTPAMBNFCE)
{
    return TdtmQubProxCodigo().PrxNumeroNFCe(CDFILIAL, CDSERIENFCE, IDTPAMBNFCE).answer();
}

Variant setNrVendaNFisc(const QString &CDFILIAL, const QString &CDCAIXA, const QString &kind)
{
    if (kind == QLatin1String("C"))
        return getPrxVendaConsumidor(CDFILIAL, CDCAIXA);
    const Variant number = getPrxVendaVista(CDFILIAL, CDCAIXA);
    if (number.isFailure())
        return number;
    ServerCall call;
    const Variant written = insertMarker(call, QStringLiteral("VENDAVISTAPRIM") + CDFILIAL + CDCAIXA + today(),
                                         number.toString());
    return written.isFailure() ? written : number;
}

Variant setNumeroNFCe(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDSERIENFCE,
                      const QString &IDTPAMBNFCE, bool voiding)
{
    const Variant number = getNumeroNFCe(CDFILIAL, CDSERIENFCE, IDTPAMBNFCE);
    if (number.isFailure())
        return number;
    ServerCall call;
    const QString key = QStringLiteral("NFCEPRIM_%1%2-%3_AMB%4").arg(CDFILIAL, CDSERIENFCE, today(), IDTPAMBNFCE);
    if (const Variant written = insertMarker(call, key, number.toString()); written.isFailure())
        return written;
    const Variant cnpj = call.value(adqNrInsJurFili, {{"P_CDFILIAL", CDFILIAL}}, "NRINSJURFILI");
    if (cnpj.isFailure() || !voiding)
        return cnpj.isFailure() ? cnpj : number;
    const Variant filed = call.write(acmInsInutilizaNFCe,
        {{"CDFILIAL", CDFILIAL}, {"CDCAIXA", CDCAIXA}, {"NRNOTAFISCALCE", number}, {"DTENTRVENDA", QDateTime(Clock::now().date(), QTime(0, 0))},
         {"CDSERIENFCE", CDSERIENFCE}, {"IDTPAMBNFCE", IDTPAMBNFCE}, {"IDSTATUSNFCE", "P"}, {"NRINSJURFILI", cnpj}});
    return filed.isFailure() ? filed : number;
}

} // namespace Srv_Kal51000
