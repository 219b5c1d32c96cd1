// The buyer of the fiscal document: who the buyer is (PinPad, the additional-data dialog or the
// cashback consultation), kept in the form's buyer fields, on every line of the sale and on the
// footer.
#include "settlement.h"

#include "buyer_p.h"

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/money.h>

#include <QCoreApplication>

#include <stdexcept>
#include <sale/codes.h>

namespace {


// The buyer as the form holds it, kept to put it back when the dialog is abandoned.
struct Buyer
{
    QString cpf;
    QString name;
    QString address;
    QString foreignId;
    QString clubPetroCpf;
};

Buyer buyerOf(const SaleState &state)
{
    const FiscalTexts &f = state.fiscal;
    return {f.stCpfCnpjNota, f.stNomeNota, f.stEnderecoNota, f.stIdEstrangeiroNota,
            state.clubPetroCustomer.stCpfClubPetro};
}

void setBuyer(SaleState &state, const Buyer &buyer)
{
    FiscalTexts &f = state.fiscal;
    f.stCpfCnpjNota = buyer.cpf;
    f.stNomeNota = buyer.name;
    f.stEnderecoNota = buyer.address;
    f.stIdEstrangeiroNota = buyer.foreignId;
    state.clubPetroCustomer.stCpfClubPetro = buyer.clubPetroCpf;
}

// The CPF given in the cashback consultation, on the current line of the sale.
QString cashbackCpfOf(ClientDataSet &items)
{
    if (!items.Active() || items.IsEmpty())
        return QString();
    return items.FieldByName(QStringLiteral("NRCPFFIDUDS")).AsString();
}

bool buyerIncomplete(const FiscalTexts &f)
{
    return Consiste::EmptyString(f.stCpfCnpjNota) || Consiste::EmptyString(f.stNomeNota)
        || Consiste::EmptyString(f.stEnderecoNota);
}

// Once a mandatory identification has asked for name and address, the screen keeps asking for
// them until the parameters are read again.
void raiseNameAndAddress(SaleState &state, bool mandatory)
{
    if (isNo(state.params.stIDINFNOMEEND) && mandatory)
        state.setAskNameAddress(QStringLiteral("S"));
}

// The buyer read from the result array. The cashback CPF, when there is one, stays the buyer's.
Buyer buyerFromResult(const Variant &result, const QString &cashbackCpf, bool askCpf)
{
    Buyer buyer;
    buyer.cpf = askCpf ? result.at(0).toString() : cashbackCpf;
    buyer.name = result.at(1).toString().toUpper();
    buyer.address = result.at(2).toString().toUpper();
    buyer.foreignId = result.at(5).toString();
    buyer.clubPetroCpf = buyer.cpf;
    // "0" is the dialog's "no document": it names nobody, so neither the receipt nor the
    // loyalty programme may take it as a CPF.
    if (buyer.cpf == QLatin1String("0")) {
        buyer.cpf.clear();
        buyer.name.clear();
        buyer.clubPetroCpf.clear();
    }
    return buyer;
}

// Every line carries the buyer; empty values wipe what the lines held.
void writeLines(ClientDataSet &items, const Buyer &buyer)
{
    if (!items.Active() || items.IsEmpty())
        return;
    const Bookmark current = items.GetBookmark();
    items.DisableControls();
    items.First();
    while (!items.Eof()) {
        items.Edit();
        items.FieldByName(QStringLiteral("NRINSCRCONS")).SetAsString(buyer.cpf);
        items.FieldByName(QStringLiteral("NMCONSVEND")).SetAsString(buyer.name);
        items.FieldByName(QStringLiteral("DSENDEVENDA")).SetAsString(buyer.address);
        items.FieldByName(QStringLiteral("NRIDESTRANGEIRA")).SetAsString(buyer.foreignId);
        if (!items.Post()) {
            items.Cancel();
            items.EnableControls();
            throw std::runtime_error("cdsItems: o comprador não pôde ser gravado na linha");
        }
        items.Next();
    }
    items.GotoBookmark(current);
    items.EnableControls();
}

void showOnFooter(SaleContext &c, const Buyer &buyer)
{
    if (Consiste::EmptyString(buyer.cpf) && Consiste::EmptyString(buyer.name))
        return;
    c.screen().RestauraRodape(QStringLiteral("2"), buyer.cpf + QLatin1Char('-') + buyer.name + QLatin1Char('-')
                                                      + buyer.address);
}

} // namespace

bool BuyerIdentification::mandatory() const
{
    const SaleState &state = m_context.state();
    const Parameters &p = state.params;
    if (!(p.boSISTEMAQUBNFCE || p.boSISTEMAQUBSAT) || p.stIDCOLETOR == QLatin1String("C") || state.host.stModoVenda != SaleMode::Counter)
        return false;
    const double threshold = Money::RoundDec(p.doVROBRIGCPFNOTA, 2);
    return threshold != 0.0 && Money::RoundDec(state.totals.doTotalVenda, 2) >= threshold;
}

void BuyerIdentification::identifyBuyer(const QString &cashbackCpf, bool askCpf)
{
    SaleContext &c = m_context;
    SaleState &state = c.state();
    const Buyer before = buyerOf(state);
    state.fiscal.stCpfCnpjNota.clear();
    state.fiscal.stNomeNota.clear();
    state.fiscal.stEnderecoNota.clear();
    state.clubPetroCustomer.stCpfClubPetro.clear();
    raiseNameAndAddress(state, mandatory());
    state.results.vaRetorno = Variant::array(10);

    if (chooseRoute(!askCpf) == Outcome::Abandoned) {
        setBuyer(state, before);
        return;
    }
    const Buyer buyer = buyerFromResult(state.results.vaRetorno, cashbackCpf, askCpf);
    setBuyer(state, buyer);
    writeLines(c.data().cdsItems, buyer);
    showOnFooter(c, buyer);
    QCoreApplication::processEvents();
}


BuyerIdentification::Outcome BuyerIdentification::chooseRoute(bool cashbackCpf)
{
    const Parameters &p = m_context.state().params;
    if (!isYes(p.stIDINFOCPFPINPAD) || p.stIDUTILTEF != QLatin1String("T"))
        return callDialog(QString(), cashbackCpf);
    const QString choice = m_context.settlement().MensagemCPFPinpad();
    if (choice == QLatin1String("PINPAD"))
        return pinpadRoute(cashbackCpf);
    if (choice == QLatin1String("SISTEMA"))
        return callDialog(QString(), cashbackCpf);
    // "Não Informar": the empty result clears the buyer.
    return Outcome::Taken;
}

void BuyerIdentification::run()
{
    SaleContext &c = m_context;
    const QString cashbackCpf = cashbackCpfOf(c.data().cdsItems);
    const bool askCpf = Consiste::EmptyString(cashbackCpf);
    if (!askCpf && !(mandatory() && buyerIncomplete(c.state().fiscal))) {
        c.message(c.Msg(QStringLiteral("CPF_JA_INF")), Ravuvozozod::Error);
        return;
    }
    try {
        identifyBuyer(cashbackCpf, askCpf);
    } catch (const EAbort &) {
        throw;
    } catch (const std::exception &error) {
        c.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
    }
}

BuyerIdentification::Outcome BuyerIdentification::callDialog(const QString &cpf, bool cashbackCpf)
{
    SaleState &state = m_context.state();
    const Parameters &p = state.params;
    state.results.vaRetorno = Variant::array(10);
    AdditionalDataRequest request;
    request.valueCount = 16;
    request.document = cpf;
    request.idEsquema = p.stIDESQUEMA;
    request.askNameAddress = p.stIDINFNOMEEND;
    request.balanceRedemption = isYes(p.stIDINTRESGSALDO) ? QStringLiteral("S") : QStringLiteral("N");
    request.value10 = QStringLiteral("N");
    request.askEmail = QStringLiteral("N");
    request.value13 = QStringLiteral("N");
    request.value14 = QStringLiteral("N");
    request.noCashbackCpf = cashbackCpf ? QStringLiteral("N") : QStringLiteral("S");
    const AdditionalDataAnswer answer = m_context.services().CriaInfAdicional(request);
    if (!answer.confirmed)
        return Outcome::Abandoned;
    state.results.vaRetorno = answer.toArray();
    return Outcome::Taken;
}


void Settlement::spbIncluiCpfClick(QObject *)
{
    BuyerIdentification(m_context).run();
}
