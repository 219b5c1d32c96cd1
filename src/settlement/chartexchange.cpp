#include "chartexchange_p.h"

#include <outside/chartfiles.h>
#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

constexpr int DefaultTimeLimitSeconds = 180;

QString inRequests(const char *name)
{
    return QDir(ChartFiles::requestFolder()).filePath(QString::fromLatin1(name));
}

QString inAnswers(const char *name)
{
    return QDir(ChartFiles::answerFolder()).filePath(QString::fromLatin1(name));
}

// The card program's answer files carry no text of their own that the exchange needs, but
// a file of binary junk is no answer: a write cut off or a program gone wrong.
bool readable(const QByteArray &content)
{
    for (const char c : content) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F)
            return false;
    }
    return true;
}

const QString CheckTheProgram = QStringLiteral(
    " Confira no programa de cartões CHART se a recarga foi feita antes de tentar de novo.");

} // namespace

ChartExchange::ChartExchange(SaleContext &context) : m_context(context) {}

ChartExchange::~ChartExchange()
{
    delete m_window;
}

int ChartExchange::answerTimeLimit()
{
    QFile file(SitePaths::resolve(QStringLiteral("Dados\\TefChart.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return DefaultTimeLimitSeconds;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1String("TEMPOLIMITE="), Qt::CaseInsensitive)) {
            bool ok = false;
            const int seconds = line.mid(12).trimmed().toInt(&ok);
            if (ok && seconds > 0)
                return seconds;
        }
    }
    return DefaultTimeLimitSeconds;
}

void ChartExchange::cleanDirectoryChart()
{
    for (const QString &folder : {ChartFiles::requestFolder(), ChartFiles::answerFolder()}) {
        QDir dir(folder);
        if (!dir.mkpath(QStringLiteral(".")))
            continue;
        for (const QString &file : dir.entryList(QDir::Files | QDir::Hidden))
            dir.remove(file);
    }
}

QString ChartExchange::run(const QString &amount)
{
    if (amount.isEmpty())
        return QString();
    QString value;
    if (!amountText(amount, &value))
        return QStringLiteral("can");
    if (!prepareArchive())
        return QStringLiteral("can");
    // Whatever happens from here, the folders are left empty for the next exchange.
    OnExit clean([] {
        Clock::wait(1000);
        cleanDirectoryChart();
    });
    cleanDirectoryChart();
    const QString key = Clock::now().toString(QStringLiteral("yyyyMMddHHmmss"));
    if (!sendRequest({QStringLiteral("[PARAMETROS]"), QStringLiteral("TIPOTRANSACAO=COMPRACREDITO"),
                      QStringLiteral("VALORTRANSACAO=") + value, QStringLiteral("CHAVETRANSACAO=Lumbera_") + key}))
        return QStringLiteral("can");
    if (!takenUp())
        return QStringLiteral("can");
    return awaitAnswer();
}

bool ChartExchange::amountText(const QString &amount, QString *text)
{
    bool ok = false;
    const double value = Money::Trunc2(PtBr::StrToFloat(Consiste::Ajusta(amount, 6), &ok));
    if (!ok || value <= 0) {
        message(QStringLiteral("Valor de recarga inválido: \"%1\". Nada foi cobrado.").arg(amount));
        return false;
    }
    // The card program reads the amount in cents: 12,34 is "1234", whatever the system's format.
    *text = PtBr::FormatFloat(QStringLiteral("0.00"), value).remove(QLatin1Char(',')).remove(QLatin1Char('.'));
    return true;
}

bool ChartExchange::prepareArchive()
{
    m_archive = SitePaths::resolve(m_context.state().params.stDSDIRCAD + QStringLiteral("\\dados\\Chart\\")
                                   + Clock::now().toString(QStringLiteral("MMyy")));
    if (QDir().mkpath(m_archive))
        return true;
    message(QStringLiteral("Pasta do arquivo CHART não criada: %1. Nada foi cobrado.").arg(m_archive));
    return false;
}

bool ChartExchange::sendRequest(const QStringList &lines)
{
    const QString temp = inRequests(ChartFiles::RequestTemp);
    QSaveFile file(temp);
    const QByteArray text = (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        message(QStringLiteral("Pedido ao programa de cartões CHART não gravado: %1.").arg(file.errorString()));
        return false;
    }
    Clock::wait(50);
    archive(temp);
    // The card program takes a request only under its final name, so it never reads half of one.
    QFile::remove(inRequests(ChartFiles::Request));
    if (!QFile::rename(temp, inRequests(ChartFiles::Request))) {
        message(QStringLiteral("Pedido ao programa de cartões CHART não entregue."));
        return false;
    }
    return true;
}

bool ChartExchange::takenUp()
{
    Clock::wait(5000);
    if (!QFile::exists(inRequests(ChartFiles::Request)))
        return true;
    message(QStringLiteral("Operação bloqueada. Software WTCENTRA.exe da CHART não esta sendo executado ou não foi "
                           "carregado corretamente."));
    QFile::remove(inRequests(ChartFiles::Request));
    return false;
}

QString ChartExchange::awaitAnswer()
{
    openWaitWindow();
    const qint64 limit = qint64(answerTimeLimit()) * 1000;
    qint64 waited = 0;
    while (!QFile::exists(inAnswers(ChartFiles::Cancelled)) && !QFile::exists(inAnswers(ChartFiles::Approved))) {
        // Only the wait window takes input meanwhile: its "Cancelar" is the operator's way out.
        QCoreApplication::processEvents();
        if (m_cancelled || waited >= limit) {
            m_window->hide();
            message((m_cancelled ? QStringLiteral("Recarga CHART abandonada pelo operador.")
                                 : QStringLiteral("O programa de cartões CHART não respondeu a tempo."))
                    + CheckTheProgram);
            return QStringLiteral("can");
        }
        Clock::wait(500);
        waited += 500;
        if (QFile::exists(inAnswers(ChartFiles::Receipt)))
            printReceipt();
    }
    m_window->hide();
    return answerOf();
}

void ChartExchange::printReceipt()
{
    const QString receipt = inAnswers(ChartFiles::Receipt);
    archive(receipt);
    QFile file(receipt);
    QString text;
    if (file.open(QIODevice::ReadOnly)) {
        QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast(); // the file's last line break ends its last line
        for (QString line : lines) {
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            text += line + QStringLiteral("\r\n");
        }
    }
    text += QStringLiteral("\r\n\r\n");
    const Parameters &params = m_context.state().params;
    if (params.stIDTIPOIMPNF3 == QLatin1String("18"))
        text += QStringLiteral("\r\n\r\n");
    const PlainPrintRequest request{params.stCDPORTIMPNF3, params.stIDTIPOIMPNF3, text};
    if (m_context.services().ImprimePadrao(request).ok)
        m_context.services().ImprimePadrao(request);
    // Confirmed whether printed or not: the card program waits for it to finish the sale.
    sendRequest({QStringLiteral("[PARAMETROS]"), QStringLiteral("TIPOTRANSACAO=IMP")});
    Clock::wait(500);
}

QString ChartExchange::answerOf()
{
    const QString cancelled = inAnswers(ChartFiles::Cancelled);
    const QString approved = inAnswers(ChartFiles::Approved);
    QString result;
    if (QFile::exists(cancelled)) {
        archive(cancelled);
        result = QStringLiteral("can");
    }
    if (QFile::exists(approved)) {
        archive(approved);
        QFile file(approved);
        if (!file.open(QIODevice::ReadOnly) || !readable(file.readAll())) {
            message(QStringLiteral("Resposta ilegível do programa de cartões CHART: recarga não confirmada.")
                    + CheckTheProgram);
            return QStringLiteral("can");
        }
        result = QStringLiteral("ok");
    }
    return result;
}

void ChartExchange::archive(const QString &file)
{
    const QString copy = QDir(m_archive).filePath(QFileInfo(file).fileName()
                                                  + Clock::now().toString(QStringLiteral("HHmmss")));
    QFile::remove(copy);
    QFile::copy(file, copy);
}

void ChartExchange::message(const QString &text)
{
    Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          m_context.state().params.stIDESQUEMA, 0);
}

void ChartExchange::openWaitWindow()
{
    m_window = new QDialog(&m_context.form());
    m_window->setObjectName(QStringLiteral("frmAguardaChart"));
    m_window->setWindowTitle(QStringLiteral("Recarga CHART"));
    auto *layout = new QVBoxLayout(m_window);
    layout->addWidget(new QLabel(QStringLiteral("Aguardando o programa de cartões CHART..."), m_window));
    auto *cancel = new QPushButton(QStringLiteral("Cancelar"), m_window);
    cancel->setObjectName(QStringLiteral("btnCancelaChart"));
    QObject::connect(cancel, &QPushButton::clicked, m_window, [this] { m_cancelled = true; });
    layout->addWidget(cancel);
    // Modal: the sale screen takes no other action while the card program has the sale.
    m_window->setWindowModality(Qt::ApplicationModal);
    m_window->show();
}
