#include "startuprecovery.h"

#include <host/devices/fiscalprinter.h>
#include "hostdatabase.h"
#include <host/program/hostlog.h>
#include "salesaving.h"

#include <runtime/cdsfile.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QFile>
#include <QFileInfo>

namespace StartupRecovery {

namespace {

const char *const SaleFile = "cdsVenda.cds";
const char *const CancelledFile = "cdsItensCancelados.cds";

QString parameter(const DataPacket &parameters, const char *name)
{
    const Variant value = parameters.value(0, QString::fromLatin1(name));
    return value.isBlank() ? QString() : value.toString().trimmed();
}

QString recoveryPath(const QString &dsDirCad, const char *fileName)
{
    return SitePaths::resolve(dsDirCad + QString::fromLatin1(fileName));
}

// The lines of a recovery file keep quantities and, for cancelled lines, prices as texts
// with a decimal comma; the records of the base take numbers.
DataPacket withNumbers(DataPacket packet)
{
    for (const char *name : {"QTPRODCOMVEN", "VRPRECCOMVEN", "VRDESCCOMVEN", "VRACRCOMVEN", "ACRESITEM"}) {
        const int column = packet.fieldIndex(QString::fromLatin1(name));
        if (column < 0)
            continue;
        packet.fields[column].type = FieldType::Double;
        packet.fields[column].size = 0;
        for (QList<Variant> &row : packet.rows) {
            const Variant value = row.value(column);
            if (value.isBlank())
                row[column] = 0.0;
            else if (value.kind() == Variant::Kind::Text)
                row[column] = PtBr::StrToFloat(value.toString().trimmed());
        }
    }
    return packet;
}

// A recovery file with the lines its journal took after it; a torn last record (the till
// stopped while writing it) is left out and logged.
bool loadRecoveryFile(const QString &path, DataPacket *packet, QString *error)
{
    QString note;
    if (!CdsFile::loadJournaled(path, packet, error, &note))
        return false;
    if (!note.isEmpty())
        HostLog::write(QStringLiteral("recuperação: ") + note);
    return true;
}

DataPacket loadLines(const QString &path)
{
    DataPacket packet;
    if (!QFile::exists(path))
        return packet;
    QString error;
    if (!loadRecoveryFile(path, &packet, &error)) {
        HostLog::write(QStringLiteral("arquivo de recuperação %1 ilegível: %2").arg(path, error));
        return {};
    }
    return withNumbers(packet);
}

// When the sale's lines were last written: the file, or its journal when that is later.
QDateTime lastWritten(const QString &path)
{
    const QDateTime file = QFileInfo(path).lastModified();
    const QFileInfo journal(CdsFile::journalName(path));
    return journal.exists() && journal.lastModified() > file ? journal.lastModified() : file;
}

// The printer knows an item by the code printed on the receipt (the product's tree or bar
// code); the record keeps the product's own code.
QString productOfPrinterCode(const QString &code)
{
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostProdutoDoCodigoImpresso"),
        QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE CDARVPROD = :P_CODIGO OR CDBARPRODUTO = :P_CODIGO "
                       "OR CDPRODUTO = :P_CODIGO ORDER BY CDPRODUTO"),
        {{QStringLiteral("P_CODIGO"), code}});
    return rows.rows.isEmpty() ? code : rows.rows.first().value(0).toString().trimmed();
}

// The printer's own lines, when the recovery file is gone or unreadable.
DataPacket printerLines(const FiscalPrinter &printer, const QString &cdFilial)
{
    DataPacket packet;
    packet.fields = {{"CDFILIAL", FieldType::String, 4},      {"CDPRODUTO", FieldType::String, 20},
                     {"NMPRODUTO", FieldType::String, 50},    {"SGUNIDADE", FieldType::String, 10},
                     {"QTPRODCOMVEN", FieldType::Double, 0},  {"VRPRECCOMVEN", FieldType::Double, 0},
                     {"VRDESCCOMVEN", FieldType::Double, 0},  {"VRACRCOMVEN", FieldType::Double, 0}};
    for (const FiscalPrinter::Item &item : printer.openItems()) {
        if (!item.cancelled)
            packet.rows.append({cdFilial, productOfPrinterCode(item.code), item.name, item.unit, item.quantity, item.price, item.discount, item.addition});
    }
    return packet;
}

// A column every line carries, filled where blank: the branch the record is kept under, and
// the sale's client, which the lines of the open sale do not hold.
void fillBlank(DataPacket &lines, const QString &name, int size, const QString &value)
{
    int column = lines.fieldIndex(name);
    if (column < 0) {
        lines.fields.append({name, FieldType::String, size});
        for (QList<Variant> &row : lines.rows)
            row.append(Variant());
        column = int(lines.fields.size()) - 1;
    }
    for (QList<Variant> &row : lines.rows) {
        if (row.value(column).isBlank() || row.value(column).toString().trimmed().isEmpty())
            row[column] = value;
    }
}

// The branch, and the client a counter sale of the till is made to (parameter CDCLIENTE).
void fillSaleColumns(DataPacket &lines, const DataPacket &parameters)
{
    fillBlank(lines, QStringLiteral("CDFILIAL"), 4, parameter(parameters, "CDFILIAL"));
    fillBlank(lines, QStringLiteral("CDCLIENTE"), 21, parameter(parameters, "CDCLIENTE"));
}

// When the till was opened: the moment the sale was made in, which the record keeps.
QDateTime tillOpening(const DataPacket &parameters)
{
    const Variant opening = parameters.value(0, QStringLiteral("DTABERCAIX"));
    return opening.kind() == Variant::Kind::DateTime ? opening.toDateTime() : QDateTime();
}

// The day the till's sales are booked on (Dados/Cadastros/DataMovimento.cds), as every sale
// of the till records it; the opening's day when the file is missing.
QDateTime movementDay(const DataPacket &parameters)
{
    DataPacket day;
    if (CdsFile::load(SitePaths::resolve(QStringLiteral("Dados\\Cadastros\\DataMovimento.cds")), &day)) {
        const Variant value = day.value(0, QStringLiteral("DATAMOVIMENTO"));
        if (value.kind() == Variant::Kind::DateTime && value.toDateTime().isValid())
            return value.toDateTime();
    }
    const Variant opening = parameters.value(0, QStringLiteral("DTABERCAIX"));
    return opening.kind() == Variant::Kind::DateTime ? opening.toDateTime().date().startOfDay() : QDateTime();
}

void removeRecoveryFiles(const QString &dsDirCad)
{
    for (const char *name : {SaleFile, CancelledFile}) {
        QString error;
        if (!CdsFile::removeJournaled(recoveryPath(dsDirCad, name), &error))
            HostLog::write(QStringLiteral("arquivo de recuperação não foi apagado: %1").arg(error));
    }
}

// The stored sale of this receipt, when the till stopped after the save.
QString storedSale(const DataPacket &parameters, const FiscalPrinter &printer, QString *error)
{
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostVendaDoCupomAberto"),
        QStringLiteral("SELECT NRSEQVENDA FROM VENDA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
                       "AND NRCUPOMFIS = :P_CUPOM AND NRSERIEIMP = :P_SERIE AND IDSITUVENDA = 'O' "
                       "ORDER BY NRSEQVENDA DESC"),
        {{QStringLiteral("P_CDFILIAL"), parameter(parameters, "CDFILIAL")},
         {QStringLiteral("P_CDCAIXA"), parameter(parameters, "CDCAIXA")},
         {QStringLiteral("P_CUPOM"), QStringLiteral("%1").arg(printer.coo(), 6, 10, QLatin1Char('0'))},
         {QStringLiteral("P_SERIE"), printer.serial()}});
    *error = rows.error;
    return rows.rows.isEmpty() ? QString() : rows.rows.first().value(0).toString().trimmed();
}

DataPacket storedPayments(const DataPacket &parameters, const QString &saleKey)
{
    DataPacket payments;
    payments.fields = {{"NMTIPORECE", FieldType::String, 40}, {"VRMOVIVEND", FieldType::Double, 0},
                       {"VRTROCO", FieldType::Double, 0}};
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostPagamentosDaVenda"),
        QStringLiteral("SELECT NMTIPORECE, VRMOVIVEND, VRTROCO FROM MOVCAIXA WHERE CDFILIAL = :P_CDFILIAL "
                       "AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA ORDER BY NRSEQUMOVI"),
        {{QStringLiteral("P_CDFILIAL"), parameter(parameters, "CDFILIAL")},
         {QStringLiteral("P_CDCAIXA"), parameter(parameters, "CDCAIXA")},
         {QStringLiteral("P_NRSEQVENDA"), saleKey}});
    for (const QList<QVariant> &row : rows.rows)
        payments.rows.append({row.value(0).toString(), row.value(1).toDouble(), row.value(2).toDouble()});
    return payments;
}

// The fiscal document kind of a desk without a fiscal printer, as its sales record it.
QString documentKind(const DataPacket &parameters)
{
    if (parameter(parameters, "SISTEMAQUBNFCE") == QLatin1String("S"))
        return QStringLiteral("N");
    if (parameter(parameters, "SISTEMAQUBSAT") == QLatin1String("S"))
        return QStringLiteral("S");
    return QStringLiteral("E");
}

// Whether this desk stored a sale after the recovery file was last written: the till stopped
// between the save and the end of the sale, which the save accounts for whole.
bool storedSince(const DataPacket &parameters, const QDateTime &written, QString *saleKey)
{
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostUltimaVendaDoCaixa"),
        QStringLiteral("SELECT NRSEQVENDA, DTVENDA FROM VENDA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
                       "ORDER BY NRSEQVENDA DESC"),
        {{QStringLiteral("P_CDFILIAL"), parameter(parameters, "CDFILIAL")},
         {QStringLiteral("P_CDCAIXA"), parameter(parameters, "CDCAIXA")}});
    if (rows.rows.isEmpty())
        return false;
    const QDateTime sold = HostDatabase::dateTimeOf(rows.rows.first().value(1));
    *saleKey = rows.rows.first().value(0).toString().trimmed();
    return sold.isValid() && written.isValid() && sold >= written;
}

CancelledSaleRecord cancelledRecord(const DataPacket &parameters, const DataPacket &lines, const DataPacket &cancelledLines)
{
    CancelledSaleRecord record;
    record.cdsVenda = lines;
    record.cdsVendaCancelada = cancelledLines;
    record.cdCaixa = parameter(parameters, "CDCAIXA");
    record.cdEmpresa = parameter(parameters, "CDEMPRESA");
    record.dtDataMovimento = movementDay(parameters);
    record.stRecebAux7 = QStringLiteral("BAL_QUB");
    return record;
}

// A desk of electronic or plain receipts has no open receipt to find: the sale's lines in the
// recovery file are the trace of a sale the till stopped in. It is recorded as cancelled, as
// on the fiscal-printer desk, and the operator is told.
Outcome recoverInterruptedSale(const DataPacket &parameters, const std::function<void(const QString &)> &say)
{
    Outcome outcome;
    const QString dsDirCad = parameter(parameters, "DSDIRCAD");
    const QString salePath = recoveryPath(dsDirCad, SaleFile);
    if (!QFile::exists(salePath))
        return outcome;
    DataPacket lines;
    QString error;
    if (!loadRecoveryFile(salePath, &lines, &error)) {
        outcome.kind = Outcome::Kind::Failed;
        say(QStringLiteral("Uma venda foi interrompida, mas o arquivo de recuperação está ilegível (%1); "
                           "a venda não pôde ser registrada. Confira a venda e refaça-a.").arg(error));
        // Both are kept, under names the next start does not take for an open sale.
        const QString journal = CdsFile::journalName(salePath);
        if (QFile::exists(journal))
            QFile::rename(journal, journal + QStringLiteral(".ilegivel"));
        QFile::rename(salePath, salePath + QStringLiteral(".ilegivel"));
        return outcome;
    }
    if (lines.rows.isEmpty()) {
        removeRecoveryFiles(dsDirCad);
        return outcome;
    }
    QString saleKey;
    if (storedSince(parameters, lastWritten(salePath), &saleKey)) {
        outcome.kind = Outcome::Kind::Closed;
        outcome.saleKey = saleKey;
        say(QStringLiteral("A venda %1 foi gravada antes de o sistema parar; nada a refazer.").arg(saleKey));
        removeRecoveryFiles(dsDirCad);
        return outcome;
    }
    say(QStringLiteral("Uma venda foi interrompida antes de ser concluída. Ela será registrada como cancelada; "
                       "refaça a venda."));
    lines = withNumbers(lines);
    fillSaleColumns(lines, parameters);
    CancelledSaleRecord record = cancelledRecord(parameters, lines, loadLines(recoveryPath(dsDirCad, CancelledFile)));
    record.stRecebAux20 = documentKind(parameters);
    const CancellationAnswer recorded = SaleSaving::recordInterruptedSale(record, tillOpening(parameters));
    if (recorded.result.isFailure()) {
        outcome.kind = Outcome::Kind::Failed;
        say(QStringLiteral("A venda interrompida não foi registrada na base: %1. Os arquivos de recuperação foram mantidos.")
                .arg(recorded.result.toString()));
        return outcome;
    }
    outcome.kind = Outcome::Kind::Cancelled;
    outcome.saleKey = recorded.result.toString();
    removeRecoveryFiles(dsDirCad);
    HostLog::write(QStringLiteral("recuperação: venda interrompida registrada como cancelada %1 com %2 itens")
                       .arg(outcome.saleKey)
                       .arg(lines.rows.size()));
    return outcome;
}

} // namespace

Outcome recoverOpenReceipt(const std::function<void(const QString &)> &tell)
{
    Outcome outcome;
    DataPacket parameters;
    if (!CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &parameters))
        return outcome;
    if (parameter(parameters, "UTILIZAIMPFIS") != QLatin1String("S")) {
        return recoverInterruptedSale(parameters, [&](const QString &text) {
            HostLog::write(QStringLiteral("recuperação: ") + text);
            if (tell)
                tell(text);
        });
    }
    FiscalPrinter &printer = FiscalPrinter::forSite();
    if (!printer.receiptOpen())
        return outcome;
    outcome.coupon = QStringLiteral("%1").arg(printer.coo(), 6, 10, QLatin1Char('0'));
    const QString dsDirCad = parameter(parameters, "DSDIRCAD");
    auto say = [&](const QString &text) {
        outcome.message = text;
        HostLog::write(QStringLiteral("recuperação: ") + text);
        if (tell)
            tell(text);
    };

    QString error;
    const QString saleKey = storedSale(parameters, printer, &error);
    if (!error.isEmpty()) {
        outcome.kind = Outcome::Kind::Failed;
        say(QStringLiteral("O cupom fiscal %1 ficou aberto na impressora, mas a base não respondeu para saber se a venda "
                           "foi gravada: %2. O cupom continua aberto; reinicie o sistema quando a base voltar.")
                .arg(outcome.coupon, error));
        return outcome;
    }
    if (!saleKey.isEmpty()) {
        say(QStringLiteral("A venda %1 foi gravada, mas o sistema parou antes de fechar o cupom fiscal %2. "
                           "O cupom será fechado agora com os pagamentos da venda.")
                .arg(saleKey, outcome.coupon));
        QString refusal = printer.paymentsRegistered() ? QString()
                                                       : printer.registerPayments(storedPayments(parameters, saleKey));
        if (refusal.isEmpty())
            refusal = printer.endClosing();
        outcome.saleKey = saleKey;
        outcome.kind = refusal.isEmpty() ? Outcome::Kind::Closed : Outcome::Kind::Failed;
        if (refusal.isEmpty())
            removeRecoveryFiles(dsDirCad);
        else
            say(QStringLiteral("O cupom fiscal %1 não foi fechado: %2").arg(outcome.coupon, refusal));
        return outcome;
    }

    say(QStringLiteral("Uma venda foi interrompida com o cupom fiscal %1 aberto na impressora. "
                       "O cupom será cancelado e a venda registrada como cancelada; refaça a venda.")
            .arg(outcome.coupon));
    const QString cdFilial = parameter(parameters, "CDFILIAL");
    DataPacket lines = loadLines(recoveryPath(dsDirCad, SaleFile));
    if (lines.rows.isEmpty())
        lines = printerLines(printer, cdFilial);
    fillSaleColumns(lines, parameters);
    const DataPacket cancelledLines = loadLines(recoveryPath(dsDirCad, CancelledFile));

    const CouponCancelAnswer cancelled = printer.Cancela_Cupom_Imp(
        CouponCancelRequest{parameter(parameters, "IDESQUEMA"), false, false, true, cdFilial,
                            parameter(parameters, "CDCAIXA"), printer.serial()});
    if (!cancelled.ok) {
        outcome.kind = Outcome::Kind::Failed;
        say(QStringLiteral("O cupom fiscal %1 não foi cancelado: %2").arg(outcome.coupon, cancelled.failure));
        return outcome;
    }

    CancelledSaleRecord record = cancelledRecord(parameters, lines, cancelledLines);
    record.documentNumber = outcome.coupon;
    record.nrSerieImp = printer.serial();
    record.dsModeloEcfVe = parameter(parameters, "DSMODELOECFVE");
    record.dsMarcaEcfVe = parameter(parameters, "DSMARCAECFVE");
    record.ecfImp = parameter(parameters, "ECFIMP");
    record.stRecebAux20 = QStringLiteral("E");
    const CancellationAnswer recorded = SaleSaving::recordInterruptedSale(record, tillOpening(parameters));
    if (recorded.result.isFailure()) {
        // The files stay: they are the only trace of the sale's lines.
        outcome.kind = Outcome::Kind::Failed;
        say(QStringLiteral("O cupom fiscal %1 foi cancelado, mas a venda cancelada não foi registrada na base: %2. "
                           "Os arquivos de recuperação foram mantidos.")
                .arg(outcome.coupon, recorded.result.toString()));
        return outcome;
    }
    outcome.kind = Outcome::Kind::Cancelled;
    outcome.saleKey = recorded.result.toString();
    removeRecoveryFiles(dsDirCad);
    HostLog::write(QStringLiteral("recuperação: cupom %1 cancelado, venda cancelada %2 registrada com %3 itens")
                       .arg(outcome.coupon, outcome.saleKey)
                       .arg(lines.rows.size()));
    return outcome;
}

} // namespace StartupRecovery
