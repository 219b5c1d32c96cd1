#include "trdmvendacons.h"

#include "schema.h"

#include <outside/ping.h>

#include <QCoreApplication>
#include <QDebug>

namespace {

void dropModule();

// The module lives until the process ends; it is closed when the application object goes,
// while the database drivers it uses still exist (a static destroyed later would close its
// connections after Qt's own registry is gone).
std::unique_ptr<TrdmVendaCons> &instance()
{
    static std::unique_ptr<TrdmVendaCons> module;
    static const bool closedWithTheApplication = [] {
        if (QCoreApplication::instance())
            qAddPostRoutine(dropModule);
        return true;
    }();
    Q_UNUSED(closedWithTheApplication);
    return module;
}

void dropModule()
{
    instance().reset();
}

constexpr int probeConnectTimeoutSeconds = 6;
constexpr int printerPingMilliseconds = 500;

} // namespace

TrdmVendaCons::TrdmVendaCons()
    : m_adcVendaCons(QStringLiteral("adcVendaCons")),
      m_adcTesteConexao(QStringLiteral("adcTesteConexao"), probeConnectTimeoutSeconds)
{
}

TrdmVendaCons::~TrdmVendaCons() = default;

// A connect or schema check the server cut off half-way (it restarted or ended the session
// while the till started) left nothing a second run would do twice: the check rolls back
// whole and is made to run at every start. So it is made once more on a fresh session
// before the start-up gives up. Never inside a transaction: a fresh session would let the
// rest of a transaction the server lost run piecemeal.
bool TrdmVendaCons::connect(QString *errorText)
{
    const bool inTransaction = InTransaction();
    for (int attempt = 1;; ++attempt) {
        if (connectOnce(errorText))
            return true;
        if (attempt == 2 || inTransaction || !m_adcVendaCons.lastError().lost)
            return false;
        qInfo().noquote() << "TrdmVendaCons: the server ended the session while connecting; connecting again";
        m_adcVendaCons.close();
    }
}

bool TrdmVendaCons::connectOnce(QString *errorText)
{
    if (!m_adcVendaCons.isOpen() && !m_adcVendaCons.open()) {
        if (errorText)
            *errorText = lastErrorText();
        return false;
    }
    return ensureSchema(errorText);
}

bool TrdmVendaCons::ensureSchema(QString *errorText)
{
    if (m_schemaChecked)
        return true;
    const Variant result = Schema::upgrade(m_adcVendaCons);
    if (result.isFailure()) {
        qWarning().noquote() << "TrdmVendaCons: schema upgrade failed:" << result.failureText();
        if (errorText)
            *errorText = result.failureText();
        return false;
    }
    m_schemaChecked = true;
    return true;
}

bool TrdmVendaCons::StartTrans()
{
    if (InTransaction())
        return true;
    return connect() && m_adcVendaCons.begin();
}

bool TrdmVendaCons::CommitTrans()
{
    return m_adcVendaCons.commit();
}

bool TrdmVendaCons::RollbackTrans()
{
    return m_adcVendaCons.rollback();
}

QString TrdmVendaCons::lastErrorText() const
{
    return Qub_movrela::ADOExceptionMessage(m_adcVendaCons.lastError(), m_adcVendaCons, QString());
}

bool TrdmVendaCons::VerificaImpressoraRede(const QString &Host)
{
    const Ping::Result result = Ping::echo(Host, printerPingMilliseconds);
    if (!result.error.isEmpty())
        qWarning().noquote() << "VerificaImpressoraRede:" << Host << result.error;
    return result.replied;
}

TrdmVendaCons &rdmVendaCons()
{
    if (!instance())
        instance() = std::make_unique<TrdmVendaCons>();
    return *instance();
}

void setRdmVendaCons(std::unique_ptr<TrdmVendaCons> module)
{
    instance() = std::move(module);
}
