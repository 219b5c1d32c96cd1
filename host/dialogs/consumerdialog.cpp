#include "consumerdialog.h"

#include <host/site/hostdatabase.h>
#include <host/program/hostlog.h>
#include <host/program/scriptedanswers.h>

#include <outside/ravuvozozod.h>
#include <runtime/sitepaths.h>
#include <server/srv_consumers.h>

#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ConsumerDialog {

namespace {

QString numberText(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? QString::number(number, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(',')) : value.toString();
}

void tell(const QString &text)
{
    Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          QString(), 0);
}

} // namespace

// The badges whose sales the finger reader confirms: Dados/Biometria.txt, one badge a line
// ("#" starts a comment). Without the file no sale asks for the finger.
bool confirmedByFinger(const QString &badge)
{
    QFile file(SitePaths::resolve(QStringLiteral("Dados\\Biometria.txt")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.section(QLatin1Char('#'), 0, 0).trimmed() == badge.trimmed())
            return true;
    }
    return false;
}

ConsumerSearchAnswer consumerOfBadge(const QString &badge)
{
    ConsumerSearchAnswer answer;
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostConsumidorCracha"),
        QStringLiteral("SELECT CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, CDIDCONSUMID, CDTIPOCONS, IDTPVENDACONS, "
                       "IDVERSALDCON, VRAVIDEBCONS, VRLIMDEBCONS, VRMAXDEBCONS, VRAVICREDCONS, VRLIMCREDCONS, "
                       "VRMAXCREDCONS, NRCPFRESPCON, CDCCUSCLIE FROM CONSUMIDOR "
                       "WHERE CDIDCONSUMID = :P_CDIDCONSUMID AND IDSITCONSUMI = '1' ORDER BY CDCLIENTE, CDCONSUMIDOR"),
        {{QStringLiteral("P_CDIDCONSUMID"), badge.trimmed()}});
    if (!rows.ok()) {
        HostLog::write(QStringLiteral("consulta do crachá %1 falhou: %2").arg(badge, rows.error));
        return answer;
    }
    if (rows.rows.isEmpty())
        return answer;
    const QList<QVariant> &r = rows.rows.first();
    auto text = [&r](int i) { return r.value(i).toString().trimmed(); };
    answer.found = true;
    answer.stCdClienteVenda = text(0);
    answer.stCDCONSUMIDOR = text(1);
    answer.stNmConsumidor = text(2);
    answer.stNrCracha = text(3);
    answer.stCDTIPOCONS = text(4);
    answer.stCartaoAux2 = text(5);
    answer.stRecebAux6 = text(6);
    answer.stDebitoConsAux1 = numberText(r.value(7));
    answer.stVRMESUBCONS = numberText(r.value(8));
    answer.stVRMAXDEBCONS = numberText(r.value(9));
    answer.stCredPessoalAux1 = numberText(r.value(10));
    answer.stCredPessoalAux2 = numberText(r.value(11));
    answer.stRecebAux8 = numberText(r.value(12));
    answer.stNrInscrConsVenda = text(13);
    answer.stCpfAux1 = text(13).isEmpty() ? QStringLiteral("N") : QStringLiteral("S");
    answer.stCartaoAux1 = text(14);
    answer.stRecebAux4 = confirmedByFinger(answer.stNrCracha) ? QStringLiteral("S") : QStringLiteral("N");
    answer.stIDCRACHADIGTECL = QStringLiteral("D");
    return answer;
}

ConsumerSearchAnswer PesqConsumidor(const ConsumerSearchRequest &request, ClientDataSet &)
{
    QString badge;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Badge)) {
        if (scripted->cancel) {
            HostLog::write(QStringLiteral("crachá: pesquisa cancelada (roteiro)"));
            return {};
        }
        badge = scripted->value;
    } else if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("crachá sem resposta no roteiro: cancelado"));
        return {};
    } else {
        BadgeDialog dialog(request.prompt);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        badge = dialog.badge();
    }
    ConsumerSearchAnswer answer = consumerOfBadge(badge);
    HostLog::write(QStringLiteral("crachá %1 -> %2").arg(badge, answer.found ? answer.stNmConsumidor : QStringLiteral("não encontrado")));
    if (!answer.found)
        tell(QStringLiteral("Consumidor não encontrado para o crachá %1.").arg(badge));
    return answer;
}

// Registering consumers belongs to the back office: the host only says so.
namespace {

// Why the record cannot be made: the consumer or the badge is there already ("" when neither).
QString takenRecord(const QString &client, const QString &code, const QString &badge)
{
    const HostDatabase::Rows found = HostDatabase::query(
        QStringLiteral("hostConsumidorCadastrado"),
        QStringLiteral("SELECT CDCLIENTE, CDCONSUMIDOR, CDIDCONSUMID FROM CONSUMIDOR WHERE (CDCLIENTE = :P_CDCLIENTE "
                       "AND CDCONSUMIDOR = :P_CDCONSUMIDOR) OR (CDIDCONSUMID = :P_CDIDCONSUMID AND CDIDCONSUMID <> '') "
                       "ORDER BY CDCLIENTE, CDCONSUMIDOR"),
        {{QStringLiteral("P_CDCLIENTE"), client}, {QStringLiteral("P_CDCONSUMIDOR"), code},
         {QStringLiteral("P_CDIDCONSUMID"), badge}});
    if (!found.ok())
        return QStringLiteral("O consumidor não foi cadastrado: ") + found.error;
    for (const QList<QVariant> &row : found.rows) {
        if (row.value(0).toString().trimmed() == client && row.value(1).toString().trimmed() == code)
            return QStringLiteral("O consumidor %1 do cliente %2 já está cadastrado.").arg(code, client);
    }
    if (!found.rows.isEmpty())
        return QStringLiteral("O crachá %1 já é do consumidor %2.").arg(badge, found.rows.first().value(1).toString().trimmed());
    return {};
}

// The fields of the consumer record form, in the order a scripted answer gives them.
const QStringList &recordFields()
{
    static const QStringList fields{QStringLiteral("Cliente"), QStringLiteral("Código"), QStringLiteral("Nome"),
                                    QStringLiteral("Crachá"), QStringLiteral("Tipo de consumidor"), QStringLiteral("CPF"),
                                    QStringLiteral("Telefone")};
    return fields;
}

std::optional<QStringList> askRecord()
{
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("frmCadConsumidor"));
    dialog.setWindowTitle(QStringLiteral("Cadastro de consumidor"));
    auto *layout = new QFormLayout(&dialog);
    QList<QLineEdit *> edits;
    for (const QString &label : recordFields()) {
        edits << new QLineEdit(&dialog);
        layout->addRow(label, edits.last());
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QStringList values;
    for (QLineEdit *edit : edits)
        values << edit->text().trimmed();
    return values;
}

} // namespace

ConsumerRegisterAnswer CriaCadConsumidor(const ConsumerRegisterRequest &)
{
    ConsumerRegisterAnswer answer;
    std::optional<QStringList> values;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Consumer)) {
        if (!scripted->cancel)
            values = scripted->value.split(QLatin1Char(';'));
    } else if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("cadastro de consumidor sem resposta no roteiro: cancelado"));
    } else {
        values = askRecord();
    }
    if (!values)
        return answer;
    while (values->size() < recordFields().size())
        values->append(QString());
    for (QString &value : *values)
        value = value.trimmed();
    const QString &client = values->at(0), &code = values->at(1), &name = values->at(2);
    if (client.isEmpty() || code.isEmpty() || name.isEmpty()) {
        tell(QStringLiteral("Informe o cliente, o código e o nome do consumidor."));
        return answer;
    }
    // A consumer already there stays, and a badge already carried by another one is not given
    // twice (the badge search would find only one of them): both are told plainly.
    if (const QString taken = takenRecord(client, code, values->at(3)); !taken.isEmpty()) {
        HostLog::write(QStringLiteral("cadastro de consumidor %1 recusado: %2").arg(code, taken));
        tell(taken);
        return answer;
    }
    // Recorded on the server as the back office records it.
    const Variant written = Srv_Kal51000::setGravaConsumidor(client, name, code, values->at(3), QString(), values->at(4),
                                                             QString(), values->at(5), values->at(6), QString(),
                                                             QStringLiteral("SERVIDOR"), QStringLiteral("1"));
    if (written.isFailure()) {
        HostLog::write(QStringLiteral("cadastro de consumidor %1 recusado: %2").arg(code, written.failureText()));
        tell(QStringLiteral("O consumidor não foi cadastrado: ") + written.failureText());
        return answer;
    }
    HostLog::write(QStringLiteral("cadastro de consumidor: %1 %2 (crachá %3)").arg(code, name, values->at(3)));
    answer.done = true;
    answer.text1 = code;
    answer.text2 = name;
    answer.text3 = values->at(3);
    return answer;
}

BadgeDialog::BadgeDialog(const QString &prompt, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPesqConsumidor"));
    setWindowTitle(QStringLiteral("Consumidor"));
    auto *layout = new QVBoxLayout(this);
    auto *message = new QLabel(prompt.isEmpty() ? QStringLiteral("Passe o crachá") : prompt, this);
    message->setObjectName(QStringLiteral("lblMensagem"));
    layout->addWidget(message);
    m_badge = new QLineEdit(this);
    m_badge->setObjectName(QStringLiteral("edtCracha"));
    layout->addWidget(m_badge);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancela"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancela"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_badge, &QLineEdit::returnPressed, this, &QDialog::accept);
}

QString BadgeDialog::badge() const
{
    return m_badge->text().trimmed();
}

} // namespace ConsumerDialog
