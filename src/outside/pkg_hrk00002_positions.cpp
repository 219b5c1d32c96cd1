// The positional forms of the requests and answers whose positions are the host's contract:
// the stand-in host and golden tests read them by index, as the host's contract numbers them.

#include "pkg_hrk00002.h"

namespace {

QList<Variant> firstValues(QList<Variant> values, int count)
{
    if (count < values.size())
        values.resize(qMax(0, count));
    while (values.size() < count)
        values.append(QString());
    return values;
}

QString textAt(const Variant &array, int index)
{
    const Variant value = array.at(index);
    return value.isBlank() || value.isFailure() ? QString() : value.toString();
}

} // namespace

QList<Variant> AdditionalDataRequest::toArray() const
{
    const QList<Variant> all{document,   name,           address,   askObservation,
                             askConsumerName, value5,    idEsquema, askNameAddress,
                             value8,     balanceRedemption, value10, askEmail,
                             email,      value13,        value14,   noCashbackCpf};
    return firstValues(all, valueCount);
}

Variant AdditionalDataAnswer::toArray() const
{
    Variant array = Variant::array(10);
    array.setAt(Document, document);
    array.setAt(Name, name);
    array.setAt(Address, address);
    array.setAt(Observation, observation);
    array.setAt(Code, code);
    array.setAt(ForeignId, foreignId);
    array.setAt(Email, email);
    return array;
}

AdditionalDataAnswer AdditionalDataAnswer::fromArray(const Variant &vaRetorno)
{
    AdditionalDataAnswer answer;
    answer.confirmed = true;
    answer.document = textAt(vaRetorno, Document);
    answer.name = textAt(vaRetorno, Name);
    answer.address = textAt(vaRetorno, Address);
    answer.observation = textAt(vaRetorno, Observation);
    answer.code = textAt(vaRetorno, Code);
    answer.foreignId = textAt(vaRetorno, ForeignId);
    answer.email = textAt(vaRetorno, Email);
    return answer;
}

QList<Variant> PriceRequest::toArray() const
{
    QList<Variant> values{cdFilial, cdClienteVenda, cdProduto, cdLoja, cdConsumidor,
                          hora,     combinado,      vendaDebito};
    if (valueCount >= 9)
        values.append(modoVenda);
    if (valueCount >= 10)
        values.append(cdTipoCons);
    return values;
}

QList<Variant> ClosingHeader::toArray() const
{
    const QList<Variant> all{
        cdCaixa, dtAberCaix, cdEmpresa, documentNumber, stNRCONTCUPOMFISC, cdFilial, value6,
        value7, cdLoja, nrMesa, nrVendaRest, pos, stRecebAux9, idPaisIntegra, paymentText11,
        nrSerieImp, idTipoImpFis, dsModeloEcfVe, dsMarcaEcfVe, ecfImp, dtDataMovimento, value21,
        value22, sgEstadoFili, value24, stEnderecoNota, value26, value27, value28, value29,
        stRecebAux12, stRecebAux11, stRecebAux7, value33, stRecebAux19, idAmbTrabNfce,
        stRecebAux24, stSenhaPedido, value38, stRecebAux20, value40, doVrImpostoAprox, value42,
        value43, stRecebAux13, stRecebAux14, stConfRecebimento, value47, value48, value49,
        value50};
    return firstValues(all, valueCount);
}

Variant ClosingAnswer::toArray() const
{
    Variant array = Variant::array(Size);
    array.setAt(Points, points);
    array.setAt(NfceText1, nfceText1);
    array.setAt(NfceText2, nfceText2);
    array.setAt(NfceStatus, nfceStatus);
    return array;
}

ClosingAnswer ClosingAnswer::fromArray(const Variant &result, const Variant &vaRetorno)
{
    ClosingAnswer answer;
    answer.savedSaleKey = result;
    if (result.isFailure())
        answer.failure = result.failureText();
    answer.points = vaRetorno.at(Points).toDouble();
    answer.nfceText1 = textAt(vaRetorno, NfceText1);
    answer.nfceText2 = textAt(vaRetorno, NfceText2);
    answer.nfceStatus = textAt(vaRetorno, NfceStatus);
    return answer;
}

QList<Variant> NonFiscalPrintRequest::toArray() const
{
    return {flag, kind, tickets, sale, taxes, Variant(parameters), stVendeProdAux1};
}
