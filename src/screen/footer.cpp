#include "receiptlines_p.h"

#include "screenshell.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/ptbr.h>

#include <QFont>
#include <QLabel>
#include <sale/codes.h>

namespace {

const QLatin1StringView standardLabels[] = {FormName::lblFilialCaixa, FormName::lblCodTela, FormName::lblEmpresa};
const QLatin1StringView ticketLabels[]
    = {FormName::lblTicketMedio, FormName::lblValTicketMedio, FormName::lblQuantCupom, FormName::lblValQuantCupom};

} // namespace

void ScreenShell::RestauraRodape(const QString &Modo, const QString &Texto)
{
    Footer(m_context).RestauraRodape(Modo, Texto);
}

void Footer::RestauraRodape(const QString &Modo, const QString &Texto)
{
    const bool standard = Modo == QLatin1String("1");
    for (QLatin1StringView name : standardLabels)
        m_context.setVisible(name, standard);
    if (!standard) {
        showText(Texto);
        return;
    }
    m_context.setVisible(FormName::lblRodape, false);
    if (isYes(m_context.state().params.stIDEXIBTICCUP))
        showTicketFigures();
    showSiteLines();
}

void Footer::showText(const QString &Texto)
{
    for (QLatin1StringView name : ticketLabels)
        m_context.setVisible(name, false);
    if (QLabel *footer = m_context.label(FormName::lblRodape)) {
        QFont font = footer->font();
        font.setPointSize(8);
        footer->setFont(font);
        footer->setText(Texto);
        footer->show();
    }
}

// The average ticket and the receipt count of the open cash desk.
void Footer::showTicketFigures()
{
    const Parameters &params = m_context.state().params;
    for (QLatin1StringView name : ticketLabels)
        m_context.setVisible(name, true);
    const TextAnswer answer = m_context.services().CalcTicketMedio(
        {params.stCDFILIAL, params.stCDLOJA, params.dtDTABERCAIX});
    // A failed service leaves the figures as they were.
    const QString text = answer.ok ? answer.text : QString();
    const int dash = text.indexOf(QLatin1Char('-'));
    const QString average = dash < 0 ? QString() : text.left(dash);
    const QString count = text.mid(dash + 1);
    bool ok = false;
    if (const double value = PtBr::StrToFloat(average, &ok); ok)
        m_context.setCaption(
            FormName::lblValTicketMedio, QStringLiteral("R$ ") + PtBr::FormatFloat(QStringLiteral("0.00"), value));
    if (const double value = PtBr::StrToFloat(count, &ok); ok)
        m_context.setCaption(FormName::lblValQuantCupom, PtBr::FormatFloat(QStringLiteral("0.000"), value));
}

// Branch, store, till and operator; the screen code; the company.
void Footer::showSiteLines()
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    m_context.setCaption(FormName::lblFilialCaixa,
        m_context.Msg(QStringLiteral("FILIAL")) + QStringLiteral(": ") + params.stCDFILIAL + QLatin1Char(' ') + params.stNMFILIAL
            + QStringLiteral(" - ") + m_context.Msg(QStringLiteral("Loja")) + QStringLiteral(": ") + params.stCDLOJA
            + QStringLiteral(" - ") + m_context.Msg(QStringLiteral("Caixa")) + QStringLiteral(": ") + params.stCDCAIXA
            + QStringLiteral(" - ") + state.rights.stNMOPERADOR);
    m_context.setCaption(FormName::lblCodTela,
        Ravuvozozod::MontaRodapeGeral(params.boUTILIZAIMPFIS, QStringLiteral("KAL51000"), QStringLiteral("S")));
    m_context.setCaption(FormName::lblEmpresa,
        m_context.Msg(QStringLiteral("Empresa")) + QStringLiteral(": ") + params.stCDEMPRESA + QLatin1Char(' ')
            + params.stNMRAZSOCEMPR);
}
