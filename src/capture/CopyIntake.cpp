#include "capture/CopyIntake.h"

#include "core/TextCodec.h"

QByteArray encodeTextFile(const QString& text) {
    // Exactly what was copied must come back, so a character that code page 932 only
    // holds as a look-alike sends the whole text to UTF-8.
    bool lossless = false;
    QByteArray bytes = textcodec::toCp932(text, &lossless);
    if (lossless && textcodec::fromCp932(bytes) == text)
        return bytes;
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}
