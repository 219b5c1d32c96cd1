#include "demosite.h"

#include "hostdatabase.h"
#include "hostschema.h"

#include <outside/qub_proximocodigo.h>
#include <server/trdmvendacons.h>

#include <runtime/cdsfile.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace DemoSite {

namespace {

bool saveFile(const QString &folder, const QString &relative, const DataPacket &packet, Report &report)
{
    QString error;
    if (!CdsFile::save(QDir(folder).filePath(relative), packet, &error)) {
        report.error = error;
        return false;
    }
    report.files.append(relative);
    return true;
}

bool saveText(const QString &folder, const QString &relative, const QString &text, Report &report)
{
    QFile file(QDir(folder).filePath(relative));
    if (!QDir().mkpath(QFileInfo(file.fileName()).absolutePath()) || !file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        report.error = QStringLiteral("não foi possível escrever ") + file.fileName();
        return false;
    }
    file.write(text.toUtf8());
    report.files.append(relative);
    return true;
}

const char *rightsText =
    "# Direitos dos operadores deste caixa: operador, código de acesso, S (libera) ou N (nega).\n"
    "# \"*\" vale para todos; a regra mais específica vence; sem regra o acesso é liberado.\n"
    "# Códigos do caixa: 101 consulta de preço, 102 pesquisa de produto, 103 cancelamento de item,\n"
    "# 104 observação, 105 cancelamento de cupom, 106 produto combinado, 107 multiplicador,\n"
    "# 108 troca de operador, 109 abertura de gaveta.\n"
    "#\n"
    "# O operador 0002 (em treinamento) não cancela cupons; o supervisor 0099 libera com seu código.\n"
    "0002 105 N\n";

// The production printers as the host's file spooler sees them (see FileSpooler).
const char *printersText =
    "# Impressoras de produção: IMPRESSORA=LIGADA, PARADA (os pedidos ficam na fila\n"
    "# Dados/ImpressoraNaoFiscal/fila/) ou AUSENTE (não instalada). A cozinha e o bar são\n"
    "# reserva um do outro: um pedido parado há mais de 30 s numa sai na outra.\n"
    "COZINHA=LIGADA\n"
    "BAR=LIGADA\n";

// The partners' stand-ins the host runs beside the screen (host/README.md, "Partners").
QString partnersText(quint16 port)
{
    return QStringLiteral("# Os serviços simulados dos parceiros (AME, ClubPetro, GCOM, 4ALL, UDS), só em 127.0.0.1.\n"
                          "[parceiros]\n"
                          "porta=%1\n"
                          "# O servidor central de saldos dos consumidores (IDEXTCONSCENTRAL, IDDEBCONSCENTRAL).\n"
                          "[central]\n"
                          "endereco=%2\n")
        .arg(port)
        .arg(partnersUrl(port, QStringLiteral("central")));
}
QString clubPetroText(quint16 port)
{
    return QStringLiteral("[General]\ntoken_url=%1\n").arg(partnersUrl(port, QStringLiteral("clubpetro/token.php")));
}

const char *scaleText = "0,450\n";
const char *drawerText = "FECHADA\n";

bool writeFiles(const QString &folder, const QDateTime &now, Till till, quint16 partnersPort, const QString &desk,
                Report &report)
{
    if (!saveFile(folder, QStringLiteral("PARAMETROSQUB.CDS"), parameterPacket(folder, now, till, partnersPort, desk), report)
        || !saveFile(folder, QStringLiteral("LUMBERA.CDS"), identificationPacket(), report))
        return false;
    for (const CadastreFile &file : cadastreFiles(now, desk)) {
        if (!saveFile(folder, QStringLiteral("Dados/Cadastros/") + file.name, file.packet, report))
            return false;
    }
    return saveText(folder, QStringLiteral("Dados/Direitos.txt"), QString::fromUtf8(rightsText), report)
        && saveText(folder, QStringLiteral("Dados/Balanca.txt"), QString::fromUtf8(scaleText), report)
        && saveText(folder, QStringLiteral("Dados/Gaveta.txt"), QString::fromUtf8(drawerText), report)
        && saveText(folder, QStringLiteral("Dados/Parceiros.ini"), partnersText(partnersPort), report)
        && saveText(folder, QStringLiteral("Dados/ClubPetro.ini"), clubPetroText(partnersPort), report)
        && saveText(folder, QStringLiteral("Dados/ImpressoraNaoFiscal/estado.txt"), QString::fromUtf8(printersText),
                    report);
}

bool createBase(Report &report)
{
    HostSchema::registerTables();
    HostDatabase::reset();
    setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    QString error;
    if (!rdmVendaCons().connect(&error)) {
        report.error = QStringLiteral("a base não pôde ser criada: ") + error;
        return false;
    }
    report.files.append(QStringLiteral("Dados/VendaCons.db (ou a base de Dados/Conexao.txt)"));
    return true;
}

// A site made for the base VENDACONS_DB names keeps that base in Dados/Conexao.txt, so it
// runs on it without the variable.
bool keepConnection(const QString &folder, Report &report)
{
    const QString named = qEnvironmentVariable("VENDACONS_DB").trimmed();
    if (named.isEmpty())
        return true;
    return saveText(folder, QStringLiteral("Dados/Conexao.txt"),
                    QStringLiteral("# A base deste caixa (a mesma de todos os caixas que a compartilham).\n") + named
                        + QLatin1Char('\n'),
                    report);
}

// The demo rows in one transaction: the whole demo base on a base without the branch, else
// only the desk's row.
bool fillBase(const QDateTime &now, quint16 partnersPort, const QString &desk, Report &report)
{
    Qub_movrela::DbConnection &db = HostDatabase::session();
    QString error;
    const bool joining = baseHoldsBranch(&error);
    if (!error.isEmpty()) {
        report.error = QStringLiteral("a base não pôde ser lida: ") + error;
        return false;
    }
    if (!db.begin()) {
        report.error = Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
        return false;
    }
    const bool written = joining ? writeDesk(desk, report) : writeBase(now, report, partnersPort, desk) && writeCancellationTickets(report);
    if (!written) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        report.error = Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
        return false;
    }
    report.joinedBase = joining;
    return true;
}

// Every file and folder under `root` (relative paths), to tell afterwards what a run made.
QSet<QString> entriesUnder(const QString &root)
{
    QSet<QString> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries.insert(QDir(root).relativeFilePath(it.next()));
    return entries;
}

// Removes what a failed run made under `root`: the folder itself when it did not exist
// before, else each file and folder that was not there. The sessions on the site's base are
// closed first, so its files can go.
void removeMade(const QString &root, bool existed, const QSet<QString> &before)
{
    HostDatabase::reset();
    setRdmVendaCons(nullptr);
    Qub_proximocodigo::releaseIdleSession();
    if (!existed) {
        QDir(root).removeRecursively();
        return;
    }
    QStringList made = (entriesUnder(root) - before).values();
    // Deepest first, so that a folder is empty by the time its turn comes.
    std::sort(made.begin(), made.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &entry : made) {
        const QString path = QDir(root).filePath(entry);
        if (QFileInfo(path).isDir())
            QDir().rmdir(path);
        else
            QFile::remove(path);
    }
}

bool writeSite(const QString &root, const QDateTime &now, Till till, quint16 partnersPort, const QString &desk,
               Report &report)
{
    for (const char *sub : {"Dados/Cadastros", "Dados/ImpressoraFiscal", "Dados/Log"}) {
        if (!QDir().mkpath(QDir(root).filePath(QLatin1String(sub)))) {
            report.error = QStringLiteral("não foi possível criar a pasta ") + QDir(root).filePath(QLatin1String(sub));
            return false;
        }
    }
    SitePaths::setHome(root);
    qputenv("VENDACONS_HOME", root.toUtf8());
    if (!keepConnection(root, report) || !createBase(report) || !fillBase(now, partnersPort, desk, report))
        return false;
    HostDatabase::reset();
    return writeFiles(root, now, till, partnersPort, desk, report) && writeCreditAndExchange(root, report);
}

} // namespace

std::optional<Till> tillNamed(const QString &name)
{
    const QString kind = name.toLower();
    if (kind == QLatin1String("ecf"))
        return Till::FiscalPrinter;
    if (kind == QLatin1String("nfce"))
        return Till::Nfce;
    if (kind == QLatin1String("sat"))
        return Till::Sat;
    if (kind == QLatin1String("nf"))
        return Till::NonFiscal;
    return std::nullopt;
}

bool isDeskNumber(const QString &desk)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,20}$"));
    return digits.match(desk).hasMatch();
}

QString partnersUrl(quint16 port, const QString &path)
{
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(path);
}

QString deskCode(const QString &typed)
{
    return isDeskNumber(typed) ? typed.rightJustified(CDCAIXA.size(), QLatin1Char('0')) : typed;
}

Report write(const QString &folder, const QDateTime &now, Till till, quint16 partnersPort, const QString &typedDesk)
{
    const QString desk = deskCode(typedDesk);
    Report report;
    const QString root = QDir(folder).absolutePath();
    if (QFileInfo::exists(QDir(root).filePath(QStringLiteral("PARAMETROSQUB.CDS")))) {
        report.error = QStringLiteral("%1 já é um site (tem PARAMETROSQUB.CDS); nada foi alterado").arg(root);
        return report;
    }
    if (!isDeskNumber(desk)) {
        report.error = QStringLiteral("número de caixa inválido \"%1\": use só algarismos, como 002").arg(desk);
        return report;
    }
    const bool existed = QFileInfo(root).isDir();
    const QSet<QString> before = existed ? entriesUnder(root) : QSet<QString>();
    if (!writeSite(root, now, till, partnersPort, desk, report)) {
        removeMade(root, existed, before);
        report.files.clear();
    }
    return report;
}

} // namespace DemoSite
