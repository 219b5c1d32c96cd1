#include "criptografa.h"

#include <QByteArray>
#include <QStringDecoder>

namespace {

class KeyStream
{
public:
    explicit KeyStream(int key)
        : m_key(quint32(key)), m_state(quint32(key) * 2654435761u ^ 0x5A17C3E1u)
    {
    }

    quint8 mask()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return quint8(m_state >> 24);
    }

    quint8 offset(int index) const { return quint8(7u * quint32(index) + m_key); }

private:
    quint32 m_key;
    quint32 m_state;
};

bool isHexText(const QString &text)
{
    if (text.size() % 2 != 0)
        return false;
    for (const QChar c : text) {
        if (!QStringLiteral("0123456789abcdefABCDEF").contains(c))
            return false;
    }
    return true;
}

} // namespace

namespace Criptografa {

QString Cripto(const QString &text, int key)
{
    const QByteArray plain = text.toUtf8();
    QByteArray cipher(plain.size(), '\0');
    KeyStream stream(key);
    for (int i = 0; i < plain.size(); ++i)
        cipher[i] = char(quint8((quint8(plain.at(i)) ^ stream.mask()) + stream.offset(i)));
    return QString::fromLatin1(cipher.toHex().toUpper());
}

QString Uncripto(const QString &text, int key, bool *ok)
{
    if (ok)
        *ok = false;
    if (!isHexText(text))
        return QString();
    const QByteArray cipher = QByteArray::fromHex(text.toLatin1());
    QByteArray plain(cipher.size(), '\0');
    KeyStream stream(key);
    for (int i = 0; i < cipher.size(); ++i)
        plain[i] = char(quint8(quint8(cipher.at(i)) - stream.offset(i)) ^ stream.mask());
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString result = decoder.decode(plain);
    if (decoder.hasError())
        return QString();
    if (ok)
        *ok = true;
    return result;
}

} // namespace Criptografa
