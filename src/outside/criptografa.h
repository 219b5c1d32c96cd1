#pragma once

#include <vendacons_export.h>

#include <QString>

// The cipher of values that local files store enciphered (the SAT activation code, the
// checksum of the fiscal file list). It keeps a value from being read or edited at a glance in
// a file; it is not protection against someone who has this program.
//
// Scheme: the text's UTF-8 bytes; byte i becomes ((b XOR k_i) + (7 * i + key)) mod 256, where
// k_i is the high byte of a linear congruential sequence seeded by the key
// (s0 = key * 2654435761 XOR 0x5A17C3E1, s_{i+1} = s_i * 1664525 + 1013904223, k_i = s_{i+1} >> 24);
// written as upper-case hexadecimal, two digits a byte. The same key deciphers it.
namespace Criptografa VENDACONS_EXPORT {

QString Cripto(const QString &text, int key);

// The text enciphered by Cripto with the same key. Text that is not such a value (odd length,
// a character that is not a hexadecimal digit, or bytes that are not UTF-8 under this key)
// gives an empty text and `ok` false; an empty text gives an empty text and `ok` true.
QString Uncripto(const QString &text, int key, bool *ok = nullptr);

} // namespace Criptografa
