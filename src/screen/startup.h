#pragma once

#include <sale/tillfiles.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QString>

#include <stdexcept>

class ClientDataSet;

// Why start-up could not prepare the sale screen. The text is for the operator and names the
// file or the server function that failed; VendaCons shows it and answers "ERRO_SISTEMA".
class EStartup : public std::runtime_error
{
public:
    explicit EStartup(const QString &text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

// What start-up shares with whoever writes the local files it reads.
namespace SaleStartup {

// The key of the values the local files store enciphered.
inline constexpr int CipherKey = TillFiles::CipherKey;

} // namespace SaleStartup

// Reading what start-up asks of files and of the server (startup_files.cpp).
namespace StartupIo {

// Loads a client-dataset file; a file that cannot be read raises EStartup naming it.
void loadFile(ClientDataSet &dataset, const QString &path);
// The answer of a server function: a failure, or a value of the wrong kind, raises EStartup
// naming the function. A blank answer reads as an empty packet, False or an empty text.
DataPacket packetOf(const Variant &result, const QString &function);
bool booleanOf(const Variant &result, const QString &function);
QString textOf(const Variant &result, const QString &function);
// Deletes the *.txt files in `folder` and its subfolders whose last change is on an earlier
// day than yesterday or on yesterday (the age counts by date, not by hours); answers how many
// went.
int purgeOldTexts(const QString &folder, const QDate &today);

} // namespace StartupIo
