#pragma once
// Encodings of the text files the program reads and writes itself.
#include <QByteArray>
#include <QString>

namespace textcodec {

// True when code page 932 can be encoded and decoded on this system.
bool cp932Available();

// Encodes to code page 932; *lossless tells whether every character survived.
QByteArray toCp932(const QString& text, bool* lossless = nullptr);
QString fromCp932(const QByteArray& bytes);

// Reads a stored text file's bytes: UTF-8 when they start with a byte-order mark,
// otherwise code page 932.
QString decodeTextFile(const QByteArray& bytes);

} // namespace textcodec
