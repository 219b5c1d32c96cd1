#pragma once

#include <QString>
#include <QStringList>

// Golden files: a printed or written text compared whole with tests/golden/<name>.txt, so a
// change anywhere in it shows. Run the tests with VENDACONS_UPDATE_GOLDEN=1 to write the files
// from what the code makes now (then read the change in git before committing it).
//
//   expectMatchesGolden(QStringLiteral("nf/sale_receipt"), NonFiscal::receiptText(request));
// (docs/adding.md, "A printed document", says where each golden file lives.)
//
// A mismatch fails the test with a unified diff from the golden file to the actual text.
void expectMatchesGolden(const QString &name, const QString &actual);

// What a real run of the host prints, with the parts that differ from run to run masked: the
// one place that says what varies. Dates and times ("dd/mm/aaaa hh:mm:ss"), the drawn pager
// ("SENHA: #", "Senha: #"), and the lines of an electronic document's access key and QR code
// (each "#"). Everything else is compared as
// printed: a test that can fix a value (the clock, the counters of a fresh site) does so
// instead of masking it.
QString maskedRunParts(const QString &text);

// The golden file of `name`.
QString goldenPath(const QString &name);

// A unified diff of two texts cut in lines, three lines of context around each change;
// empty when they are equal.
QString unifiedDiff(const QStringList &expected, const QStringList &actual,
                    const QString &expectedName, const QString &actualName);
