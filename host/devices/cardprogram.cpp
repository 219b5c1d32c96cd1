#include "cardprogram.h"

#include <host/program/hostlog.h>

#include <outside/chartfiles.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <chrono>

namespace {

QString inRequests(const char *name)
{
    return QDir(ChartFiles::requestFolder()).filePath(QString::fromLatin1(name));
}

QString inAnswers(const char *name)
{
    return QDir(ChartFiles::answerFolder()).filePath(QString::fromLatin1(name));
}

QString mode()
{
    QFile file(SitePaths::resolve(QStringLiteral("Dados\\CartaoChart.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("APROVA");
    const QString first = QString::fromUtf8(file.readLine()).trimmed().toUpper();
    return first.isEmpty() ? QStringLiteral("APROVA") : first;
}

QString valueOf(const QString &request, const QString &key)
{
    for (const QString &line : request.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(key + QLatin1Char('='), Qt::CaseInsensitive))
            return line.trimmed().mid(key.size() + 1);
    }
    return QString();
}

// Written whole under a temporary name, so the till never reads half an answer.
void writeWhole(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly) || file.write(content) < 0
        || !file.commit())
        HostLog::write(QStringLiteral("ERRO programa de cartões: %1 não gravado").arg(path));
}

} // namespace

CardProgram::CardProgram(bool ownThread)
{
    if (!ownThread)
        return;
    m_thread = std::thread([this] {
        while (!m_stop) {
            serveOnce();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
}

CardProgram::~CardProgram()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

QString CardProgram::ledgerFile()
{
    return SitePaths::resolve(QStringLiteral("Dados\\Cartao\\transacoes.txt"));
}

void CardProgram::serveOnce()
{
    const QString request = inRequests(ChartFiles::Request);
    if (!QFile::exists(request) || mode() == QLatin1String("NAO_PEGA"))
        return;
    QFile file(request);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString text = QString::fromLatin1(file.readAll());
    file.close();
    // A program stuck after the charge: the confirmation is left where the till put it.
    if (mode() == QLatin1String("NAO_CONFIRMA")
        && valueOf(text, QStringLiteral("TIPOTRANSACAO")).compare(QLatin1String("CONFIRMA"), Qt::CaseInsensitive) == 0)
        return;
    QFile::remove(request); // taken up
    serve(text);
}

void CardProgram::serve(const QString &request)
{
    const QString kind = valueOf(request, QStringLiteral("TIPOTRANSACAO")).toUpper();
    if (mode() == QLatin1String("NAO_RESPONDE"))
        return;
    if (kind == QLatin1String("COMPRACREDITO") || kind == QLatin1String("PAGAMENTO")) {
        m_pendingNsu = nextNsu();
        m_pendingAmount = valueOf(request, QStringLiteral("VALORTRANSACAO"));
        const bool refused = mode() == QLatin1String("RECUSA");
        record(m_pendingNsu, m_pendingAmount, refused ? QStringLiteral("RECUSADA") : QStringLiteral("PENDENTE"));
        const QString receipt = QStringLiteral("CARTAO SIMULADO\r\n%1\r\nVALOR %2\r\nNSU %3\r\n%4\r\n")
                                    .arg(kind, m_pendingAmount, m_pendingNsu,
                                         refused ? QStringLiteral("TRANSACAO NEGADA") : QStringLiteral("APROVADA"));
        writeWhole(inAnswers(ChartFiles::Receipt), receipt.toLatin1());
        return;
    }
    if (kind == QLatin1String("IMP")) {
        QFile::remove(inAnswers(ChartFiles::Receipt));
        answer(mode() != QLatin1String("RECUSA"), m_pendingNsu);
        return;
    }
    const QString nsu = valueOf(request, QStringLiteral("NSU"));
    const QHash<QString, QString> states{{"CONFIRMA", "CONFIRMADA"}, {"DESFAZ", "DESFEITA"}, {"ESTORNO", "ESTORNADA"}};
    if (!states.contains(kind) || nsu.isEmpty() || mode() == QLatin1String("RECUSA")) {
        answer(false, nsu);
        return;
    }
    const QString now = stateOf(nsu);
    const QString wanted = states.value(kind);
    if (now.isEmpty() || now == QLatin1String("RECUSADA")) {
        answer(false, nsu, QStringLiteral("transação NSU %1 desconhecida").arg(nsu));
        return;
    }
    // An undone charge took no money: there is nothing left to confirm.
    if (wanted == QLatin1String("CONFIRMADA") && now != QLatin1String("PENDENTE") && now != wanted) {
        answer(false, nsu, QStringLiteral("transação NSU %1 já %2").arg(nsu, now));
        return;
    }
    // Asked again for the state it is in (a till that did not hear the first answer): the
    // same answer, and the ledger keeps one line for it.
    if (now != wanted)
        record(nsu, QString(), wanted);
    answer(true, nsu);
}

void CardProgram::answer(bool approved, const QString &nsu, const QString &why)
{
    if (mode() == QLatin1String("LIXO")) {
        writeWhole(inAnswers(ChartFiles::Approved), QByteArray("\x00\x13\xff\x7f\x01", 5));
        return;
    }
    QString text = QStringLiteral("NSU=") + nsu + QStringLiteral("\r\n");
    if (!why.isEmpty())
        text += QStringLiteral("MENSAGEM=") + why + QStringLiteral("\r\n");
    writeWhole(inAnswers(approved ? ChartFiles::Approved : ChartFiles::Cancelled), text.toUtf8());
}

// The last state the ledger holds for `nsu`; empty for a transaction it never had.
QString CardProgram::stateOf(const QString &nsu)
{
    QFile ledger(ledgerFile());
    QString state;
    if (ledger.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : ledger.readAll().split('\n')) {
            const QList<QByteArray> fields = line.trimmed().split(';');
            if (fields.size() == 3 && QString::fromUtf8(fields.at(0)) == nsu)
                state = QString::fromUtf8(fields.at(2));
        }
    }
    return state;
}

void CardProgram::record(const QString &nsu, const QString &amount, const QString &state)
{
    QFile ledger(ledgerFile());
    if (!QDir().mkpath(QFileInfo(ledger.fileName()).absolutePath()) || !ledger.open(QIODevice::Append))
        return;
    ledger.write(QStringLiteral("%1;%2;%3\n").arg(nsu, amount, state).toUtf8());
}

QString CardProgram::nextNsu()
{
    QFile ledger(ledgerFile());
    int count = 0;
    if (ledger.open(QIODevice::ReadOnly)) {
        // A transaction's first line carries its amount; the lines after it only its state.
        for (const QByteArray &line : ledger.readAll().split('\n'))
            count += line.split(';').value(1).isEmpty() ? 0 : 1;
    }
    return QStringLiteral("%1").arg(count + 1, 6, 10, QLatin1Char('0'));
}
