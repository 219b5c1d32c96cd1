#include "ordercancel.h"

#include <host/devices/fiscalprinter.h>
#include <host/program/hostlog.h>
#include <host/program/scriptedanswers.h>

#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace OrderCancel {

namespace {

const QString counterMode = QStringLiteral("B");

QString text(const ClientDataSet &dataset, const char *field)
{
    const Field f = dataset.FindField(QString::fromLatin1(field));
    return f.IsValid() ? f.AsString() : QString();
}

double number(const ClientDataSet &dataset, const char *field)
{
    const Field f = dataset.FindField(QString::fromLatin1(field));
    return f.IsValid() ? f.AsFloat() : 0.0;
}

// Line numbers are three digits: "2" names line "002".
QString lineNumber(const QString &typed)
{
    bool ok = false;
    const int value = typed.trimmed().toInt(&ok);
    return ok && value > 0 ? QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0')) : typed.trimmed();
}

// The items of a counter sale whose receipt is open on the printer were sold there one by one,
// in the order of their line numbers.
bool soldOnPrinter(const OrderCancelRequest &request, const FiscalPrinter *printer)
{
    return printer && request.modoVenda == counterMode && printer->receiptOpen();
}

void recordCancelled(const ClientDataSet &items, ClientDataSet &cancelled, const QString &reason)
{
    cancelled.Append();
    for (int i = 0; i < cancelled.FieldCount(); ++i) {
        Field target = cancelled.Fields(i);
        const Field source = items.FindField(target.FieldName());
        if (source.IsValid() && !source.IsNull() && !target.SetValue(source.Value()))
            target.SetAsString(source.AsString());
    }
    cancelled.FieldByName(QStringLiteral("DSOBSCANITE")).SetAsString(reason);
    cancelled.FieldByName(QStringLiteral("CDSUPERVISOR")).SetAsString(text(items, "CDOPERADOR"));
    cancelled.Post();
}

// What the line took from its balance family comes back, as the sale counted it.
void giveBackFamily(const ClientDataSet &items, ClientDataSet &families)
{
    const QString family = text(items, "CDFAMILISALD");
    if (family.trimmed().isEmpty() || !families.Active()
        || !families.Locate(QStringLiteral("CDFAMILISALD"), family))
        return;
    const double quantity = PtBr::StrToFloat(text(items, "QTPRODCOMVEN"));
    const double value = Money::Trunc2(Money::Trunc2(number(items, "VRPRECCOMVEN")) * quantity)
                         - Money::Trunc2(number(items, "VRDESCCOMVEN")) + Money::Trunc2(number(items, "VRACRCOMVEN"));
    const double left = number(families, "VRSALDCONFAM") - value;
    families.Edit();
    families.FieldByName(QStringLiteral("VRSALDCONFAM")).SetAsFloat(left);
    families.Post();
    if (Money::RoundDec(left, 2) <= 0.0)
        families.Delete();
}

QWidget *activeParent()
{
    return QApplication::activeWindow();
}

// The interactive form: the sale's lines (several may be chosen) and the reason.
std::optional<Choice> askChoice(ClientDataSet &items)
{
    QDialog dialog(activeParent());
    dialog.setObjectName(QStringLiteral("frmCancelaPedido"));
    dialog.setWindowTitle(QStringLiteral("Cancelamento de itens"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstItens"));
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    for (items.First(); !items.Eof(); items.Next()) {
        auto *row = new QListWidgetItem(QStringLiteral("%1  %2  %3 x %4")
                                            .arg(text(items, "NRSEQ"), text(items, "NMPRODUTO"),
                                                 text(items, "QTPRODCOMVEN"),
                                                 PtBr::FormatFloat(QStringLiteral("0.00"), number(items, "VRPRECCOMVEN"))),
                                        list);
        row->setData(Qt::UserRole, text(items, "NRSEQ"));
    }
    auto *reason = new QLineEdit(defaultReason(), &dialog);
    reason->setObjectName(QStringLiteral("edtMotivo"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(new QLabel(QStringLiteral("Itens a cancelar"), &dialog));
    layout->addWidget(list);
    layout->addWidget(new QLabel(QStringLiteral("Motivo"), &dialog));
    layout->addWidget(reason);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted || list->selectedItems().isEmpty())
        return std::nullopt;
    Choice choice{{}, reason->text().trimmed().isEmpty() ? defaultReason() : reason->text().trimmed()};
    for (const QListWidgetItem *row : list->selectedItems())
        choice.lines.append(row->data(Qt::UserRole).toString());
    return choice;
}

} // namespace

QString defaultReason()
{
    return QStringLiteral("Cancelado pelo operador");
}

std::optional<Choice> choiceOf(const QString &scripted)
{
    const QString trimmed = scripted.trimmed();
    const QString numbers = trimmed.section(QLatin1Char(' '), 0, 0);
    Choice choice{{}, trimmed.section(QLatin1Char(' '), 1).trimmed()};
    for (const QString &line : numbers.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        choice.lines.append(lineNumber(line));
    if (choice.lines.isEmpty())
        return std::nullopt;
    if (choice.reason.isEmpty())
        choice.reason = defaultReason();
    return choice;
}

OrderCancelAnswer cancelLines(const Choice &choice, const OrderCancelRequest &request, OrderCancelDatasets &datasets,
                              FiscalPrinter *printer)
{
    ClientDataSet &items = datasets.cdsItems;
    ClientDataSet &cancelled = datasets.cdsItensCancelados;
    if (!cancelled.Active())
        cancelled.CreateDataSet();
    const int before = cancelled.RecordCount();
    double surcharge = 0;
    for (const QString &line : choice.lines) {
        if (!items.Active() || !items.Locate(QStringLiteral("NRSEQ"), line)) {
            HostLog::write(QStringLiteral("cancelamento de item: a linha %1 não está na venda").arg(line));
            continue;
        }
        // The printer has told the operator why; the line stays, as it stays on the receipt.
        if (soldOnPrinter(request, printer) && !printer->cancelItem(line.toInt()).isEmpty()) {
            HostLog::write(QStringLiteral("cancelamento de item: a impressora recusou a linha %1, que fica na venda").arg(line));
            continue;
        }
        recordCancelled(items, cancelled, choice.reason);
        giveBackFamily(items, datasets.cdsFamiliaSaldo);
        surcharge += number(items, "VRACRCOMANDA");
        HostLog::write(QStringLiteral("cancelamento de item: linha %1 (%2) cancelada: %3")
                           .arg(line, text(items, "CDPRODUTO"), choice.reason));
        items.Delete();
    }
    if (cancelled.RecordCount() > before)
        cancelled.SetRecNo(before + 1);
    return OrderCancelAnswer{Money::RoundDec(surcharge, 2)};
}

OrderCancelAnswer CancelaPedido(const OrderCancelRequest &request, OrderCancelDatasets &datasets, FiscalPrinter *printer)
{
    std::optional<Choice> choice;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::CancelItem)) {
        HostLog::write(QStringLiteral("cancelamento de item: %1").arg(scripted->cancel ? QStringLiteral("deixado") : scripted->value));
        if (!scripted->cancel)
            choice = choiceOf(scripted->value);
    } else if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("cancelamento de item sem resposta no roteiro: nada cancelado"));
    } else {
        choice = askChoice(datasets.cdsItems);
    }
    if (!choice)
        return {};
    return cancelLines(*choice, request, datasets, printer);
}

} // namespace OrderCancel
