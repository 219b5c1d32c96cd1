#include "vendacons.h"

#include "hostcall.h"
#include <sale/salestate.h>
#include "tfrmvendacons.h"
#include "tfrmvisualiza.h"

#include <outside/ravuvozozod.h>
#include <runtime/abort.h>

#include <exception>

namespace {

TfrmVendaCons *&form()
{
    static TfrmVendaCons *instance = nullptr;
    return instance;
}

VendaConsEntry::ModalRunner &runner()
{
    static VendaConsEntry::ModalRunner installed;
    return installed;
}

const QString systemError = QStringLiteral("ERRO_SISTEMA");

void showFailure(const QString &text)
{
    Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(),
                          QString(), 0);
}

void runCall(const QList<Variant> &params, Variant &ret)
{
    if (!form())
        form() = new TfrmVendaCons();
    TfrmVendaCons &sale = *form();
    sale.InicializaForm(HostCall::fromParams(params));
    if (runner())
        runner()(sale);
    else
        sale.exec();
    sale.repaint();
    ret.setAt(0, Variant(sale.state().host.stRetornoVenda));
}

} // namespace

extern "C" VENDACONS_EXPORT void VendaCons(const QList<Variant> &Params, Variant &Ret)
{
    const QList<Variant> params = Params;
    try {
        runCall(params, Ret);
    } catch (const EAbort &) {
        Ret.setAt(0, Variant(systemError));
    } catch (const std::exception &error) {
        Ret.setAt(0, Variant(systemError));
        showFailure(QString::fromUtf8(error.what()));
    }
}

namespace VendaConsEntry {

void setModalRunner(ModalRunner installed)
{
    runner() = std::move(installed);
}

TfrmVendaCons *frmVendaCons()
{
    return form();
}

void reset()
{
    delete form();
    form() = nullptr;
    destroyFrmVisualiza();
}

} // namespace VendaConsEntry
