#include "srv_lookups_tills.h"

#include "srv_lookups_common.h"

using namespace LookupsDetail;

namespace {

const Statement adqConfigCaixa{"adqConfigCaixa",
    "SELECT IDLEITURAQRCODE FROM CAIXA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA"};
const Statement adqVisualizaTelPed{"adqVisualizaTelPed",
    "SELECT IDVISTELPED FROM CAIXA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA"};
const Statement adqImpPesagem{"adqImpPesagem",
    "SELECT IDIMPPESAGEM FROM CAIXA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA"};
const Statement adqRecebGenerico{"adqRecebGenerico",
    "SELECT DISTINCT T.CDTIPORECE FROM CAIXA C "
    "JOIN ITMENUCONFTE M ON M.CDFILIAL = C.CDFILIAL AND M.NRCONFTELA = C.NRCONFTELA AND M.IDTPBUTTON = '5' "
    "JOIN TIPORECE T ON T.CDTIPORECE = M.CDIDENTBUTON "
    "WHERE C.CDFILIAL = :P_CDFILIAL AND C.CDCAIXA = :P_CDCAIXA AND T.IDMOSTRARECE = 'S' "
    "AND T.IDTIPORECE = '1' AND T.IDDESABTEF = 'N' ORDER BY T.CDTIPORECE"};
const Statement adqCartaoCHART{"adqCartaoCHART",
    "SELECT CDTIPORECE FROM TIPORECE WHERE IDTIPORECE = 'E'"};
const Statement adqImprLoja{"adqImprLoja",
    "SELECT I.CDPORTAIMPR, M.IDMODEIMPRES FROM PRODLOJA P "
    "JOIN IMPRLOJA I ON I.CDFILIAL = P.CDFILIAL AND I.NRSEQIMPRLOJA = P.NRSEQIMPRPROD "
    "JOIN IMPRESSORA M ON M.CDIMPRESSORA = I.CDIMPRESSORA "
    "WHERE P.CDFILIAL = :P_CDFILIAL AND P.CDLOJA = :P_CDLOJA AND P.CDPRODUTO = :P_CDPRODUTO"};
const Statement adqImprLoja2{"adqImprLoja2",
    "SELECT I.CDPORTAIMPR, M.IDMODEIMPRES FROM PRODLOJA P "
    "JOIN IMPRLOJA I ON I.CDFILIAL = P.CDFILIAL AND I.NRSEQIMPRLOJA = P.NRSEQIMPRPROD2 "
    "JOIN IMPRESSORA M ON M.CDIMPRESSORA = I.CDIMPRESSORA "
    "WHERE P.CDFILIAL = :P_CDFILIAL AND P.CDLOJA = :P_CDLOJA AND P.CDPRODUTO = :P_CDPRODUTO"};

// The pairs (printer, backup) first, each once however many products share it, then the
// port, address and model of both sides.
const Statement adqImpBackup{"adqImpBackup",
    "SELECT X.NRSEQIMPRLOJA, X.NRSEQIMPRLOJABK, I.CDPORTAIMPR, IB.CDPORTAIMPR AS CDPORTAIMPRBK, "
    "A.DSENDPORTA, AB.DSENDPORTA AS DSENDPORTABK, M.IDMODEIMPRES, MB.IDMODEIMPRES AS IDMODEIMPRESBK, "
    "X.CDFILIAL, X.CDLOJA, X.CDCAIXA, X.TIPO FROM ("
    " SELECT CDFILIAL, CDLOJA, CDCAIXA, NRSEQIMPRLOJA1 AS NRSEQIMPRLOJA, NRSEQIMPRLOJA1BK AS NRSEQIMPRLOJABK, "
    " 'CAIXA' AS TIPO FROM CAIXA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA"
    " UNION SELECT CDFILIAL, CDLOJA, CDCAIXA, NRSEQIMPRLOJA2, NRSEQIMPRLOJA2BK, 'CAIXA' "
    " FROM CAIXA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA"
    " UNION SELECT CDFILIAL, CDLOJA, CDCAIXA, NRSEQIMPRLOJA5, NRSEQIMPRLOJA5BK, 'CAIXA' "
    " FROM CAIXA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA"
    " UNION SELECT P.CDFILIAL, P.CDLOJA, C.CDCAIXA, P.NRSEQIMPRPROD, P.NRSEQIMPPRDBKP, 'PRODLOJA' "
    " FROM PRODLOJA P JOIN CAIXA C ON C.CDFILIAL = P.CDFILIAL AND C.CDLOJA = P.CDLOJA "
    " WHERE C.CDFILIAL = :P_CDFILIAL AND C.CDCAIXA = :P_CDCAIXA"
    " UNION SELECT P.CDFILIAL, P.CDLOJA, C.CDCAIXA, P.NRSEQIMPRPROD2, P.NRSEQIMPPRD2BKP, 'PRODLOJA' "
    " FROM PRODLOJA P JOIN CAIXA C ON C.CDFILIAL = P.CDFILIAL AND C.CDLOJA = P.CDLOJA "
    " WHERE C.CDFILIAL = :P_CDFILIAL AND C.CDCAIXA = :P_CDCAIXA"
    " UNION SELECT P.CDFILIAL, P.CDLOJA, C.CDCAIXA, P.NRSEQIMPRPUXA, P.NRSEQIMPPUXABKP, 'PRODLOJA' "
    " FROM PRODLOJA P JOIN CAIXA C ON C.CDFILIAL = P.CDFILIAL AND C.CDLOJA = P.CDLOJA "
    " WHERE C.CDFILIAL = :P_CDFILIAL AND C.CDCAIXA = :P_CDCAIXA"
    ") X "
    "LEFT JOIN IMPRLOJA I ON I.CDFILIAL = X.CDFILIAL AND I.NRSEQIMPRLOJA = X.NRSEQIMPRLOJA "
    "LEFT JOIN IMPRLOJA IB ON IB.CDFILIAL = X.CDFILIAL AND IB.NRSEQIMPRLOJA = X.NRSEQIMPRLOJABK "
    "LEFT JOIN MAPIMPRLOJA A ON A.CDFILIAL = X.CDFILIAL AND A.NRSEQIMPRLOJA = X.NRSEQIMPRLOJA "
    "LEFT JOIN MAPIMPRLOJA AB ON AB.CDFILIAL = X.CDFILIAL AND AB.NRSEQIMPRLOJA = X.NRSEQIMPRLOJABK "
    "LEFT JOIN IMPRESSORA M ON M.CDIMPRESSORA = I.CDIMPRESSORA "
    "LEFT JOIN IMPRESSORA MB ON MB.CDIMPRESSORA = IB.CDIMPRESSORA "
    "WHERE COALESCE(X.NRSEQIMPRLOJA, '') <> '' AND COALESCE(X.NRSEQIMPRLOJABK, '') <> '' "
    "ORDER BY X.TIPO, X.NRSEQIMPRLOJA, X.NRSEQIMPRLOJABK"};

const Statement adqDsOcorr{"adqDsOcorr",
    "SELECT DSOCORR FROM OCORRENCIA WHERE CDGRPOCOR = :P_CDGRPOCOR AND CDOCORR = :P_CDOCORR"};
const Statement adqParamGeral{"adqParamGeral",
    "SELECT IDUTCUPOMDESC FROM PARAMGERAL"};
const Statement adqBloqFimSemana{"adqBloqFimSemana",
    "SELECT IDBLOQSALDFS FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqIDIMPQRTOPDATA{"adqIDIMPQRTOPDATA",
    "SELECT C.IDIMPQRTOPDATA FROM CAIXA C JOIN PRODUTO P ON P.CDPRODUTO = :P_CDPRODUTO "
    "WHERE C.CDFILIAL = :P_CDFILIAL AND C.CDCAIXA = :P_CDCAIXA AND P.IDIMPQRCODECAT = 'S' "
    "AND C.IDIMPQRTOPDATA = 'S'"};
const Statement adqSenhaUtil{"adqSenhaUtil",
    "SELECT CDSENHAPED FROM VENDA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
    "AND CDSENHAPED = :P_CDSENHAPED AND DTENTRVENDA >= :P_DIA AND DTENTRVENDA < :P_DIASEGUINTE"};
const Statement adqVendaQRCode{"adqVendaQRCode",
    "SELECT NRSEQVENDA FROM VENDA WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
    "AND NRCOMANDAVND = :P_NRCOMANDAVND AND IDSITUVENDA = 'O' AND NRSEQVENDA IS NOT NULL "
    "AND DTENTRVENDA >= :P_DIA AND DTENTRVENDA < :P_DIASEGUINTE"};

// One claim a day per branch, restaurant sale and tab: the till that inserts it sells the code.
// The insert skips a claim that exists, so a second till never fails a transaction on it.
const Statement acmReservaQRCode{"acmReservaQRCode",
    "INSERT INTO QRCODEVENDA (CDFILIAL, NRVENDAREST, NRCOMANDA, DTLEITURA, CDCAIXA) "
    "SELECT :P_CDFILIAL, :P_NRVENDAREST, :P_NRCOMANDA, :P_DTLEITURA, :P_CDCAIXA "
    "WHERE NOT EXISTS (SELECT 1 FROM QRCODEVENDA WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
    "AND NRCOMANDA = :P_NRCOMANDA AND DTLEITURA = :P_DTLEITURA)"};
const Statement adqReservaQRCode{"adqReservaQRCode",
    "SELECT CDCAIXA FROM QRCODEVENDA WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
    "AND NRCOMANDA = :P_NRCOMANDA AND DTLEITURA = :P_DTLEITURA"};
const Statement acmLiberaQRCode{"acmLiberaQRCode",
    "DELETE FROM QRCODEVENDA WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
    "AND NRCOMANDA = :P_NRCOMANDA AND DTLEITURA = :P_DTLEITURA AND CDCAIXA = :P_CDCAIXA"};

Params qrCodeClaim(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA, const QString &CDCAIXA)
{
    return {{"P_CDFILIAL", CDFILIAL}, {"P_NRVENDAREST", NRVENDAREST}, {"P_NRCOMANDA", NRCOMANDA},
            {"P_DTLEITURA", Clock::now().date().toString(Qt::ISODate)}, {"P_CDCAIXA", CDCAIXA}};
}

const TextOnFailure emptyText = TextOnFailure::answer(QString());
const TextOnFailure no = TextOnFailure::answer(QStringLiteral("N"));

Params desk(const QString &CDFILIAL, const QString &CDCAIXA)
{
    return {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}};
}

Params storeProduct(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO)
{
    return {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}, {"P_CDPRODUTO", CDPRODUTO}};
}

} // namespace

namespace Srv_Kal51000 {

QString getConfigCaixa(const QString &CDFILIAL, const QString &CDCAIXA)
{
    return ServerCall().fieldText(adqConfigCaixa, desk(CDFILIAL, CDCAIXA), "IDLEITURAQRCODE", no);
}

Variant getVisualizaTelPed(const QString &CDFILIAL, const QString &CDCAIXA)
{
    const Variant flag = ServerCall().value(adqVisualizaTelPed, desk(CDFILIAL, CDCAIXA), "IDVISTELPED");
    return flag.isFailure() ? flag : Variant(flag.toString() == QLatin1String("S"));
}

QString getImpPesagem(const QString &CDFILIAL, const QString &CDCAIXA)
{
    const QString flag = ServerCall().fieldText(adqImpPesagem, desk(CDFILIAL, CDCAIXA), "IDIMPPESAGEM", no);
    return flag.isEmpty() ? QStringLiteral("N") : flag;
}

QString getRecebGenerico(const QString &CDFILIAL, const QString &CDCAIXA)
{
    return ServerCall().fieldText(adqRecebGenerico, desk(CDFILIAL, CDCAIXA), "CDTIPORECE", emptyText);
}

bool getCartaoCHART()
{
    return ServerCall().exists(adqCartaoCHART, {}, {.found = true, .missing = false, .failed = false});
}

Variant getImprLoja(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO)
{
    return ServerCall().packet(adqImprLoja, storeProduct(CDFILIAL, CDLOJA, CDPRODUTO));
}

Variant getImprLoja2(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDPRODUTO)
{
    return ServerCall().packet(adqImprLoja2, storeProduct(CDFILIAL, CDLOJA, CDPRODUTO));
}

Variant getImpBackup(const QString &CDFILIAL, const QString &CDCAIXA)
{
    return ServerCall().packet(adqImpBackup, desk(CDFILIAL, CDCAIXA));
}

QString getDsOcorr(const QString &CDGRPOCOR, const QString &CDOCORR)
{
    return ServerCall().fieldText(adqDsOcorr, {{"P_CDGRPOCOR", CDGRPOCOR}, {"P_CDOCORR", CDOCORR}}, "DSOCORR",
                                  emptyText);
}

QString getIDUTCUPOMDESC()
{
    return ServerCall().fieldText(adqParamGeral, {}, "IDUTCUPOMDESC", TextOnFailure::errorText());
}

QString getBloqFimSemana(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().fieldText(adqBloqFimSemana, {{"P_CDCLIENTE", CDCLIENTE}, {"P_CDCONSUMIDOR", CDCONSUMIDOR}},
                                  "IDBLOQSALDFS", TextOnFailure::errorText());
}

QString getIDIMPQRTOPDATA(const QString &CDCAIXA, const QString &CDFILIAL, const QString &CDPRODUTO)
{
    return ServerCall().fieldText(adqIDIMPQRTOPDATA, desk(CDFILIAL, CDCAIXA) + Params{{"P_CDPRODUTO", CDPRODUTO}},
                                  "IDIMPQRTOPDATA", emptyText);
}

QString getSenhaUtil(const QString &CDFILIAL, const QString &SENHACUPOM, const QString &CDCAIXA,
                     const QDateTime &DTENTRVENDA)
{
    const Params params = desk(CDFILIAL, CDCAIXA) + Params{{"P_CDSENHAPED", SENHACUPOM}} + dayRange(DTENTRVENDA.date());
    return ServerCall().fieldText(adqSenhaUtil, params, "CDSENHAPED", TextOnFailure::errorText());
}

// The old answer passed a failed read for "free", which let a QR code be sold twice.
QrCodeSaleCheck getVendaQRCode(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA)
{
    const Params params{{"P_CDFILIAL", CDFILIAL}, {"P_NRVENDAREST", NRVENDAREST}, {"P_NRCOMANDAVND", NRCOMANDA}};
    const Variant sale = ServerCall().value(adqVendaQRCode, params + todayRange(), "NRSEQVENDA");
    if (sale.isFailure())
        return {QrCodeSaleCheck::State::Failed, sale.failureText()};
    return {sale.isEmpty() ? QrCodeSaleCheck::State::Free : QrCodeSaleCheck::State::Taken, QString()};
}

// A second till's insert finds the claim and adds nothing; one that races the first and
// loses on the key fails, and the read that follows tells it who holds the code.
Variant setReservaQRCode(TrdmVendaCons &module, const QString &CDFILIAL, const QString &NRVENDAREST,
                         const QString &NRCOMANDA, const QString &CDCAIXA)
{
    const Params params = qrCodeClaim(CDFILIAL, NRVENDAREST, NRCOMANDA, CDCAIXA);
    Variant inserted;
    {
        ServerCall call(module);
        TransactionScope transaction(call);
        inserted = call.write(acmReservaQRCode, params);
        if (!inserted.isFailure())
            inserted = transaction.commit();
    }
    Params code = params;
    code.removeIf([](const Qub_movrela::Param &param) { return param.name == QLatin1String("P_CDCAIXA"); });
    const Variant holder = ServerCall(module).value(adqReservaQRCode, code, "CDCAIXA");
    if (holder.isFailure())
        return holder;
    if (holder.isEmpty())
        return inserted.isFailure() ? inserted : Variant::failure(QStringLiteral("adqReservaQRCode: no claim"));
    return Variant(holder.toString() == CDCAIXA);
}

Variant setReservaQRCode(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                         const QString &CDCAIXA)
{
    return setReservaQRCode(rdmVendaCons(), CDFILIAL, NRVENDAREST, NRCOMANDA, CDCAIXA);
}

Variant setLiberaQRCode(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                        const QString &CDCAIXA)
{
    return ServerCall().write(acmLiberaQRCode, qrCodeClaim(CDFILIAL, NRVENDAREST, NRCOMANDA, CDCAIXA));
}

} // namespace Srv_Kal51000
