#include "core/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace textcodec {

namespace {

constexpr const char* kCp932 = "windows-31j";

// ICU's windows-31j table follows JIS for these; Windows maps them to the full-width forms.
struct Remap {
    char16_t from;
    char16_t to;
};
constexpr Remap kRemaps[] = {
    {u'\u301C', u'\uFF5E'}, // wave dash -> full-width tilde
    {u'\u2016', u'\u2225'}, // double vertical line -> parallel to
    {u'\u2212', u'\uFF0D'}, // minus sign -> full-width hyphen-minus
    {u'\u00A2', u'\uFFE0'}, // cent sign
    {u'\u00A3', u'\uFFE1'}, // pound sign
    {u'\u00AC', u'\uFFE2'}, // not sign
};

} // namespace

bool cp932Available() {
    QStringEncoder enc(kCp932, QStringConverter::Flag::Stateless);
    if (!enc.isValid())
        return false;
    // "ｱ" is one byte, "漢" two: both kinds of sequence must come back.
    const QString probe = QStringLiteral("\uFF71\u6F22");
    const QByteArray bytes = enc.encode(probe);
    QStringDecoder dec(kCp932);
    return !enc.hasError() && bytes == QByteArray("\xB1\x8A\xBF") && dec.decode(bytes) == probe &&
           !dec.hasError();
}

QString toCp932Forms(const QString& text) {
    QString out = text;
    for (const Remap& r : kRemaps)
        out.replace(QChar(r.from), QChar(r.to));
    return out;
}

QByteArray toCp932(const QString& text, bool* lossless) {
    const QString forms = toCp932Forms(text);
    QStringEncoder enc(kCp932, QStringConverter::Flag::Stateless);
    QByteArray out = enc.encode(forms);
    if (lossless) {
        QStringDecoder dec(kCp932);
        const QString back = dec.decode(out);
        // The converter writes U+FFFD as a code (FC FC) that reads back as U+FFFD, so the
        // round trip cannot tell it from a character that was lost.
        *lossless = enc.isValid() && !enc.hasError() && !dec.hasError() && back == forms &&
                    !forms.contains(QChar::ReplacementCharacter);
    }
    return out;
}

QString fromCp932(const QByteArray& bytes) {
    QStringDecoder dec(kCp932);
    return dec.decode(bytes);
}

QString decodeTextFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    // Text from elsewhere often is UTF-8 without a mark; code page 932 beyond ASCII is hardly
    // ever valid UTF-8, and ASCII reads the same either way.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromCp932(bytes);
}

ShownText readShownText(const QString& path, qint64 limit) {
    ShownText out;
    const QFileInfo info(path);
    if (!info.isFile()) {
        out.error = QStringLiteral("ﾌｧｲﾙではないため表示できません: ") + path;
        return out;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("開けません: %1\n%2").arg(path, f.errorString());
        return out;
    }
    QByteArray bytes = f.read(limit);
    out.cut = !f.atEnd();
    if (out.cut) {
        // Whole lines, else whole UTF-8 characters: a character cut in two would make the
        // text look like code page 932.
        const qsizetype lineEnd = bytes.lastIndexOf('\n');
        qsizetype keep = lineEnd + 1;
        if (lineEnd < 0) {
            keep = bytes.size();
            while (keep > 0 && (uchar(bytes[keep - 1]) & 0xC0) == 0x80)
                --keep;
            if (keep > 0 && uchar(bytes[keep - 1]) >= 0xC0)
                --keep;
        }
        bytes.truncate(keep);
    }
    out.text = decodeTextFile(bytes);
    if (out.cut) {
        if (!out.text.isEmpty() && !out.text.endsWith(u'\n'))
            out.text += u'\n';
        out.text += QStringLiteral("… (先頭の %1 MB だけを表示しています)").arg(limit >> 20);
    }
    return out;
}

} // namespace textcodec
