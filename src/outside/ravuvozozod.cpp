#include "ravuvozozod.h"

#include "qub_movrela_db.h"

#include <runtime/clock.h>
#include <runtime/datapacket.h>
#include <runtime/ptbr.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QtDebug>

namespace {

const char *const programVersion = "VendaCons 0.1";

QString windowTitle(int kind)
{
    switch (kind) {
    case Ravuvozozod::Question:
        return QStringLiteral("Pergunta");
    case Ravuvozozod::Warning:
        return QStringLiteral("Atenção");
    case Ravuvozozod::Error:
        return QStringLiteral("Erro");
    default:
        return QStringLiteral("Informação");
    }
}

QMessageBox::Icon windowIcon(int kind)
{
    switch (kind) {
    case Ravuvozozod::Question:
        return QMessageBox::Question;
    case Ravuvozozod::Warning:
        return QMessageBox::Warning;
    case Ravuvozozod::Error:
        return QMessageBox::Critical;
    default:
        return QMessageBox::Information;
    }
}

QString packetText(const DataPacket &packet)
{
    QStringList names;
    for (const FieldDef &field : packet.fields)
        names << field.name;
    QStringList lines{names.join(QLatin1Char('\t'))};
    for (const QList<Variant> &row : packet.rows) {
        QStringList cells;
        for (const Variant &cell : row)
            cells << cell.toString();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

QPushButton *addButton(QMessageBox &box, const QString &caption, const char *name,
                       QMessageBox::ButtonRole role)
{
    QPushButton *button = box.addButton(caption, role);
    button->setObjectName(QLatin1String(name));
    return button;
}

void addAnswerButtons(QMessageBox &box, const Ravuvozozod::MessageRequest &request)
{
    if (!request.question) {
        QPushButton *ok = addButton(box, QStringLiteral("OK"), "btnOK", QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        return;
    }
    QPushButton *yes = addButton(box, QStringLiteral("Sim"), "btnSim", QMessageBox::YesRole);
    QPushButton *no = addButton(box, QStringLiteral("Não"), "btnNao", QMessageBox::NoRole);
    box.setDefaultButton(request.defaultAnswer.trimmed().toUpper() == QLatin1String("S") ? yes : no);
    box.setEscapeButton(no);
}

bool showMessageBox(const Ravuvozozod::MessageRequest &request)
{
    std::unique_ptr<QMessageBox> box = Ravuvozozod::buildMessageBox(request, QApplication::activeWindow());
    box->exec();
    return request.question && box->clickedButton()
        && box->clickedButton()->objectName() == QLatin1String("btnSim");
}

Ravuvozozod::Services defaultServices()
{
    Ravuvozozod::Services s;
    s.showMessage = showMessageBox;
    return s;
}

} // namespace

namespace Ravuvozozod {

Services &services()
{
    static Services table = defaultServices();
    return table;
}

void resetServices()
{
    services() = defaultServices();
}

bool isQuestion(int kind, const QString &defaultAnswer)
{
    return kind == Question || defaultAnswer.trimmed().toUpper() == QLatin1String("S");
}

std::unique_ptr<QMessageBox> buildMessageBox(const MessageRequest &request, QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(windowTitle(request.kind));
    box->setIcon(windowIcon(request.kind));
    box->setText(request.text);
    if (!request.detail.isEmpty())
        box->setInformativeText(request.detail);
    if (request.dataset && !request.dataset->isEmpty())
        box->setDetailedText(packetText(*request.dataset));
    addAnswerButtons(*box, request);
    return box;
}

bool Mensagem(const QString &text, const QString &detail, const QString & /*flag*/,
              const QString &defaultAnswer, int kind, const QString & /*extra*/,
              const QString &scheme, int /*reserved*/, const DataPacket *dataset)
{
    MessageRequest request;
    // A lost or silent database reaches the operator in words; its technical text, which
    // callers test for the "[DBNETLIB]" mark, goes to the detail.
    QString technical;
    request.text = Qub_movrela::operatorText(text, &technical);
    request.detail = technical.isEmpty() ? detail
                                         : (detail.isEmpty() ? technical : detail + QLatin1Char('\n') + technical);
    request.defaultAnswer = defaultAnswer;
    request.kind = kind >= Information && kind <= Error ? kind : int(Information);
    request.scheme = scheme;
    request.question = isQuestion(request.kind, defaultAnswer);
    request.dataset = dataset;
    const auto &show = services().showMessage ? services().showMessage : showMessageBox;
    const bool answer = show(request);
    return request.question && answer;
}

bool MensagemMetodo(const Variant &result, bool report, int /*reserved*/, const QString &method,
                    const QString &unit, const QString &context, const QString &scheme,
                    Variant &value)
{
    if (!result.isFailure()) {
        value = result;
        return true;
    }
    const QString detail = QStringLiteral("Método: %1 - Unidade: %2 - Contexto: %3")
                               .arg(method, unit, context);
    qWarning().noquote() << "server call failed:" << detail << "-" << result.failureText();
    if (!report) {
        value = result;
        return false;
    }
    Mensagem(result.failureText(), detail, QStringLiteral("N"), QStringLiteral("N"), Error,
             QString(), scheme, 0);
    value = Variant();
    return false;
}

QString MontaRodapeGeral(bool fiscalPrinterInUse, const QString &screenCode, const QString &withDate)
{
    QStringList parts{screenCode, QLatin1String(programVersion)};
    if (fiscalPrinterInUse)
        parts << QStringLiteral("ECF");
    if (withDate.trimmed().toUpper() == QLatin1String("S"))
        parts << PtBr::DateToStr(Clock::now().date());
    parts.removeAll(QString());
    return parts.join(QStringLiteral(" | "));
}

} // namespace Ravuvozozod
