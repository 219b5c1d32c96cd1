#include "srv_salecancel.h"

#include "servercall.h"
#include "statement.h"

namespace {

// The store row of the sale's branch and store says which products print a cancellation
// ticket, and on which printer.
const Statement adqItCanc{"adqItCanc",
    "SELECT I.NRSEQUITVEND, P.NMPRODUTO, I.CDPRODUTO, L.IDIMPCANITEM, L.CDPORIMPPROD, V.NRMESA, V.NRCUPOMFIS, "
    "I.QTPRODVEND AS QTPRODCOMVEN, V.NRCOMANDAVND, V.DSCOMANDAVND FROM VENDA V "
    "JOIN ITEMVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA AND I.NRSEQVENDA = V.NRSEQVENDA "
    "JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "
    "JOIN PRODLOJA L ON L.CDFILIAL = V.CDFILIAL AND L.CDLOJA = V.CDLOJA AND L.CDPRODUTO = I.CDPRODUTO "
    "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDCAIXA = :P_CDCAIXA "
    "AND (V.NRCUPOMFIS = :P_NUMERO OR V.NRNOTAFISCALCE = :P_NUMERO) AND L.IDIMPCANITEM = 'S' "
    "ORDER BY V.NRSEQVENDA, I.NRSEQUITVEND"};
const Statement adqItCancEst{"adqItCancEst",
    "SELECT E.CDFILIAL, E.CDCAIXA, E.NRSEQVENDA, E.NRSEQUITVEND, P.NMPRODUTO, E.CDPRODUTO, L.IDIMPCANITEM, "
    "L.CDPORIMPPROD, V.NRMESA, V.NRCUPOMFIS, E.QTITVENDAEST AS QTPRODCOMVEN, V.NRCOMANDAVND, V.DSCOMANDAVND "
    "FROM VENDA V JOIN ITEMVENDAEST E ON E.CDFILIAL = V.CDFILIAL AND E.CDCAIXA = V.CDCAIXA "
    "AND E.NRSEQVENDA = V.NRSEQVENDA JOIN PRODUTO P ON P.CDPRODUTO = E.CDPRODUTO "
    "JOIN PRODLOJA L ON L.CDFILIAL = V.CDFILIAL AND L.CDLOJA = V.CDLOJA AND L.CDPRODUTO = E.CDPRODUTO "
    "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDCAIXA = :P_CDCAIXA AND V.NRCUPOMFIS = :P_NUMERO "
    "AND L.IDIMPCANITEM = 'S' ORDER BY E.NRSEQVENDA, E.NRSEQUITVEND, E.NRSEQITVENDEST"};
// The branch's state: that of its emission address, or of its state registration when it
// emits with the registration's address or has no such address.
const Statement adqVendaCanNFCe{"adqVendaCanNFCe",
    "SELECT V.CDFILIAL, V.CDCAIXA, V.CDLOJA, V.NRSEQVENDA, V.CDCLIENTE, V.CDCONSUMIDOR, V.DTVENDA, V.DTENTRVENDA, "
    "V.IDSITUVENDA, V.DTABERTUR, V.SGESTADO, V.IDORIGEMVENDA, V.DTEMISSAONFCE, V.NRNOTAFISCALCE, V.NRLANCTONFCE, "
    "V.NRACESSONFCE, V.IDTPAMBNFCE, V.NRINSJURIEST, V.CDSERIENFCE, V.IDSTATUSNFCE, V.DSOBSSTATUSNFCE, "
    "V.NRRECIBONFCE, V.DTENVIONFCE, V.NRPROTOCOLONFCE, V.DTHRPROTOCONFCE, V.IDTPEMISVEND, V.NRPROTOCOLOCANC, "
    "V.DTHRPROTOCOCANC, V.CDOPERADORCANC, V.DSRAZAOCANCNFCE, V.IDIMPVENDA, '' AS CDPORIMPPROD, '' AS IDIMPCANITEM, "
    "I.QTPRODVEND AS QTPRODCOMVEN, I.VRUNITVEND AS VRPRECCOMVEN, P.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, "
    "ES.HRDIFUTCFUSO, ES.CDESTADOIBGE, PV.NRCERTDIGNFCE, PV.CDURLWSNFC, PV.CDVERSAOXMLNFCE, PV.NRTIMEOUTNFCE, "
    "PV.CDVERSAOQRCNFCE, PV.IDCANCEXTNFCE, W.IDSERVICO, W.IDAMBIENTE, W.WSEVENTONFC FROM VENDA V "
    "JOIN ITEMVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA AND I.NRSEQVENDA = V.NRSEQVENDA "
    "JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO JOIN FILIAL F ON F.CDFILIAL = V.CDFILIAL "
    "JOIN ESTADO ES ON ES.SGESTADO = CASE WHEN F.IDENDEMISFIL = 'I' THEN F.SGESTADOINSCEST ELSE COALESCE("
    "(SELECT MIN(A.SGESTADO) FROM ENDEFILI A WHERE A.CDFILIAL = V.CDFILIAL AND A.IDTPENDEFILI IN ('C', 'E', 'X', 'P')), "
    "F.SGESTADOINSCEST) END "
    "JOIN PARAVEND PV ON PV.CDFILIAL = V.CDFILIAL AND PV.IDAMBTRABNFCE = V.IDTPAMBNFCE "
    "JOIN WEBSERVICE W ON W.SGESTADO = ES.SGESTADO AND W.IDAMBIENTE = V.IDTPAMBNFCE AND W.IDSERVICO = 'NFC' "
    "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDCAIXA = :P_CDCAIXA AND V.IDSITUVENDA = 'O' "
    "AND V.NRNOTAFISCALCE = :P_NRNOTAFISCALCE AND V.DTABERTUR = :P_DTABERTUR ORDER BY I.NRSEQUITVEND"};
const Statement adqObrigaObsCan{"adqObrigaObsCan",
    "SELECT IDOBRIGAOBSCAN FROM LOJA WHERE CDFILIAL = :P_CDFILIAL AND CDLOJA = :P_CDLOJA"};
const Statement adqIdDtEmisCanc{"adqIdDtEmisCanc",
    "SELECT IDDTEMISCANC FROM PARAVEND WHERE CDFILIAL = :P_CDFILIAL"};

Params deskNumber(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number)
{
    return {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}, {"P_NUMERO", number}};
}

// The NF-e may be cancelled up to 30 minutes after its emission: worked out here, the same on
// every database.
Variant withCancellationLimit(const Variant &answer)
{
    if (!answer.isPacket())
        return answer;
    DataPacket packet = answer.packet();
    const int emitted = packet.fieldIndex(QStringLiteral("DTEMISSAONFCE"));
    packet.fields.append({QStringLiteral("DTLIMITECANC"), FieldType::DateTime});
    for (QList<Variant> &row : packet.rows) {
        const QDateTime at = emitted < 0 || row.at(emitted).isBlank() ? QDateTime() : row.at(emitted).toDateTime();
        row.append(at.isValid() ? Variant(at.addSecs(30 * 60)) : Variant::null());
    }
    return Variant(packet);
}

// A flag column as text: "" when there is no row or no value.
Variant flagText(const Variant &value)
{
    return value.isFailure() ? value : Variant(value.isBlank() ? QString() : value.toString());
}

} // namespace

namespace Srv_Kal51000 {

Variant getItemsCancelados(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number)
{
    return ServerCall().packet(adqItCanc, deskNumber(CDFILIAL, CDCAIXA, number));
}

Variant getItemsCanceladosEst(const QString &CDFILIAL, const QString &CDCAIXA, const QString &number)
{
    return ServerCall().packet(adqItCancEst, deskNumber(CDFILIAL, CDCAIXA, number));
}

Variant getVendaCanNFCe(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRNOTAFISCALCE,
                        const QDateTime &DTABERTUR)
{
    return withCancellationLimit(ServerCall().packet(
        adqVendaCanNFCe, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}, {"P_NRNOTAFISCALCE", NRNOTAFISCALCE},
                          {"P_DTABERTUR", DTABERTUR}}));
}

Variant getObrigaObsCan(const QString &CDFILIAL, const QString &CDLOJA)
{
    return flagText(ServerCall().value(adqObrigaObsCan, {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA}},
                                       "IDOBRIGAOBSCAN"));
}

Variant getIDDTEMISCANC(const QString &CDFILIAL)
{
    return flagText(ServerCall().value(adqIdDtEmisCanc, {{"P_CDFILIAL", CDFILIAL}}, "IDDTEMISCANC"));
}

} // namespace Srv_Kal51000
