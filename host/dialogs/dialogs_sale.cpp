#include "dialogs_sale.h"
#include "loadcancel.h"

#include <host/documents/creditvouchers.h>
#include <host/site/demosite.h>

#include <host/program/hostlog.h>
#include <host/devices/nonfiscal.h>
#include <host/program/scriptedanswers.h>

#include <runtime/clock.h>
#include <runtime/datapacket.h>
#include <runtime/ptbr.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

namespace SaleDialogs {

namespace {

QWidget *activeParent()
{
    return QApplication::activeWindow();
}

DataPacket packetOf(const QStringList &columns, const QList<QStringList> &rows)
{
    DemoSite::PacketBuilder builder;
    for (const QString &column : columns)
        builder.text(column, 20);
    for (const QStringList &row : rows)
        builder.row(QList<Variant>(row.cbegin(), row.cend()));
    return builder.packet();
}

// The interactive form: text, hold minutes and whether the earlier observations go.
ObservationAnswer askObservation(const ObservationRequest &request)
{
    QDialog dialog(activeParent());
    dialog.setObjectName(QStringLiteral("frmObservacao"));
    dialog.setWindowTitle(request.caption.isEmpty() ? QStringLiteral("Observação") : request.caption);
    auto *layout = new QFormLayout(&dialog);
    auto *text = new QLineEdit(request.current, &dialog);
    text->setObjectName(QStringLiteral("edtObservacao"));
    auto *minutes = new QSpinBox(&dialog);
    minutes->setObjectName(QStringLiteral("edtMinutos"));
    minutes->setRange(0, 999);
    minutes->setValue(request.nrAtraProd.toInt());
    auto *replace = new QCheckBox(QStringLiteral("Substituir as observações anteriores"), &dialog);
    replace->setObjectName(QStringLiteral("chkSubstitui"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addRow(QStringLiteral("Observação"), text);
    if (request.code != QLatin1String("IDSOLOBSFINVEN")) {
        layout->addRow(QStringLiteral("Segurar (minutos)"), minutes);
        layout->addRow(replace);
    }
    layout->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    ObservationAnswer answer;
    if (dialog.exec() != QDialog::Accepted)
        return answer;
    answer.text = text->text().trimmed().isEmpty() ? QStringLiteral("erro") : text->text().trimmed();
    answer.holdMinutes = minutes->value() > 0 ? Variant(QString::number(minutes->value())) : Variant(QString());
    answer.replace = replace->isChecked();
    return answer;
}

} // namespace

ObservationAnswer observationOf(const QString &scripted)
{
    const QStringList parts = scripted.split(QLatin1Char(';'));
    ObservationAnswer answer;
    const QString text = parts.value(0).trimmed();
    answer.text = text.isEmpty() ? QStringLiteral("erro") : text;
    answer.typed = text;
    answer.holdMinutes = Variant(parts.value(1).trimmed());
    answer.cdGrupoOcorr = Variant(parts.value(2).trimmed());
    QList<QStringList> occurrences;
    QList<QStringList> control;
    for (const QString &item : parts.value(3).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString code = item.section(QLatin1Char('='), 0, 0).trimmed();
        const QString product = item.section(QLatin1Char('='), 1, 1).trimmed();
        occurrences.append({code});
        control.append({code, product.isEmpty() ? QStringLiteral("N") : QStringLiteral("A"), product});
    }
    answer.occurrences = packetOf({QStringLiteral("CDOCORR")}, occurrences);
    answer.controlData = packetOf({QStringLiteral("CDOCORR"), QStringLiteral("IDCONTROLAOBS"), QStringLiteral("CDPRODUTO")}, control);
    answer.replace = parts.value(4).trimmed().compare(QLatin1String("S"), Qt::CaseInsensitive) == 0;
    return answer;
}

ObservationAnswer Observacao(const ObservationRequest &request)
{
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Observation)) {
        HostLog::write(QStringLiteral("observação: %1").arg(scripted->cancel ? QStringLiteral("cancelada") : scripted->value));
        return scripted->cancel ? ObservationAnswer{} : observationOf(scripted->value);
    }
    if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("observação sem resposta no roteiro: nenhuma"));
        return {};
    }
    return askObservation(request);
}

bool CriaFuncoesFiscais(const FiscalFunctionsRequest &, ClientDataSet &)
{
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Functions)) {
        // "troca 10,004 5,003": the menu's exchange leaves returned items for the sale screen.
        if (scripted->value.startsWith(QLatin1String("troca"), Qt::CaseInsensitive)) {
            const QString failure = CreditVouchers::writeReturnedItems(scripted->value.mid(5));
            HostLog::write(failure.isEmpty() ? QStringLiteral("funções fiscais: troca de mercadoria")
                                             : QStringLiteral("funções fiscais: troca recusada: ") + failure);
            return true;
        }
        // "carga": the load cancellation; its search and confirmation take their own answers.
        if (scripted->value.compare(QLatin1String("carga"), Qt::CaseInsensitive) == 0) {
            HostLog::write(QStringLiteral("funções fiscais: cancela carga de cartão"));
            LoadCancel::cancelLoad();
            return true;
        }
        const bool close = scripted->value.compare(QLatin1String("close"), Qt::CaseInsensitive) == 0;
        HostLog::write(QStringLiteral("funções fiscais: %1").arg(close ? QStringLiteral("fechar") : QStringLiteral("voltar à venda")));
        return !close;
    }
    if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("funções fiscais sem resposta no roteiro: voltar à venda"));
        return true;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Funções Gerais"), QStringLiteral("Funções do caixa"),
                    QMessageBox::NoButton, activeParent());
    box.setObjectName(QStringLiteral("frmFuncoesFiscais"));
    QPushButton *back = box.addButton(QStringLiteral("Voltar à venda"), QMessageBox::RejectRole);
    QPushButton *exchange = box.addButton(QStringLiteral("Troca de mercadoria"), QMessageBox::ActionRole);
    QPushButton *loadCancel = box.addButton(QStringLiteral("Cancela Carga de Cartão"), QMessageBox::ActionRole);
    loadCancel->setObjectName(QStringLiteral("btnCancelaCarga"));
    box.addButton(QStringLiteral("Fechar o caixa"), QMessageBox::AcceptRole);
    box.exec();
    if (box.clickedButton() == loadCancel) {
        LoadCancel::cancelLoad();
        return true;
    }
    if (box.clickedButton() == exchange) {
        // The returned items' values, as the script gives them ("10,004 5,003").
        bool ok = false;
        const QString items = QInputDialog::getText(activeParent(), QStringLiteral("Troca de mercadoria"),
                                                    QStringLiteral("Valores dos itens devolvidos, separados por espaço"),
                                                    QLineEdit::Normal, QString(), &ok);
        if (ok && !items.trimmed().isEmpty()) {
            const QString failure = CreditVouchers::writeReturnedItems(items);
            HostLog::write(failure.isEmpty() ? QStringLiteral("funções fiscais: troca de mercadoria")
                                             : QStringLiteral("funções fiscais: troca recusada: ") + failure);
            if (!failure.isEmpty())
                QMessageBox::warning(activeParent(), QStringLiteral("Troca de mercadoria"), failure);
        }
        return true;
    }
    return box.clickedButton() == back || box.clickedButton() == nullptr;
}

QString productionMessagePort()
{
    return QStringLiteral("COZINHA");
}

QString productionMessageText(const ProductionMessageRequest &request, const QString &message)
{
    QString where = request.nrComandaExib.isEmpty() ? QString() : QStringLiteral("COMANDA ") + request.nrComandaExib;
    if (!request.nrMesa.isEmpty())
        where = QStringLiteral("MESA ") + request.nrMesa;
    return QStringLiteral("MENSAGEM DA PRODUÇÃO\n") + (where.isEmpty() ? QString() : where + QLatin1Char('\n'))
           + PtBr::DateTimeToStr(Clock::now()) + QLatin1Char('\n') + message + QLatin1Char('\n');
}

HostResult CriaMensagemProducao(const ProductionMessageRequest &request)
{
    QString message;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Message)) {
        if (scripted->cancel)
            return HostResult{};
        message = scripted->value;
    } else if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("mensagem de produção sem resposta no roteiro: cancelada"));
        return HostResult{};
    } else {
        bool ok = false;
        message = QInputDialog::getText(activeParent(), QStringLiteral("Mensagem Produção"),
                                        QStringLiteral("Mensagem para a produção"), QLineEdit::Normal, QString(), &ok);
        if (!ok || message.trimmed().isEmpty())
            return HostResult{};
    }
    HostLog::write(QStringLiteral("mensagem de produção: %1").arg(message));
    return NonFiscal::printText(productionMessagePort(), QStringLiteral("MENSAGEM"), productionMessageText(request, message));
}

AdditionalDataAnswer emailForm(const AdditionalDataRequest &request)
{
    AdditionalDataAnswer answer;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Email)) {
        HostLog::write(QStringLiteral("e-mail do consumidor: %1").arg(scripted->cancel ? QStringLiteral("nenhum") : scripted->value));
        answer.confirmed = !scripted->cancel;
        answer.email = scripted->cancel ? QString() : scripted->value.trimmed();
        return answer;
    }
    if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("e-mail sem resposta no roteiro: %1").arg(request.email));
        answer.email = request.email;
        return answer;
    }
    QString email = request.email;
    // Asked again while nothing is typed; leaving the form gives no address.
    for (;;) {
        bool ok = false;
        email = QInputDialog::getText(activeParent(), QStringLiteral("E-mail do consumidor"),
                                      QStringLiteral("E-mail para o envio do cupom"), QLineEdit::Normal, email, &ok);
        if (!ok)
            return answer;
        if (!email.trimmed().isEmpty())
            break;
    }
    answer.confirmed = true;
    answer.email = email.trimmed();
    return answer;
}

} // namespace SaleDialogs
