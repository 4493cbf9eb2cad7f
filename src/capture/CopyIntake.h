#pragma once
// Stored text files of the copy intake.
#include <QByteArray>
#include <QString>

// Bytes of a stored text file: code page 932 when the text fits it without loss,
// otherwise UTF-8 with a byte-order mark.
QByteArray encodeTextFile(const QString& text);
