// The buyer types the CPF on the card terminal's PinPad; what the terminal answers decides
// which message is shown and what the additional-data dialog opens with.
#include "buyer_p.h"

#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>

#include <QDialog>
#include <QList>


namespace {

// What follows a PinPad answer: a message (by key, none when empty), then the dialog with the
// typed CPF or with an empty one.
struct PinpadStep
{
    const char *messageKey;
    bool typedCpf;
};

// The terminal's return code and second code. Codes the terminal gives no meaning for here
// (4, 5, 9, above 10, negative, or a success with an unknown second code) open the dialog with
// what was typed: their reply is no buyer data, and the operator can still type the buyer in.
PinpadStep stepFor(int returnCode, int secondCode)
{
    switch (returnCode) {
    case 0:
        return secondCode == -43 ? PinpadStep{"ERRO_INI", false} : PinpadStep{nullptr, true};
    case 1:
        return {"IP_INV", false};
    case 2:
    case 3:
        return {"LOJA_INV", false};
    case 6:
    case 7:
        return {"ERRO_INI", false};
    case 8:
        return {"NAO_TEF", false};
    case 10:
        return {"NAO_CLISITEF", false};
    default:
        return {nullptr, true};
    }
}

PinpadCpfAnswer askPinpad(SaleContext &c)
{
    const Parameters &p = c.state().params;
    c.services().AtivaProcesso({&c.form(), QString(8, QLatin1Char(' ')) + c.Msg(QStringLiteral("AGUAR_CPF")), 0, 0});
    // The wait window is taken down on every way out of the PinPad call.
    const OnExit waitWindowDown([&c] { c.services().DesativaProcesso(); });
    return c.devices().DigitaCpfPinpad(
        {p.stDSENDIPSITEF, p.stCDLOJATEF, p.stCDTERTEF, p.stIDTPTEF, p.stNRINSJURFILI, 0});
}

} // namespace

void BuyerIdentification::pinpadMessage(const QString &text)
{
    SaleContext &c = m_context;
    Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error,
                          QString(), QString(), c.state().params.inCaixaTAA == 1 ? 5 : 0);
}

BuyerIdentification::Outcome BuyerIdentification::pinpadRoute(bool cashbackCpf)
{
    SaleContext &c = m_context;
    const PinpadCpfAnswer reply = askPinpad(c);
    c.state().results.vaRetorno = Variant(QList<Variant>{reply.returnCode, reply.secondCode, reply.cpf});
    if (!reply.failure.isEmpty()) {
        // The terminal could not even be asked: say why, and let the operator type the buyer.
        pinpadMessage(reply.failure);
        return callDialog(QString(), cashbackCpf);
    }
    const PinpadStep step = stepFor(reply.returnCode, reply.secondCode);
    if (step.messageKey)
        pinpadMessage(c.Msg(QString::fromLatin1(step.messageKey)));
    return callDialog(step.typedCpf ? reply.cpf : QString(), cashbackCpf);
}
