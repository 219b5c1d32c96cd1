#include "settlement.h"

#include <outside/untcodbarra.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

namespace {


// `length` characters of the CF-e text starting `skip` characters after the first `marker`;
// empty when the marker is missing or the cut is not all digits (a garbled answer must not
// become a document number).
QString cut(const QString &xml, const QString &marker, int skip, int length)
{
    const int at = xml.indexOf(marker);
    if (at < 0)
        return {};
    const QString value = xml.mid(at + skip, length);
    if (value.size() != length)
        return {};
    for (const QChar c : value) {
        if (!c.isDigit())
            return {};
    }
    return value;
}

QString qrCodeText(const NameValueList &answer)
{
    QStringList values;
    for (const char *name : {"chaveConsulta", "timeStamp", "valorTotalCFe", "CPFCNPJValue", "assinaturaQRCODE"})
        values << answer.value(QString::fromLatin1(name));
    return values.join(QLatin1Char('|'));
}

} // namespace

QString Settlement::FinalizaVendaSat(const QString &savedSaleKey)
{
    SaleState &state = m_context.state();
    state.flags.boTefOk = false;
    SatTransmitRequest request;
    request.cdFilial = state.params.stCDFILIAL;
    request.cdCaixa = state.params.stCDCAIXA;
    request.savedSaleKey = savedSaleKey;
    request.idUtilSatComp = state.params.stIDUTILSATCOMP;
    request.cdAtivacaoSat = state.startup.stCDATIVACAOSAT;
    request.stRecebAux2 = state.startup.stRecebAux2;
    request.tax0 = state.settlement.stRecebAux21;
    request.tax2 = state.settlement.stRecebAux22;
    const SatAnswer sat = m_context.services().SATOnline(request);
    state.flags.boTefOk = sat.accepted;
    if (!sat.accepted) {
        const QString text = sat.answer.value(QStringLiteral("mensagem"));
        return !text.isEmpty() ? text : !sat.failure.isEmpty() ? sat.failure : QStringLiteral("ERRO");
    }
    const QString xml = sat.answer.value(QStringLiteral("arqxmlnfce"));
    const QString cfe = cut(xml, QStringLiteral("nCFe"), 5, 6);
    const QString serial = cut(xml, QStringLiteral("nserieSAT"), 10, 9);
    if (cfe.isEmpty() || serial.isEmpty()) {
        state.flags.boTefOk = false;
        return QStringLiteral("O retorno do SAT não traz o número do CF-e ou a série do equipamento.");
    }
    state.settlement.stRecebAux18 = qrCodeText(sat.answer);
    state.settlement.stRecebAux17 = sat.answer.value(QStringLiteral("chaveConsulta"));
    state.settlement.stRecebAux3 = cfe;
    Untcodbarra::CriaCodBarra(state.settlement.stRecebAux17, state.startup.stRecebAux2);
    state.settlement.stRecebAux16 = serial;
    SatUpdateRequest update{request.cdFilial, request.cdCaixa, savedSaleKey, cfe, state.settlement.stRecebAux18, sat.answer};
    Variant ignored;
    m_context.checkAnswer(m_context.services().AtualizaVendaSat(update), QStringLiteral("AtualizaVendaSat"),
                          QStringList{request.cdFilial, request.cdCaixa, savedSaleKey, QStringLiteral("stlXmlSat"), cfe,
                                      state.settlement.stRecebAux18}
                              .join(QLatin1Char('-')),
                          ignored);
    return {};
}
