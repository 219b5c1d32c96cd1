// Cancellation records the base could not take. The fiscal coupon is already cancelled, or the
// stored sale's document given up, or its CF-e or NFC-e cancelled at the SAT or the tax
// authority, when its record is written; a record the base could not write is the only trace
// of that cancellation, so it is kept in a data-packet file of the till and written when the
// base answers again (at the start of the next settlement or receipt cancellation).
#include "pendingrecords_p.h"

#include <order/recoveryfiles.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/cdsfile.h>
#include <runtime/clock.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString saleRecord = QStringLiteral("IncluiVendaCan");
const QString statusRecord = QStringLiteral("AlteraVendaCan");
const QString serverRecord = QStringLiteral("getVendaNFisc");

const QString keptText = QStringLiteral("O banco de dados não gravou o registro do cancelamento da venda. "
                                        "O registro foi guardado neste caixa e será gravado quando o banco responder.");

// One record a file: a single row whose columns are the record's values; the two sale
// packets travel as their own data-packet text.
const QList<FieldDef> &recordFields()
{
    static const QList<FieldDef> fields{
        {QStringLiteral("REGISTRO"), FieldType::String, 20},
        {QStringLiteral("CDSVENDA"), FieldType::Memo},
        {QStringLiteral("CDSVENDACANCELADA"), FieldType::Memo},
        {QStringLiteral("CDFILIAL"), FieldType::Memo},
        {QStringLiteral("CDCAIXA"), FieldType::Memo},
        {QStringLiteral("CDEMPRESA"), FieldType::Memo},
        {QStringLiteral("DOCUMENTO"), FieldType::Memo},
        {QStringLiteral("NRSERIEIMP"), FieldType::Memo},
        {QStringLiteral("DSMODELOECFVE"), FieldType::Memo},
        {QStringLiteral("DSMARCAECFVE"), FieldType::Memo},
        {QStringLiteral("ECFIMP"), FieldType::Memo},
        {QStringLiteral("OBSERVACAO"), FieldType::Memo},
        {QStringLiteral("OBSERVACAO2"), FieldType::Memo},
        {QStringLiteral("VALOR11"), FieldType::Memo},
        {QStringLiteral("VALOR12"), FieldType::Memo},
        {QStringLiteral("DTMOVIMENTO"), FieldType::DateTime},
        {QStringLiteral("RETACESSO"), FieldType::Memo},
        {QStringLiteral("SISTEMA"), FieldType::Memo},
        {QStringLiteral("TIPODOCUMENTO"), FieldType::Memo},
        {QStringLiteral("VALOR17"), FieldType::Memo},
        {QStringLiteral("SISTEMAQUBSAT"), FieldType::Boolean},
        {QStringLiteral("TIPO"), FieldType::Memo},
        {QStringLiteral("NRACESSOCANC"), FieldType::Memo},
        {QStringLiteral("DSARQXMLCANCNFCE"), FieldType::Memo},
    };
    return fields;
}

class RecordRow
{
public:
    RecordRow() : m_values(recordFields().size()) {}
    explicit RecordRow(const DataPacket &packet) : m_packet(packet) {}

    void set(const char *field, const Variant &value) { m_values[index(field, recordFields())] = value; }
    // A date the sale never had is kept as null.
    void setDate(const char *field, const QDateTime &value) { set(field, value.isValid() ? Variant(value) : Variant::null()); }
    void setPacket(const char *field, const DataPacket &packet)
    {
        QByteArray xml;
        CdsFile::write(packet, &xml);
        set(field, QString::fromUtf8(xml));
    }
    DataPacket packet() const { return DataPacket{recordFields(), {m_values}}; }

    Variant value(const char *field) const { return m_packet.value(0, QString::fromLatin1(field)); }
    QString text(const char *field) const { return value(field).toString(); }
    bool readPacket(const char *field, DataPacket *packet) const
    {
        const QString xml = text(field);
        return xml.isEmpty() || CdsFile::read(xml.toUtf8(), packet);
    }

private:
    static int index(const char *field, const QList<FieldDef> &fields)
    {
        for (int i = 0; i < fields.size(); ++i)
            if (fields.at(i).name == QLatin1String(field))
                return i;
        return -1;
    }

    QList<Variant> m_values;
    DataPacket m_packet;
};

DataPacket saleRecordPacket(const CancelledSaleRecord &record)
{
    RecordRow row;
    row.set("REGISTRO", saleRecord);
    row.setPacket("CDSVENDA", record.cdsVenda);
    row.setPacket("CDSVENDACANCELADA", record.cdsVendaCancelada);
    row.set("CDCAIXA", record.cdCaixa);
    row.set("CDEMPRESA", record.cdEmpresa);
    row.set("DOCUMENTO", record.documentNumber);
    row.set("NRSERIEIMP", record.nrSerieImp);
    row.set("DSMODELOECFVE", record.dsModeloEcfVe);
    row.set("DSMARCAECFVE", record.dsMarcaEcfVe);
    row.set("ECFIMP", record.ecfImp);
    row.set("OBSERVACAO", record.note);
    row.set("OBSERVACAO2", record.noteSecondValue);
    row.set("VALOR11", record.value11);
    row.set("VALOR12", record.value12);
    row.setDate("DTMOVIMENTO", record.dtDataMovimento);
    row.set("RETACESSO", record.stRetAcesso);
    row.set("SISTEMA", record.stRecebAux7);
    row.set("TIPODOCUMENTO", record.stRecebAux20);
    row.set("VALOR17", record.value17);
    row.set("SISTEMAQUBSAT", record.sistemaQubSat);
    return row.packet();
}

bool saleRecordOf(const RecordRow &row, CancelledSaleRecord *record)
{
    record->cdCaixa = row.text("CDCAIXA");
    record->cdEmpresa = row.text("CDEMPRESA");
    record->documentNumber = row.text("DOCUMENTO");
    record->nrSerieImp = row.text("NRSERIEIMP");
    record->dsModeloEcfVe = row.text("DSMODELOECFVE");
    record->dsMarcaEcfVe = row.text("DSMARCAECFVE");
    record->ecfImp = row.text("ECFIMP");
    record->note = row.text("OBSERVACAO");
    record->noteSecondValue = row.text("OBSERVACAO2");
    record->value11 = row.text("VALOR11");
    record->value12 = row.text("VALOR12");
    record->dtDataMovimento = row.value("DTMOVIMENTO").toDateTime();
    record->stRetAcesso = row.text("RETACESSO");
    record->stRecebAux7 = row.text("SISTEMA");
    record->stRecebAux20 = row.text("TIPODOCUMENTO");
    record->value17 = row.text("VALOR17");
    record->sistemaQubSat = row.value("SISTEMAQUBSAT").toBool();
    return row.readPacket("CDSVENDA", &record->cdsVenda)
        && row.readPacket("CDSVENDACANCELADA", &record->cdsVendaCancelada);
}

DataPacket statusRecordPacket(const CancelledStatusChange &change)
{
    RecordRow row;
    row.set("REGISTRO", statusRecord);
    row.set("DOCUMENTO", change.saleKey);
    row.set("CDFILIAL", change.cdFilial);
    row.set("CDCAIXA", change.cdCaixa);
    row.setDate("DTMOVIMENTO", change.dtMovimento);
    row.set("OBSERVACAO", change.note);
    row.set("OBSERVACAO2", change.noteSecondValue);
    row.set("RETACESSO", change.stRetAcesso);
    row.set("TIPO", change.kind);
    return row.packet();
}

CancelledStatusChange statusRecordOf(const RecordRow &row)
{
    CancelledStatusChange change;
    change.saleKey = row.text("DOCUMENTO");
    change.cdFilial = row.text("CDFILIAL");
    change.cdCaixa = row.text("CDCAIXA");
    change.dtMovimento = row.value("DTMOVIMENTO").toDateTime();
    change.note = row.text("OBSERVACAO");
    change.noteSecondValue = row.text("OBSERVACAO2");
    change.stRetAcesso = row.text("RETACESSO");
    change.kind = row.text("TIPO");
    return change;
}

DataPacket serverRecordPacket(const Srv_Kal51000::SaleCancelRequest &request)
{
    RecordRow row;
    row.set("REGISTRO", serverRecord);
    row.set("CDFILIAL", request.CDFILIAL);
    row.set("CDCAIXA", request.CDCAIXA);
    row.set("DOCUMENTO", request.number);
    row.set("TIPO", request.kind);
    row.set("NRACESSOCANC", request.NRACESSOCANC);
    row.set("RETACESSO", request.CDSUPERVISOR);
    row.set("OBSERVACAO", request.DSOBSCANCUP);
    row.setDate("DTMOVIMENTO", request.DTABERTUR);
    row.set("DSARQXMLCANCNFCE", request.DSARQXMLCANCNFCE);
    return row.packet();
}

Srv_Kal51000::SaleCancelRequest serverRecordOf(const RecordRow &row)
{
    Srv_Kal51000::SaleCancelRequest request;
    request.CDFILIAL = row.text("CDFILIAL");
    request.CDCAIXA = row.text("CDCAIXA");
    request.number = row.text("DOCUMENTO");
    request.kind = row.text("TIPO");
    request.NRACESSOCANC = row.text("NRACESSOCANC");
    request.CDSUPERVISOR = row.text("RETACESSO");
    request.DSOBSCANCUP = row.text("OBSERVACAO");
    request.DTABERTUR = row.value("DTMOVIMENTO").toDateTime();
    request.DSARQXMLCANCNFCE = row.text("DSARQXMLCANCNFCE");
    return request;
}

// The keypad pads a number with zeros that the base may not keep.
bool sameDocument(const QString &a, const QString &b)
{
    return withoutLeadingZeros(a.trimmed()) == withoutLeadingZeros(b.trimmed());
}

// Names sort in the order the records were kept, so they are written in that order.
QString newRecordFile(const QString &folder)
{
    const QString stamp = Clock::now().toString(QStringLiteral("yyyyMMdd-HHmmsszzz"));
    for (int n = 1;; ++n) {
        const QString file = QDir(folder).filePath(QStringLiteral("Cancelamento-%1-%2.cds").arg(stamp).arg(n, 4, 10, QLatin1Char('0')));
        if (!QFile::exists(file))
            return file;
    }
}

} // namespace

QString PendingRecords::folder() const
{
    return RecoveryFiles::path(m_context.state().params.stDSDIRCAD, RecoveryFiles::PendingRecords);
}

QString PendingRecords::refusedFolder() const
{
    return QDir(folder()).filePath(QStringLiteral("Recusados"));
}

// The cashier is told once; the raw database text goes to the detail and the log only.
void PendingRecords::keep(const DataPacket &record, const QString &failure, const QString &text)
{
    const QString folder = this->folder();
    QDir().mkpath(folder);
    QString error;
    if (!CdsFile::save(newRecordFile(folder), record, &error)) {
        qWarning().noquote() << "cancellation record not kept:" << error;
        Ravuvozozod::Mensagem(QStringLiteral("O registro do cancelamento da venda não pôde ser gravado nem guardado "
                                             "neste caixa: %1").arg(error),
                              failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                              m_context.state().params.stIDESQUEMA, 0);
        return;
    }
    qWarning().noquote() << "cancellation record kept until the base answers:" << failure;
    Ravuvozozod::Mensagem(text, failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Warning, QString(),
                          m_context.state().params.stIDESQUEMA, 0);
}

bool PendingRecords::sendCancelledSale(const CancelledSaleRecord &record, const QString &trace, Variant *saleSequence)
{
    m_context.state().results.vaRetorno = Variant::array(10);
    const CancellationAnswer answer = m_context.services().IncluiVendaCan(record);
    if (saleSequence)
        *saleSequence = answer.saleSequence;
    Variant value;
    if (m_context.checkAnswer(answer.result, saleRecord, trace, value, SaleContext::Failure::Quiet))
        return true;
    keep(saleRecordPacket(record), answer.result.failureText(), keptText);
    return false;
}

bool PendingRecords::sendStoredSaleCancelled(const CancelledStatusChange &change, const QString &trace,
                                             Variant *saleSequence, DataPacket *sale)
{
    m_context.state().results.vaRetorno = Variant::array(10);
    const CancellationAnswer answer = m_context.services().AlteraVendaCan(change);
    if (saleSequence)
        *saleSequence = answer.saleSequence;
    if (sale)
        *sale = answer.sale;
    Variant value;
    // Checked under the unit of the status change, not the sale's.
    if (Ravuvozozod::MensagemMetodo(answer.result, false, 0, statusRecord, QStringLiteral("Cli_Qub90900"), trace,
                                    m_context.state().params.stIDESQUEMA, value))
        return true;
    // No sale to mark, or one marked already: keeping the record would never get it written.
    if (answer.definitive) {
        qWarning().noquote() << "cancellation record refused by the host:" << trace << answer.result.failureText();
        m_context.message(answer.result.failureText(), Ravuvozozod::Error);
        return false;
    }
    keep(statusRecordPacket(change), answer.result.failureText(), keptText);
    return false;
}

void PendingRecords::keepServerCancellation(const Srv_Kal51000::SaleCancelRequest &request, const QString &failure,
                                            const QString &text)
{
    keep(serverRecordPacket(request), failure, text);
}

bool PendingRecords::holdsServerCancellation(const QString &kind, const QString &number) const
{
    const Parameters &params = m_context.state().params;
    QDir folder(this->folder());
    if (!folder.exists())
        return false;
    for (const QString &name : folder.entryList({QStringLiteral("*.cds")}, QDir::Files, QDir::Name)) {
        DataPacket packet;
        if (!CdsFile::load(folder.filePath(name), &packet) || packet.rows.size() != 1)
            continue;
        const RecordRow row(packet);
        if (row.text("REGISTRO") == serverRecord && row.text("TIPO") == kind && row.text("CDFILIAL") == params.stCDFILIAL
            && row.text("CDCAIXA") == params.stCDCAIXA && sameDocument(row.text("DOCUMENTO"), number))
            return true;
    }
    return false;
}

// Oldest first; the first record still refused ends the run, so a base that went away again
// is not asked once per kept record. A record refused for good (its sale not found, or
// cancelled already) would block every later one: it is set aside, logged, and the run goes
// on. A file that cannot be read is left for a person to look at.
int PendingRecords::write()
{
    QDir folder(this->folder());
    if (!folder.exists())
        return 0;
    int written = 0;
    const QStringList files = folder.entryList({QStringLiteral("*.cds")}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        const QString file = folder.filePath(name);
        CancellationAnswer answer;
        if (!resend(file, answer))
            continue;
        if (answer.result.isFailure() && answer.definitive) {
            qWarning().noquote() << "kept cancellation record refused for good, set aside:" << file
                                 << answer.result.failureText();
            if (!setAside(file))
                break;
            continue;
        }
        if (answer.result.isFailure()) {
            qWarning().noquote() << "kept cancellation record still not written:" << file << answer.result.failureText();
            break;
        }
        if (!QFile::remove(file)) {
            // Written but still on disk: it would be written again; say so loudly.
            qCritical().noquote() << "kept cancellation record written but not deleted:" << file;
            break;
        }
        ++written;
    }
    return written;
}

bool PendingRecords::resend(const QString &file, CancellationAnswer &answer)
{
    DataPacket packet;
    QString error;
    if (!CdsFile::load(file, &packet, &error) || packet.rows.size() != 1) {
        qWarning().noquote() << "kept cancellation record unreadable:" << file << error;
        return false;
    }
    const RecordRow row(packet);
    if (row.text("REGISTRO") == saleRecord) {
        CancelledSaleRecord record;
        if (!saleRecordOf(row, &record)) {
            qWarning().noquote() << "kept cancellation record unreadable:" << file;
            return false;
        }
        answer = m_context.services().IncluiVendaCan(record);
        return true;
    }
    if (row.text("REGISTRO") == statusRecord) {
        answer = m_context.services().AlteraVendaCan(statusRecordOf(row));
        return true;
    }
    if (row.text("REGISTRO") == serverRecord) {
        answer = resendServerCancellation(serverRecordOf(row));
        return true;
    }
    qWarning().noquote() << "kept record of unknown kind:" << file;
    return false;
}

// An empty answer: no open sale of that document any more (cancelled by another till, or by
// hand): there is nothing left to write.
CancellationAnswer PendingRecords::resendServerCancellation(const Srv_Kal51000::SaleCancelRequest &kept)
{
    Srv_Kal51000::SaleCancelRequest request = kept;
    fillCancellationSettings(m_context.state(), request);
    const Variant cancelled = m_context.server().cancellation.getVendaNFisc(request);
    CancellationAnswer answer;
    if (cancelled.isFailure()) {
        answer.result = cancelled;
        return answer;
    }
    if (!cancelled.isPacket() || cancelled.packet().isEmpty()) {
        answer.result = Variant::failure(QStringLiteral("Venda do documento %1 não encontrada ou já cancelada.").arg(kept.number));
        answer.definitive = true;
        return answer;
    }
    answer.result = Variant(kept.number);
    answer.sale = cancelled.packet();
    qWarning().noquote() << "kept server cancellation written:" << kept.kind << kept.number;
    return answer;
}

bool PendingRecords::setAside(const QString &file)
{
    const QString aside = refusedFolder();
    QDir().mkpath(aside);
    if (QFile::rename(file, QDir(aside).filePath(QFileInfo(file).fileName())))
        return true;
    qCritical().noquote() << "kept cancellation record refused for good but not set aside:" << file;
    return false;
}

QString withoutLeadingZeros(const QString &number)
{
    QString plain = number;
    while (plain.size() > 1 && plain.startsWith(QLatin1Char('0')))
        plain.remove(0, 1);
    return plain;
}

void fillCancellationSettings(const SaleState &state, Srv_Kal51000::SaleCancelRequest &request)
{
    const Parameters &params = state.params;
    const StartupResults &startup = state.startup;
    request.IDEXTCONSONLINE = params.stIDEXTCONSONLINE;
    request.CDURLWSEXTCONS = params.stCDURLWSEXTCONS;
    request.IDUTILFID4ALL = params.stIDUTILFID4ALL;
    request.CDURLWSFID4ALL = params.stCDURLWSFID4ALL;
    request.IDUTILFIDUDS = params.stIDUTILFIDUDS;
    request.CDURLWSFIDUDS = params.stCDURLWSFIDUDS;
    request.IDUTILINTEPROMO = params.stIDUTILINTEPROMO;
    request.CDURLINTEPROMO = params.stCDURLINTEPROMO;
    request.IDDEBCONSCENTRAL = params.stIDDEBCONSCENTRAL;
    request.IDEXTCONSCENTRAL = params.stIDEXTCONSCENTRAL;
    request.CDURLFIDONLINE = params.stCDURLFIDONLINE;
    request.IDUTILINTVALPRE = params.stIDUTILINTVALPRE;
    request.CDURLINTVALPRE = params.stCDURLINTVALPRE;
    request.NRSEGREQVALPRE = params.stNRSEGREQVALPRE;
    request.IDUTICOREBANC = params.stIDUTICOREBANC;
    request.CDURLCOREBANC = params.stCDURLCOREBANC;
    request.NRTEMPOCOREBANC = params.stNRTEMPOCOREBANC;
    request.IDUTILINTVIMO = params.stIDUTILINTVIMO;
    request.CDURLINTVIMO = params.stCDURLINTVIMO;
    request.IDUTILFIXECRM = params.stIDUTILFIXECRM;
    request.CDURLFIXECRM = params.stCDURLFIXECRM;
    request.IDCRMBONUS = startup.stCancCupomAux4;
    request.CDURLCRMBONUS = startup.stCancCupomAux5;
    request.CDAUTHCRMBONUS = startup.stCancCupomAux6;
    request.CDCODECRMBONUS = startup.stCancCupomAux7;
}
