#include "cardterminal.h"

#include <host/program/hostlog.h>
#include "nonfiscal.h"

#include <outside/chartfiles.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSaveFile>

namespace CardTerminal {

namespace {

constexpr int PollMs = 50;
constexpr int TakeUpMs = 5000;

struct Pending
{
    QString nsu;
    QString receipt;
};

Pending &pending()
{
    static Pending state;
    return state;
}

QString inRequests(const char *name)
{
    return QDir(ChartFiles::requestFolder()).filePath(QString::fromLatin1(name));
}

QString inAnswers(const char *name)
{
    return QDir(ChartFiles::answerFolder()).filePath(QString::fromLatin1(name));
}

int answerLimitMs()
{
    QFile file(SitePaths::resolve(QStringLiteral("Dados\\TefChart.txt")));
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &raw : file.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(QLatin1String("TEMPOLIMITE="), Qt::CaseInsensitive) && line.mid(12).toInt() > 0)
                return line.mid(12).toInt() * 1000;
        }
    }
    return 60000;
}

void clean()
{
    for (const QString &folder : {ChartFiles::requestFolder(), ChartFiles::answerFolder()}) {
        QDir dir(folder);
        dir.mkpath(QStringLiteral("."));
        for (const QString &file : dir.entryList(QDir::Files))
            dir.remove(file);
    }
}

bool send(const QStringList &lines)
{
    QSaveFile file(inRequests(ChartFiles::RequestTemp));
    const QByteArray text = (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return false;
    QFile::remove(inRequests(ChartFiles::Request));
    return QFile::rename(inRequests(ChartFiles::RequestTemp), inRequests(ChartFiles::Request));
}

bool readable(const QByteArray &content)
{
    for (const char c : content) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F)
            return false;
    }
    return true;
}

// The value of `key` in an answer's "KEY=value" lines.
QString valueOf(const QByteArray &answer, const char *key)
{
    const QString prefix = QString::fromLatin1(key) + QLatin1Char('=');
    for (const QString &line : QString::fromUtf8(answer).split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(prefix))
            return line.trimmed().mid(prefix.size());
    }
    return QString();
}

// One request and its answer; a receipt that comes is kept and its print confirmed.
Result exchange(const QStringList &lines)
{
    Result result;
    clean();
    if (!send(lines)) {
        result.failure = QStringLiteral("pedido ao programa de cartões não gravado");
        return result;
    }
    int waited = 0;
    while (QFile::exists(inRequests(ChartFiles::Request)) && waited < TakeUpMs) {
        Clock::wait(PollMs);
        waited += PollMs;
    }
    if (QFile::exists(inRequests(ChartFiles::Request))) {
        clean();
        result.failure = QStringLiteral("o programa de cartões não está em execução");
        return result;
    }
    const int limit = answerLimitMs();
    waited = 0;
    while (!QFile::exists(inAnswers(ChartFiles::Approved)) && !QFile::exists(inAnswers(ChartFiles::Cancelled))) {
        if (waited >= limit) {
            clean();
            result.failure = QStringLiteral("o programa de cartões não respondeu; confira nele se houve cobrança");
            return result;
        }
        QFile receipt(inAnswers(ChartFiles::Receipt));
        if (receipt.exists() && receipt.open(QIODevice::ReadOnly)) {
            result.receipt = QString::fromLatin1(receipt.readAll());
            receipt.close();
            QFile::remove(receipt.fileName());
            send({QStringLiteral("[PARAMETROS]"), QStringLiteral("TIPOTRANSACAO=IMP")});
        }
        Clock::wait(PollMs);
        waited += PollMs;
    }
    QFile approved(inAnswers(ChartFiles::Approved));
    if (approved.open(QIODevice::ReadOnly)) {
        const QByteArray content = approved.readAll();
        if (!readable(content)) {
            result.failure = QStringLiteral("resposta ilegível do programa de cartões; confira nele se houve cobrança");
        } else {
            result.ok = true;
            result.nsu = valueOf(content, "NSU");
        }
    } else {
        result.failure = QStringLiteral("transação negada pelo programa de cartões");
        QFile cancelled(inAnswers(ChartFiles::Cancelled));
        const QString why = cancelled.open(QIODevice::ReadOnly) ? valueOf(cancelled.readAll(), "MENSAGEM") : QString();
        if (!why.isEmpty())
            result.failure += QStringLiteral(": ") + why;
    }
    clean();
    return result;
}

QStringList request(const QString &kind)
{
    return {QStringLiteral("[PARAMETROS]"), QStringLiteral("TIPOTRANSACAO=") + kind,
            QStringLiteral("CHAVETRANSACAO=Lumbera_") + Clock::now().toString(QStringLiteral("yyyyMMddHHmmss"))};
}

void log(const QString &what, const Result &result)
{
    HostLog::write(result.ok ? QStringLiteral("cartão: %1 aprovado, NSU %2").arg(what, result.nsu)
                             : QStringLiteral("cartão: %1 não feito: %2").arg(what, result.failure));
}

} // namespace

Result pay(double amount)
{
    QStringList lines = request(QStringLiteral("PAGAMENTO"));
    // In cents, as the card program reads an amount: 12,34 is "1234".
    lines.insert(2, QStringLiteral("VALORTRANSACAO=")
                        + PtBr::FormatFloat(QStringLiteral("0.00"), Money::Trunc2(amount)).remove(QLatin1Char(',')));
    const Result result = exchange(lines);
    log(QStringLiteral("pagamento de ") + PtBr::FormatCurr(amount), result);
    if (result.ok)
        pending() = {result.nsu, result.receipt};
    return result;
}

Result finish(bool confirm, const QString &nsu)
{
    QStringList lines = request(confirm ? QStringLiteral("CONFIRMA") : QStringLiteral("DESFAZ"));
    lines << QStringLiteral("NSU=") + nsu;
    const Result result = exchange(lines);
    log((confirm ? QStringLiteral("confirmação do NSU ") : QStringLiteral("desfazimento do NSU ")) + nsu, result);
    return result;
}

Result reverse(const QString &nsu)
{
    QStringList lines = request(QStringLiteral("ESTORNO"));
    lines << QStringLiteral("NSU=") + nsu;
    const Result result = exchange(lines);
    log(QStringLiteral("estorno do NSU ") + nsu, result);
    return result;
}

QString pendingNsu()
{
    return pending().nsu;
}

QString lastReceipt()
{
    return pending().receipt;
}

HostResult FinalizaTransTef(const TefFinishRequest &request)
{
    const QString nsu = request.nsu.isEmpty() ? pending().nsu : request.nsu;
    // No card payment waiting: nothing to confirm or undo.
    if (nsu.isEmpty())
        return HostResult::done();
    const Result result = finish(request.confirm, nsu);
    if (!result.ok)
        return {false, result.failure};
    if (nsu == pending().nsu)
        pending().nsu.clear();
    return HostResult::done();
}

HostResult ImprimeCupomTef(const TefReceiptRequest &request, ClientDataSet &)
{
    if (pending().receipt.isEmpty())
        return HostResult::done();
    return NonFiscal::printText(request.port, QStringLiteral("VendaCons cartão"), pending().receipt);
}

DedicatedTefAnswer CriaDedicado(const DedicatedTefRequest &request)
{
    DedicatedTefAnswer answer;
    const QString nsu = request.controlNumber.isEmpty() ? pending().nsu : request.controlNumber;
    if (nsu.isEmpty()) {
        answer.failure = QStringLiteral("nenhuma transação de cartão para estornar");
        return answer;
    }
    const Result result = reverse(nsu);
    answer.ok = result.ok;
    answer.failure = result.failure;
    answer.controlNumber = nsu;
    if (result.ok && nsu == pending().nsu)
        pending().nsu.clear();
    return answer;
}

} // namespace CardTerminal
