#include "app/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace textcodec {

namespace {
constexpr const char* kCp932 = "windows-31j";
}

bool cp932Available() {
    QStringEncoder enc(kCp932);
    return enc.isValid();
}

QByteArray toCp932(const QString& text, bool* lossless) {
    QStringEncoder enc(kCp932, QStringConverter::Flag::Stateless);
    QByteArray out = enc.encode(text);
    if (lossless) {
        QStringDecoder dec(kCp932);
        const QString back = dec.decode(out);
        *lossless = enc.isValid() && !enc.hasError() && back == text;
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
    return fromCp932(bytes);
}

} // namespace textcodec
