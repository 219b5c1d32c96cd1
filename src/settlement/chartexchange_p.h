#pragma once

#include <QString>

class SaleContext;
class QDialog;

// One credit purchase through the card program's file exchange (Settlement::FuncChartRec):
// the request written into the request folder, its take-up checked, each receipt printed and
// confirmed, the answer awaited. The wait is bounded by the site's time-out and can be given
// up by the operator; while it lasts a window with "Cancelar" holds the screen's other
// actions off. Every file that passes is archived under the month's folder.
class ChartExchange
{
public:
    explicit ChartExchange(SaleContext &context);
    ~ChartExchange();

    QString run(const QString &amount);
    static void cleanDirectoryChart();
    // The longest wait for the card program's answer, in seconds: "TEMPOLIMITE=<s>" of the
    // site file Dados\TefChart.txt, else 180.
    static int answerTimeLimit();

private:
    bool amountText(const QString &amount, QString *text);
    bool prepareArchive();
    bool sendRequest(const QStringList &lines);
    bool takenUp();
    QString awaitAnswer();
    void printReceipt();
    QString answerOf();
    void archive(const QString &file);
    void message(const QString &text);
    void openWaitWindow();

    SaleContext &m_context;
    QString m_archive;
    QDialog *m_window = nullptr;
    bool m_cancelled = false;
};
