#include "golden.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <vector>

namespace {

enum class Op { Same, Removed, Added };

struct Edit
{
    Op op;
    int expectedLine; // index in expected (Same, Removed)
    int actualLine;   // index in actual (Same, Added)
};

// The shortest edit from expected to actual through their longest common subsequence.
std::vector<Edit> edits(const QStringList &a, const QStringList &b)
{
    const int n = int(a.size());
    const int m = int(b.size());
    std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1, 0));
    for (int i = n - 1; i >= 0; --i) {
        for (int j = m - 1; j >= 0; --j)
            common[i][j] = a.at(i) == b.at(j) ? common[i + 1][j + 1] + 1
                                               : std::max(common[i + 1][j], common[i][j + 1]);
    }
    std::vector<Edit> script;
    int i = 0;
    int j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a.at(i) == b.at(j))
            script.push_back({Op::Same, i++, j++});
        else if (i < n && (j == m || common[i + 1][j] >= common[i][j + 1]))
            script.push_back({Op::Removed, i++, j});
        else
            script.push_back({Op::Added, i, j++});
    }
    return script;
}

QString range(int start, int count)
{
    // A hunk that takes no line of one side is placed after the line before it.
    const int first = count == 0 ? start : start + 1;
    return count == 1 ? QString::number(first) : QStringLiteral("%1,%2").arg(first).arg(count);
}

QString hunk(const std::vector<Edit> &script, size_t from, size_t to, const QStringList &a, const QStringList &b)
{
    QString body;
    int removed = 0;
    int added = 0;
    for (size_t k = from; k < to; ++k) {
        const Edit &e = script[k];
        if (e.op == Op::Same)
            body += QLatin1Char(' ') + a.at(e.expectedLine) + QLatin1Char('\n');
        else if (e.op == Op::Removed)
            body += QLatin1Char('-') + a.at(e.expectedLine) + QLatin1Char('\n');
        else
            body += QLatin1Char('+') + b.at(e.actualLine) + QLatin1Char('\n');
        removed += e.op != Op::Added;
        added += e.op != Op::Removed;
    }
    return QStringLiteral("@@ -%1 +%2 @@\n")
               .arg(range(script[from].expectedLine, removed), range(script[from].actualLine, added))
        + body;
}

QStringList linesOf(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString read(const QString &path, bool *found)
{
    QFile file(path);
    *found = file.open(QIODevice::ReadOnly);
    return *found ? QString::fromUtf8(file.readAll()) : QString();
}

bool write(const QString &path, const QString &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

} // namespace

QString unifiedDiff(const QStringList &expected, const QStringList &actual, const QString &expectedName,
                    const QString &actualName)
{
    constexpr size_t context = 3;
    const std::vector<Edit> script = edits(expected, actual);
    QString diff;
    size_t k = 0;
    while (k < script.size()) {
        while (k < script.size() && script[k].op == Op::Same)
            ++k;
        if (k == script.size())
            break;
        const size_t from = k >= context ? k - context : 0;
        // The hunk runs on while the next change is within two contexts of the last one.
        size_t end = k;
        size_t sameRun = 0;
        for (size_t t = k; t < script.size() && sameRun <= 2 * context; ++t) {
            sameRun = script[t].op == Op::Same ? sameRun + 1 : 0;
            if (script[t].op != Op::Same)
                end = t + 1;
        }
        const size_t to = std::min(script.size(), end + context);
        diff += hunk(script, from, to, expected, actual);
        k = to;
    }
    if (diff.isEmpty())
        return diff;
    return QStringLiteral("--- %1\n+++ %2\n").arg(expectedName, actualName) + diff;
}

QString maskedRunParts(const QString &text)
{
    static const QRegularExpression dateTime(QStringLiteral("\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d"));
    static const QRegularExpression pager(QStringLiteral("^(SENHA|Senha): \\S+$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression keyLine(QStringLiteral("^[0-9]{4}( [0-9]{1,4})*$"));
    QStringList lines = text.split(QLatin1Char('\n'));
    bool inQrCode = false;
    for (QString &line : lines) {
        line.replace(dateTime, QStringLiteral("dd/mm/aaaa hh:mm:ss"));
        const QRegularExpressionMatch drawn = pager.match(line);
        if (drawn.hasMatch())
            line = drawn.captured(1) + QStringLiteral(": #");
        // The QR code's text runs from its heading to the sale's number.
        if (line.startsWith(QLatin1String("Venda: ")))
            inQrCode = false;
        if (inQrCode || keyLine.match(line).hasMatch())
            line = QStringLiteral("#");
        if (line == QLatin1String("QR Code:"))
            inQrCode = true;
    }
    return lines.join(QLatin1Char('\n'));
}

QString goldenPath(const QString &name)
{
    return QDir(QStringLiteral(VENDACONS_GOLDEN_DIR)).filePath(name + QStringLiteral(".txt"));
}

void expectMatchesGolden(const QString &name, const QString &actual)
{
    const QString path = goldenPath(name);
    if (qEnvironmentVariable("VENDACONS_UPDATE_GOLDEN") == QLatin1String("1")) {
        EXPECT_TRUE(write(path, actual)) << "cannot write " << path.toStdString();
        return;
    }
    bool found = false;
    const QString expected = read(path, &found);
    if (!found) {
        ADD_FAILURE() << "no golden file " << path.toStdString()
                      << " (run with VENDACONS_UPDATE_GOLDEN=1 to write it)";
        return;
    }
    if (expected == actual)
        return;
    QString diff = unifiedDiff(linesOf(expected), linesOf(actual), path, QStringLiteral("actual"));
    if (diff.isEmpty())
        diff = QStringLiteral("(the texts differ only in their final line break)\n");
    ADD_FAILURE() << "the text differs from " << name.toStdString() << ":\n" << diff.toStdString();
}
