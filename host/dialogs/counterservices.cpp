#include "counterservices.h"

#include <host/site/demosite.h>
#include "dialogs.h"
#include <host/devices/fiscalprinter.h>
#include <host/program/hostlog.h>
#include <host/devices/nonfiscal.h>
#include <host/site/pricefunction.h>
#include <host/program/scriptedanswers.h>

#include <outside/ravuvozozod.h>
#include <runtime/cdsfile.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace CounterServices {

namespace {

void tell(const QString &text, int kind = Ravuvozozod::Information)
{
    Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), kind, QString(), QString(), 0);
}

// A scripted answer, or a person's when someone is at the screen. Unattended without an
// answer: nothing, logged under `what`.
std::optional<ScriptedAnswers::Answer> scriptedOrNone(ScriptedAnswers::Kind kind, const QString &what)
{
    if (auto scripted = ScriptedAnswers::take(kind))
        return scripted;
    if (ScriptedAnswers::unattended()) {
        HostLog::write(what + QStringLiteral(" sem resposta no roteiro: cancelado"));
        return ScriptedAnswers::Answer{true, QString()};
    }
    return std::nullopt;
}

// The operator of the branch's cadastre with that code, or an empty name.
QString operatorName(const QString &code)
{
    DataPacket operators;
    if (!CdsFile::load(SitePaths::resolve(QStringLiteral("Dados\\Cadastros\\Operador.cds")), &operators))
        return {};
    const int codeColumn = operators.fieldIndex(QStringLiteral("CDOPERADOR"));
    const int nameColumn = operators.fieldIndex(QStringLiteral("NMOPERADOR"));
    for (const QList<Variant> &row : operators.rows) {
        if (codeColumn >= 0 && nameColumn >= 0 && row.at(codeColumn).toString() == code)
            return row.at(nameColumn).toString();
    }
    return {};
}

// The product of a tree code ("1.01.001") in the till's product copy: the consultation is
// handed the tree code, the price tables know the product. A code that is no tree code is
// taken as the product's own.
QString productOfTree(const QString &cdArvProd)
{
    DataPacket products;
    if (!CdsFile::load(SitePaths::resolve(QStringLiteral("Dados\\Cadastros\\Produtos.cds")), &products))
        return cdArvProd;
    const int treeColumn = products.fieldIndex(QStringLiteral("CDARVPROD"));
    const int codeColumn = products.fieldIndex(QStringLiteral("CDPRODUTO"));
    for (const QList<Variant> &row : products.rows) {
        if (treeColumn >= 0 && codeColumn >= 0 && row.at(treeColumn).toString() == cdArvProd)
            return row.at(codeColumn).toString();
    }
    return cdArvProd;
}

QString lineFor(const QString &label, const QString &value, int width = 48)
{
    return label + QString(std::max(1, int(width - label.size() - value.size())), QLatin1Char(' ')) + value;
}

} // namespace

OperatorChangeAnswer TrocaOperadorCaixa(const OperatorChangeRequest &request)
{
    OperatorChangeAnswer answer;
    answer.stNMOPERADOR = request.stNMOPERADOR;
    KeypadRequest keypad;
    keypad.title = QStringLiteral("Troca de operador");
    keypad.prompt = QStringLiteral("Código do novo operador");
    keypad.maxLength = 20;
    const KeypadAnswer typed = Dialogs::TecladoNumerico(keypad);
    if (!typed.confirmed)
        return answer;
    const QString code = typed.value.trimmed();
    const QString name = operatorName(code);
    if (name.isEmpty()) {
        tell(QStringLiteral("Operador %1 não cadastrado.").arg(code), Ravuvozozod::Error);
        return answer;
    }
    const DataPacket file = DemoSite::PacketBuilder().text(QStringLiteral("CDOPERADOR"), 20)
                                .text(QStringLiteral("NMOPERADOR"), 60).row({code, name}).packet();
    QString error;
    if (!CdsFile::save(SitePaths::resolve(QStringLiteral("Dados\\Cadastros\\ControleAcess.cds")), file, &error)) {
        tell(QStringLiteral("A troca de operador não foi gravada: ") + error, Ravuvozozod::Error);
        return answer;
    }
    HostLog::write(QStringLiteral("troca de operador: %1 -> %2 %3").arg(request.stNMOPERADOR, code, name));
    answer.done = true;
    answer.stNMOPERADOR = name;
    return answer;
}

HostResult CriaConsultaProd(const PriceConsultationRequest &request)
{
    DataPacket params;
    CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &params);
    auto first = [&params](const char *column) {
        const int index = params.fieldIndex(QString::fromLatin1(column));
        return index >= 0 && !params.rows.isEmpty() ? params.rows.first().at(index).toString() : QString();
    };
    PriceFunction::Query query;
    query.cdFilial = first("CDFILIAL");
    query.cdLoja = first("CDLOJA");
    query.cdCliente = request.cdClienteVenda.isEmpty() ? first("CDCLIENTE") : request.cdClienteVenda;
    query.cdProduto = productOfTree(request.cdArvProd);
    const PriceFunction::Quote quote = PriceFunction::quote(query, Clock::now());
    const QString text = quote.ok()
        ? QStringLiteral("Consulta de preço: %1 custa %2").arg(request.cdArvProd, PtBr::FormatCurr(quote.vrPreco - quote.vrDesconto + quote.vrAcrescimo))
        : QStringLiteral("Consulta de preço: %1 sem preço (%2)").arg(request.cdArvProd, quote.refusal);
    HostLog::write(text);
    tell(text);
    return HostResult::done();
}

HostResult RelFiscais()
{
    QString choice;
    if (const auto scripted = scriptedOrNone(ScriptedAnswers::Kind::Reports, QStringLiteral("relatórios fiscais"))) {
        choice = scripted->cancel ? QString() : scripted->value.trimmed().toUpper();
    } else {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Relatórios fiscais"), QStringLiteral("Relatório"),
                        QMessageBox::NoButton, QApplication::activeWindow());
        box.setObjectName(QStringLiteral("frmRelFiscais"));
        QPushButton *reading = box.addButton(QStringLiteral("Leitura X"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("Voltar"), QMessageBox::RejectRole);
        box.exec();
        choice = box.clickedButton() == reading ? QStringLiteral("X") : QString();
    }
    if (choice.isEmpty())
        return HostResult{};
    if (choice != QLatin1String("X")) {
        HostLog::write(QStringLiteral("relatório fiscal desconhecido: ") + choice);
        return HostResult{false, QStringLiteral("relatório desconhecido: ") + choice};
    }
    const QString refusal = FiscalPrinter::forSite().readingX();
    HostLog::write(refusal.isEmpty() ? QStringLiteral("relatório fiscal: leitura X") : QStringLiteral("leitura X recusada: ") + refusal);
    return refusal.isEmpty() ? HostResult::done() : HostResult{false, refusal};
}

HostResult CriaRegVenda()
{
    const QString text = QStringLiteral("Servidor fora do ar: a venda não pode ser registrada agora. "
                                        "Confira a rede e o servidor e tente de novo.");
    HostLog::write(QStringLiteral("registro de venda: servidor fora do ar"));
    tell(text, Ravuvozozod::Error);
    return HostResult::done();
}

ArgentineBuyerAnswer CriaDadosClienteArgentina(const ArgentineBuyerData &data)
{
    ArgentineBuyerAnswer answer;
    answer.data = data;
    QStringList fields{data.stRecebAux5,    data.stNomeNota,   data.stPedidoAux1, data.stNRINSJURCLIE,
                       data.stEnderecoNota, data.stPedidoAux2, QString::number(data.inPedidoAux1)};
    if (const auto scripted = scriptedOrNone(ScriptedAnswers::Kind::BuyerData, QStringLiteral("dados do cliente"))) {
        if (scripted->cancel)
            return answer;
        const QStringList typed = scripted->value.split(QLatin1Char(';'));
        for (int i = 0; i < fields.size() && i < typed.size(); ++i)
            fields[i] = typed.at(i).trimmed();
    } else {
        QDialog dialog(QApplication::activeWindow());
        dialog.setObjectName(QStringLiteral("frmDadosCliente"));
        dialog.setWindowTitle(QStringLiteral("Dados do cliente"));
        auto *layout = new QFormLayout(&dialog);
        const QStringList labels{QStringLiteral("Condição fiscal"), QStringLiteral("Nome"), QStringLiteral("Tipo de documento"),
                                 QStringLiteral("Documento"), QStringLiteral("Endereço"), QStringLiteral("Observação"),
                                 QStringLiteral("Código")};
        QList<QLineEdit *> edits;
        for (int i = 0; i < fields.size(); ++i) {
            edits << new QLineEdit(fields.at(i), &dialog);
            layout->addRow(labels.at(i), edits.last());
        }
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        layout->addRow(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        if (dialog.exec() != QDialog::Accepted)
            return answer;
        for (int i = 0; i < fields.size(); ++i)
            fields[i] = edits.at(i)->text().trimmed();
    }
    answer.confirmed = true;
    answer.data = {fields.at(0), fields.at(1), fields.at(2), fields.at(3), fields.at(4), fields.at(5), fields.at(6).toInt()};
    HostLog::write(QStringLiteral("dados do cliente: ") + fields.mid(0, 6).join(QLatin1Char(';')));
    return answer;
}

HostResult CriaFidelidade(const LoyaltyDialogRequest &request)
{
    if (request.cdConsumidor.isEmpty()) {
        tell(QStringLiteral("Identifique o consumidor antes do cadastro de fidelidade."), Ravuvozozod::Warning);
        return HostResult{};
    }
    bool confirmed = false;
    if (const auto scripted = scriptedOrNone(ScriptedAnswers::Kind::YesNo, QStringLiteral("cadastro de fidelidade"))) {
        confirmed = !scripted->cancel && scripted->value.toUpper().startsWith(QLatin1Char('S'));
    } else {
        confirmed = QMessageBox::question(QApplication::activeWindow(), QStringLiteral("Fidelidade"),
                                          QStringLiteral("Cadastrar %1 no programa de fidelidade?").arg(request.nmConsumidor))
            == QMessageBox::Yes;
    }
    if (!confirmed)
        return HostResult{};
    QFile file(SitePaths::resolve(QStringLiteral("Dados\\Fidelidade.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return HostResult{false, file.errorString()};
    file.write(QStringList{PtBr::DateTimeToStr(Clock::now()), request.cdClienteVenda, request.cdConsumidor,
                           request.nmConsumidor, request.nrInscrConsVenda}
                   .join(QLatin1Char(';')).append(QLatin1Char('\n')).toUtf8());
    HostLog::write(QStringLiteral("fidelidade: %1 %2 cadastrado").arg(request.cdConsumidor, request.nmConsumidor));
    return HostResult::done();
}

BiometricAnswer CriaConfirmaBio(const BiometricRequest &request)
{
    BiometricAnswer answer;
    if (const auto scripted = scriptedOrNone(ScriptedAnswers::Kind::Biometric, QStringLiteral("leitura biométrica"))) {
        answer.done = !scripted->cancel;
        answer.cdConsumidor = scripted->cancel ? QString() : scripted->value.trimmed();
    } else {
        bool ok = false;
        const QString read = QInputDialog::getText(QApplication::activeWindow(), QStringLiteral("Confirmação biométrica"),
                                                   QStringLiteral("Consumidor lido pelo leitor (cliente %1)").arg(request.cdCliente),
                                                   QLineEdit::Normal, QString(), &ok);
        answer.done = ok;
        answer.cdConsumidor = ok ? read.trimmed() : QString();
    }
    HostLog::write(QStringLiteral("leitura biométrica: %1").arg(answer.cdConsumidor.isEmpty() ? QStringLiteral("nenhuma")
                                                                                               : answer.cdConsumidor));
    return answer;
}

HostResult ImprCupons(const CardReceiptLinesRequest &request)
{
    if (request.lines.isEmpty())
        return HostResult::done();
    QStringList text{QStringLiteral("COMPROVANTE DE CARTÃO"), lineFor(request.nmTipoRece, PtBr::FormatCurr(request.vrMoviVend))};
    if (!request.receiptNumber.isEmpty())
        text << QStringLiteral("Comprovante: ") + request.receiptNumber;
    text << request.lines;
    return NonFiscal::printText(request.cdPortImpNf3, QStringLiteral("VendaCons cartão"), text.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

} // namespace CounterServices
