#include "settings/yIniCodec.h"

#include "core/TextCodec.h"

namespace yinicodec {

namespace {

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

struct Span {
    qsizetype pos = -1;
    qsizetype len = 0;
};

// The encoding attribute is only looked for in the leading run of printable ASCII: both
// encodings spell that run with the same bytes, so reader and writer agree on it.
qsizetype asciiHeadLength(QStringView text) {
    qsizetype n = 0;
    while (n < text.size() && text[n].unicode() >= 0x20 && text[n].unicode() <= 0x7E)
        ++n;
    return n;
}

Span encodingValue(QStringView text) {
    const QStringView head = text.left(asciiHeadLength(text));
    if (!head.startsWith(u"<?xml"))
        return {};
    qsizetype i = head.indexOf(u"encoding", 5);
    if (i < 0)
        return {};
    i += 8;
    while (i < head.size() && head[i] == u' ')
        ++i;
    if (i >= head.size() || head[i] != u'=')
        return {};
    ++i;
    while (i < head.size() && head[i] == u' ')
        ++i;
    if (i >= head.size() || (head[i] != u'\'' && head[i] != u'"'))
        return {};
    const QChar quote = head[i++];
    const qsizetype end = head.indexOf(quote, i);
    if (end < 0)
        return {};
    return {i, end - i};
}

bool namesUtf8(QStringView text, Span span) {
    if (span.pos < 0)
        return false;
    const QStringView name = text.mid(span.pos, span.len);
    return name.compare(u"utf-8", Qt::CaseInsensitive) == 0 ||
           name.compare(u"utf8", Qt::CaseInsensitive) == 0;
}

} // namespace

QString escapeValue(const QString& value) {
    if (!value.contains(u'&') && !value.contains(u'<') && !value.contains(u'>'))
        return value;
    QString out;
    out.reserve(value.size() + 16);
    for (const QChar c : value) {
        if (c == u'&')
            out += u"&amp;";
        else if (c == u'<')
            out += u"&lt;";
        else if (c == u'>')
            out += u"&gt;";
        else
            out += c;
    }
    return out;
}

QString unescapeValue(const QString& stored) {
    if (!stored.contains(u'&'))
        return stored;
    QString out;
    out.reserve(stored.size());
    const QStringView s(stored);
    for (qsizetype i = 0; i < s.size();) {
        if (s[i] == u'&') {
            const QStringView rest = s.mid(i);
            if (rest.startsWith(u"&amp;")) {
                out += u'&';
                i += 5;
                continue;
            }
            if (rest.startsWith(u"&lt;")) {
                out += u'<';
                i += 4;
                continue;
            }
            if (rest.startsWith(u"&gt;")) {
                out += u'>';
                i += 4;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

QString decodeDocument(const QByteArray& bytes) {
    if (bytes.startsWith(kBom))
        return QString::fromUtf8(bytes.mid(kBom.size()));
    qsizetype n = 0;
    while (n < bytes.size() && uchar(bytes[n]) >= 0x20 && uchar(bytes[n]) <= 0x7E)
        ++n;
    const QString head = QString::fromLatin1(bytes.left(n));
    if (namesUtf8(head, encodingValue(head)))
        return QString::fromUtf8(bytes);
    return textcodec::fromCp932(bytes);
}

QByteArray encodeDocument(const QString& document, QString* written) {
    QString text = textcodec::toCp932Forms(document);
    Span span = encodingValue(text);
    if (namesUtf8(text, span))
        text.replace(span.pos, span.len, QStringLiteral("Shift-JIS"));
    bool lossless = false;
    const QByteArray cp932 = textcodec::toCp932(text, &lossless);
    if (lossless) {
        if (written)
            *written = text;
        return cp932;
    }

    text = document;
    span = encodingValue(text);
    QByteArray out;
    if (span.pos >= 0)
        text.replace(span.pos, span.len, QStringLiteral("UTF-8"));
    else
        out = kBom;
    out += text.toUtf8();
    if (written)
        *written = text;
    return out;
}

} // namespace yinicodec
