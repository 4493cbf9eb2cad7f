#pragma once
// Bytes and escapes of the settings document, apart from its element logic.
#include <QByteArray>
#include <QString>

namespace yinicodec {

// Values are stored with "&", "<" and ">" as &amp; &lt; &gt;; nothing else is touched.
QString escapeValue(const QString& value);
// Undoes escapeValue; any other "&" text (older files stored values raw) stays as it is.
QString unescapeValue(const QString& stored);

// Decodes a settings file: UTF-8 after a byte-order mark or under a declaration that
// names UTF-8, otherwise code page 932.
QString decodeDocument(const QByteArray& bytes);

// Encodes a document for writing: code page 932 when every character survives it,
// otherwise UTF-8. The declaration is made to name the encoding used (a byte-order mark
// stands in when the document has none); *written receives the text as it will read back.
QByteArray encodeDocument(const QString& document, QString* written);

} // namespace yinicodec
