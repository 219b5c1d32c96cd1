#pragma once

#include <outside/pkg_hrk00002.h>

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <runtime/clientdataset.h>

class QLabel;
class QLineEdit;
class QTableWidget;

// The host's dialogs. Each routine first takes a scripted answer (ScriptedAnswers) when one is
// queued; unattended, without one, it cancels and logs; otherwise it asks the person.
namespace Dialogs {

KeypadAnswer TecladoNumerico(const KeypadRequest &request);
bool Pesquisa(const SearchRequest &request, ClientDataSet &dataset);

// The numeric keypad: big digit buttons, a decimal comma, correct, clear, OK and cancel.
// Objects: "frmTecladoNumerico", "edtValor", "lblMensagem", "btn0".."btn9", "btnVirgula",
// "btnCorrige", "btnLimpa", "btnOK", "btnCancela".
class KeypadDialog : public QDialog
{
    Q_OBJECT
public:
    explicit KeypadDialog(const KeypadRequest &request, QWidget *parent = nullptr);
    QString value() const;
    // Adds a key as the buttons do ("0".."9", ","), within the maximum length.
    void press(const QString &key);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void confirm();
    QLineEdit *m_value = nullptr;
    QLabel *m_message = nullptr;
    QString m_emptyMessage;
    int m_maxLength = 10;
};

// The rows of a dataset as the search shows them: one text per visible field, and the
// bookmark that makes a row current again.
struct SearchRows
{
    QStringList headers;
    QList<QStringList> texts;
    QList<Bookmark> bookmarks;

    // Rows with `filter` in any of their texts, without regard to case (all when empty).
    QList<int> matching(const QString &filter) const;
    // The first row with a text equal to `value` (without regard to case), else the first
    // that contains it; -1 when none.
    int choose(const QString &value) const;
};
SearchRows searchRows(ClientDataSet &dataset);

// The search: a filter box over a grid of the dataset's rows. Objects: "frmPesquisa",
// "edtFiltro", "grdPesquisa", "btnOK", "btnCancela".
class SearchDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SearchDialog(const SearchRows &rows, QWidget *parent = nullptr);
    int chosenRow() const; // index into the rows, -1 when none

private:
    void refill(const QString &filter);
    const SearchRows &m_rows;
    QTableWidget *m_grid = nullptr;
};

} // namespace Dialogs
