#include "untcodbarra.h"

#include <QDir>
#include <QPainter>

namespace Untcodbarra {

namespace {

constexpr int narrow = 2;
constexpr int wide = 5;
constexpr int height = 60;

// Widths of the five elements of a digit: 1 wide, 0 narrow.
const char *const patterns[10] = {"00110", "10001", "01001", "11000", "00101",
                                  "10100", "01100", "00011", "10010", "01010"};

QString digitsOf(const QString &key)
{
    QString digits;
    for (const QChar c : key) {
        if (c.isDigit())
            digits += c;
    }
    if (digits.size() % 2 != 0)
        digits.prepend(QLatin1Char('0'));
    return digits;
}

// The element widths, bar first: start, each digit pair interleaved, stop.
QList<int> elements(const QString &digits)
{
    QList<int> widths{narrow, narrow, narrow, narrow};
    for (int i = 0; i + 1 < digits.size(); i += 2) {
        const char *bars = patterns[digits.at(i).digitValue()];
        const char *spaces = patterns[digits.at(i + 1).digitValue()];
        for (int k = 0; k < 5; ++k)
            widths << (bars[k] == '1' ? wide : narrow) << (spaces[k] == '1' ? wide : narrow);
    }
    widths << wide << narrow << narrow;
    return widths;
}

} // namespace

QImage barCodeImage(const QString &accessKey)
{
    const QString digits = digitsOf(accessKey);
    if (digits.isEmpty())
        return {};
    const QList<int> widths = elements(digits);
    int total = 20;
    for (int w : widths)
        total += w;
    QImage image(total, height, QImage::Format_Mono);
    image.fill(1);
    QPainter painter(&image);
    int x = 10;
    for (int i = 0; i < widths.size(); ++i) {
        if (i % 2 == 0)
            painter.fillRect(x, 5, widths[i], height - 10, Qt::black);
        x += widths[i];
    }
    return image;
}

QString CriaCodBarra(const QString &accessKey, const QString &folder)
{
    const QImage image = barCodeImage(accessKey);
    if (image.isNull() || !QDir().mkpath(folder))
        return {};
    const QString file = QDir(folder).filePath(digitsOf(accessKey) + QStringLiteral(".png"));
    return image.save(file, "PNG") ? file : QString();
}

} // namespace Untcodbarra
