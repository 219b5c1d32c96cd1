#include "vendacons.h"

#include "hostcall.h"
#include "startup.h"
#include <sale/salestate.h>
#include "tfrmvendacons.h"
#include "tfrmvisualiza.h"

#include <outside/qub_movrela_db.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clock.h>
#include <server/trdmvendacons.h>

#include <QDebug>

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

// A start-up that failed because the base did not answer: the server restarting, or out of
// reach. That is no fault of the screen's, and handing the host "ERRO_SISTEMA" for it would
// close the till.
bool baseAway(const QString &failure)
{
    return failure.contains(QLatin1String("[DBNETLIB]"));
}

bool baseAnswers()
{
    TrdmVendaCons &module = rdmVendaCons();
    if (module.InTransaction())
        return false;
    // The session may still look open after the server ended it.
    module.adcVendaCons().close();
    return module.connect();
}

constexpr int basePollMs = 2000;
constexpr int basePollsPerQuestion = 90; // three minutes between two questions to the cashier

// Tells the cashier once, in words, and waits for the base without taking input; every few
// minutes the cashier may give up. True once the base answers.
bool waitForTheBase(const QString &failure)
{
    QString technical;
    Qub_movrela::operatorText(failure, &technical);
    Ravuvozozod::Mensagem(QStringLiteral("O servidor de banco de dados não responde agora. O caixa espera por ele "
                                         "e abre a tela de venda assim que ele voltar."),
                          technical, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Warning, QString(),
                          QString(), 0);
    for (;;) {
        for (int poll = 0; poll < basePollsPerQuestion; ++poll) {
            if (baseAnswers())
                return true;
            Clock::wait(basePollMs);
        }
        if (!Ravuvozozod::Mensagem(QStringLiteral("O servidor de banco de dados ainda não responde. Continuar "
                                                  "esperando por ele?"),
                                   QString(), QStringLiteral("N"), QStringLiteral("S"), Ravuvozozod::Question,
                                   QString(), QString(), 0))
            return false;
    }
}

// The start-up of one call, made again once the base answers when the base was what failed
// it. The first time, a base that already answers again is not worth a word to the cashier.
void startUp(TfrmVendaCons &sale, const HostCall &call)
{
    for (int attempt = 1;; ++attempt) {
        QString failure;
        try {
            sale.InicializaForm(call);
            return;
        } catch (const EStartup &error) {
            if (!baseAway(error.text()))
                throw;
            failure = error.text();
        }
        qWarning().noquote() << "VendaCons: the base did not answer the start-up; waiting for it:" << failure;
        if (!(attempt == 1 && baseAnswers()) && !waitForTheBase(failure))
            Abort(); // the cashier stopped waiting, and was told why already
    }
}

void runCall(const QList<Variant> &params, Variant &ret)
{
    if (!form())
        form() = new TfrmVendaCons();
    TfrmVendaCons &sale = *form();
    startUp(sale, HostCall::fromParams(params));
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
