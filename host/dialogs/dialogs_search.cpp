#include "dialogs.h"

#include <host/program/hostlog.h>
#include <host/program/scriptedanswers.h>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace Dialogs {

QList<int> SearchRows::matching(const QString &filter) const
{
    QList<int> rows;
    const QString wanted = filter.trimmed();
    for (int row = 0; row < texts.size(); ++row) {
        if (wanted.isEmpty()
            || std::any_of(texts[row].cbegin(), texts[row].cend(),
                           [&](const QString &text) { return text.contains(wanted, Qt::CaseInsensitive); }))
            rows.append(row);
    }
    return rows;
}

int SearchRows::choose(const QString &value) const
{
    const QString wanted = value.trimmed();
    if (wanted.isEmpty())
        return -1;
    for (int row = 0; row < texts.size(); ++row) {
        for (const QString &text : texts[row]) {
            if (text.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
                return row;
        }
    }
    const QList<int> partial = matching(wanted);
    return partial.isEmpty() ? -1 : partial.first();
}

SearchRows searchRows(ClientDataSet &dataset)
{
    SearchRows rows;
    if (!dataset.Active())
        return rows;
    QList<int> shown;
    for (int i = 0; i < dataset.FieldCount(); ++i) {
        const Field field = dataset.Fields(i);
        if (field.Visible()) {
            shown.append(i);
            rows.headers.append(field.DisplayLabel().isEmpty() ? field.FieldName() : field.DisplayLabel());
        }
    }
    const Bookmark start = dataset.GetBookmark();
    for (dataset.First(); !dataset.Eof(); dataset.Next()) {
        QStringList texts;
        for (int i : shown)
            texts.append(dataset.Fields(i).DisplayText());
        rows.texts.append(texts);
        rows.bookmarks.append(dataset.GetBookmark());
    }
    if (!start.isNull())
        dataset.GotoBookmark(start);
    return rows;
}

SearchDialog::SearchDialog(const SearchRows &rows, QWidget *parent)
    : QDialog(parent), m_rows(rows)
{
    setObjectName(QStringLiteral("frmPesquisa"));
    setWindowTitle(QStringLiteral("Pesquisa"));
    resize(640, 480);
    auto *layout = new QVBoxLayout(this);
    auto *filter = new QLineEdit(this);
    filter->setObjectName(QStringLiteral("edtFiltro"));
    filter->setPlaceholderText(QStringLiteral("Digite para filtrar"));
    layout->addWidget(filter);
    m_grid = new QTableWidget(this);
    m_grid->setObjectName(QStringLiteral("grdPesquisa"));
    m_grid->setColumnCount(int(rows.headers.size()));
    m_grid->setHorizontalHeaderLabels(rows.headers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_grid);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancela"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancela"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
    connect(filter, &QLineEdit::textChanged, this, &SearchDialog::refill);
    connect(filter, &QLineEdit::returnPressed, this, &QDialog::accept);
    refill(QString());
}

void SearchDialog::refill(const QString &filter)
{
    const QList<int> rows = m_rows.matching(filter);
    m_grid->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList &texts = m_rows.texts[rows[r]];
        for (int c = 0; c < texts.size(); ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            item->setData(Qt::UserRole, rows[r]);
            m_grid->setItem(r, c, item);
        }
    }
    if (!rows.isEmpty())
        m_grid->selectRow(0);
}

int SearchDialog::chosenRow() const
{
    const int current = m_grid->currentRow();
    if (current < 0 || m_grid->columnCount() == 0 || !m_grid->item(current, 0))
        return -1;
    return m_grid->item(current, 0)->data(Qt::UserRole).toInt();
}

bool Pesquisa(const SearchRequest &, ClientDataSet &dataset)
{
    const SearchRows rows = searchRows(dataset);
    int chosen = -1;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Search)) {
        chosen = scripted->cancel ? -1 : rows.choose(scripted->value);
        HostLog::write(QStringLiteral("pesquisa em %1: \"%2\" -> %3")
                           .arg(dataset.Name(), scripted->value,
                                chosen < 0 ? QStringLiteral("nenhuma linha") : rows.texts[chosen].join(QStringLiteral(" | "))));
    } else if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("pesquisa em %1 sem resposta no roteiro: cancelada").arg(dataset.Name()));
    } else {
        SearchDialog dialog(rows);
        if (dialog.exec() == QDialog::Accepted)
            chosen = dialog.chosenRow();
    }
    if (chosen < 0)
        return false;
    return dataset.GotoBookmark(rows.bookmarks[chosen]);
}

} // namespace Dialogs
