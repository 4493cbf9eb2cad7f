#pragma once
// Encodings of the text files the program reads and writes itself.
#include <QByteArray>
#include <QString>

namespace textcodec {

// True when code page 932 round-trips on this system (half-width katakana and kanji
// included); checked at start-up, since every stored text file depends on it.
bool cp932Available();

// The text with the JIS-style characters that code page 932 spells differently (wave
// dash, double vertical line, minus, cent, pound, not) replaced by their code-page-932
// forms. Encoding applies this first, so those characters are not lost.
QString toCp932Forms(const QString& text);

// Encodes to code page 932 after toCp932Forms; *lossless tells whether every character
// of that form survived (never for U+FFFD, which the code page does not hold).
QByteArray toCp932(const QString& text, bool* lossless = nullptr);
QString fromCp932(const QByteArray& bytes);

// Reads a text file's bytes: UTF-8 when they start with a byte-order mark or are valid
// UTF-8 throughout, otherwise code page 932.
QString decodeTextFile(const QByteArray& bytes);

// Most of a text file that is shown: a larger one shows its beginning.
constexpr qint64 kShownTextBytes = qint64(4) << 20;

struct ShownText {
    QString text;  // decoded as decodeTextFile does; a cut text ends with a line saying so
    QString error; // why nothing could be read, in the user's words
    bool cut = false;
};
// The text of a file for showing. Only a regular file is read (links followed; a FIFO or a
// device would never end), and at most limit bytes of it, cut after the last line end they
// hold so the encoding is told from whole characters.
ShownText readShownText(const QString& path, qint64 limit = kShownTextBytes);

} // namespace textcodec
