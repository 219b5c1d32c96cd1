// The two keys with logic of their own: F4 (operator change) and F12 (cash drawer).
#include "keyboard_p.h"

#include "screenshell.h"

#include <sale/saledatasets.h>
#include "rights.h"
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/sitepaths.h>

#include <QDebug>
#include <QFileInfo>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

// F4 and F12 are pressed between sales: their authoriser goes with the key's own log, never
// into the sale state, where the next customer's sale would log it as its own.
AccessAnswer askAccess(SaleContext &context, int code)
{
    return context.services().VerificaAcesso({code, context.state().rights.stCDOPERADOR});
}

} // namespace

void KeyboardMap::changeOperator()
{
    SaleContext &c = m_context;
    SaleState &state = c.state();
    OperatorRights &rights = state.rights;
    if (state.flags.boTipoVendaSelecionado || state.flags.boCupomAberto)
        return;
    if (!askAccess(c, rights.inCTTROCAOPERADOR).allowed)
        return;
    if (!isYes(state.params.stIdPerTrocaOp)) {
        c.message(c.Msg(QStringLiteral("Troca_Nao")), 3);
        Abort();
    }
    const OperatorChangeAnswer changed = c.services().TrocaOperadorCaixa({rights.stNMOPERADOR});
    if (changed.done)
        rights.stNMOPERADOR = changed.stNMOPERADOR;
    c.checkedValue(c.server().access.setLogAcesso(rights.stCDOPERADOR), QStringLiteral("setLogAcesso"),
                   rights.stCDOPERADOR);
    reloadOperator();
    c.shell().ControleAcessoBotoes();
    c.shell().RestauraRodape(QStringLiteral("1"), QString());
}

// The host wrote the new operator's file; their rights are asked again.
void KeyboardMap::reloadOperator()
{
    SaleContext &c = m_context;
    OperatorRights &rights = c.state().rights;
    const QString path = SitePaths::resolve(QStringLiteral("Dados\\Cadastros\\ControleAcess.cds"));
    ClientDataSet &operatorFile = c.data().cdsControleAcess;
    QString error;
    if (QFileInfo::exists(path) && operatorFile.LoadFromFile(path, &error)) {
        operatorFile.First();
        rights.stCDOPERADOR = operatorFile.FieldByName(QStringLiteral("CDOPERADOR")).AsString();
        rights.stNMOPERADOR = operatorFile.FieldByName(QStringLiteral("NMOPERADOR")).AsString();
        askOperatorRights(c);
    } else if (!error.isEmpty()) {
        qWarning() << "operator file not read:" << error;
    }
}

// F12. False when the key handling ends here (no drawer configured).
bool KeyboardMap::openDrawer()
{
    SaleContext &c = m_context;
    SaleState &state = c.state();
    const Parameters &params = state.params;
    if (params.stIDTIPOGAVETA.isEmpty() || params.stIDTIPOGAVETA == QLatin1String("0")) {
        c.message(c.Msg(QStringLiteral("GAV_S_PAR")), 0);
        return false;
    }
    if (!c.shell().VerificaEstadoGaveta(params.stIDTIPOGAVETA))
        Abort();
    const AccessAnswer access = askAccess(c, state.rights.inCTABRIRGAVETA);
    if (!access.allowed)
        return true;
    bool opened = false;
    if (params.boUTILIZAIMPFIS) {
        opened = c.devices().Abre_Gaveta_Imp({params.stCDPORTAIMPFIS, params.stIDESQUEMA, true}).ok;
    } else {
        // A non-fiscal drawer that did not open never fails the key, but it is not logged as
        // opened either.
        const HostResult result = c.services().AbreGaveta({params.stIDTIPOIMPNF3, params.stCDPORTIMPNF3});
        opened = result.ok;
        if (!opened)
            qWarning() << "drawer did not open:" << result.failure;
    }
    if (!opened)
        return true;
    const QString reason = c.Msg(QStringLiteral("Mot_Abr_Gav"));
    c.services().LogControleAcess(c.accessLog(QStringLiteral("ABR_GAV"), reason, reason, access.stRetAcesso));
    return true;
}
