// The counter's own host services played by the real host between sales, twice in a row: the
// X reading lands on the simulated printer's tape and the operator change writes the till's
// operator file.
#include "hostprogram.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(CounterServices, EachRunPrintsAnXReadingAndChangesTheOperatorAndBack)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    QTemporaryDir work;
    QString output;
    const QString site = work.filePath(QStringLiteral("site"));
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    const QString script = QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/funcoes-balcao.txt");
    for (int round = 1; round <= 2; ++round) {
        output.clear();
        ASSERT_TRUE(runHost({"--site", site, "--script", script}, work.path(), output)) << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("troca de operador: MARIA APARECIDA SOUZA -> 0005 JOÃO PEREIRA")))
            << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("troca de operador: JOÃO PEREIRA -> 0001 MARIA APARECIDA SOUZA")))
            << output.toStdString();
    }
    QFile tape(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal/fita-%1.txt")
                                       .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))));
    ASSERT_TRUE(tape.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(tape.readAll()).count(QStringLiteral("LEITURA X")), 2);
}

} // namespace
