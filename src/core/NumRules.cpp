#include "core/NumRules.h"

#include <cmath>
#include <limits>

namespace numrules {

namespace {

bool isAsciiDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Writes a finite value rounded to `digits` significant digits in plain notation. The
// scientific form does the correctly rounded cut; its exponent is then spelled out.
QString plainDecimal(double value, int digits) {
    if (!std::isfinite(value) || value == 0.0)
        return QStringLiteral("0");
    const QString sci = QString::number(value, 'e', digits - 1);
    const qsizetype ePos = sci.indexOf(u'e');
    if (ePos < 0)
        return sci;
    const int exp = sci.mid(ePos + 1).toInt();
    QString mant = sci.left(ePos);
    const bool negative = mant.startsWith(u'-');
    if (negative)
        mant.remove(0, 1);
    mant.remove(u'.');
    while (mant.size() > 1 && mant.endsWith(u'0'))
        mant.chop(1);
    if (mant == u"0")
        return QStringLiteral("0");

    QString out;
    if (exp >= 0) {
        const qsizetype whole = qsizetype(exp) + 1;
        if (mant.size() <= whole)
            out = mant + QString(whole - mant.size(), u'0');
        else
            out = mant.left(whole) + u'.' + mant.mid(whole);
    } else {
        out = QStringLiteral("0.") + QString(qsizetype(-exp - 1), u'0') + mant;
    }
    return negative ? u'-' + out : out;
}

} // namespace

double leadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    int digits = 0;
    while (i < n && isAsciiDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isAsciiDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype expStart = j;
        while (j < n && isAsciiDigit(text[j]))
            ++j;
        if (j > expStart)
            end = j;
    }
    bool ok = false;
    const double v = QStringView(text).mid(start, end - start).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return 0.0;
    return v;
}

double roundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    return std::nearbyint(value); // the default rounding mode rounds halves to even
}

qint64 toInteger(double value) {
    if (std::isnan(value))
        return 0;
    const double r = roundHalfEven(value);
    constexpr double kTwo63 = 9223372036854775808.0;
    if (r >= kTwo63)
        return std::numeric_limits<qint64>::max();
    if (r < -kTwo63)
        return std::numeric_limits<qint64>::min();
    return qint64(r);
}

QString format000(qint64 value) {
    // The magnitude as unsigned, so that the lowest value has one too.
    const quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    const QString digits = QString::number(magnitude).rightJustified(3, u'0');
    return value < 0 ? u'-' + digits : digits;
}

QString formatSingle(float value) {
    return plainDecimal(double(value), 7);
}

QString formatDouble(double value) {
    return plainDecimal(value, 15);
}

QString formatThousands(qint64 value) {
    const quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    const QString digits = QString::number(magnitude);
    QString out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += u',';
        out += digits[i];
    }
    return value < 0 ? u'-' + out : out;
}

} // namespace numrules
