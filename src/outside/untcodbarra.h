#pragma once

#include <QImage>
#include <QString>

// The bar code of an electronic receipt's access key, drawn as an image for the receipt print.
namespace Untcodbarra {

// Interleaved 2 of 5 of the key's digits (a zero leads an odd count); a null image when the key
// has no digit.
QImage barCodeImage(const QString &accessKey);
// Draws the access key into `folder` as "<digits>.png" (the folder is made when missing). The
// answer is the file written, empty when it could not be.
QString CriaCodBarra(const QString &accessKey, const QString &folder);

} // namespace Untcodbarra
