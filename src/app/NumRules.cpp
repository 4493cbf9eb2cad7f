#include "app/NumRules.h"

#include <cmath>
#include <limits>

namespace numrules {

double leadingNumber(const QString& text) {
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const int start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    int digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    int end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        int j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        int expDigits = 0;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            end = j;
    }
    bool ok = false;
    const double v = text.mid(start, end - start).toDouble(&ok);
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
    if (r >= 9.2e18)
        return std::numeric_limits<qint64>::max();
    if (r <= -9.2e18)
        return std::numeric_limits<qint64>::min();
    return qint64(r);
}

QString format000(qint64 value) {
    if (value < 0)
        return u"-"_qs + QString::number(-value).rightJustified(3, u'0');
    return QString::number(value).rightJustified(3, u'0');
}

QString formatSingle(float value) {
    if (value == 0.0f)
        return QStringLiteral("0");
    QString s = QString::number(double(value), 'g', 7);
    // Plain decimal notation for the range that seven digits cover.
    if (s.contains(u'e') && std::fabs(value) < 1e7f && std::fabs(value) >= 1e-5f) {
        s = QString::number(double(value), 'f', 7);
    }
    if (s.contains(u'.') && !s.contains(u'e')) {
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u'.'))
            s.chop(1);
    }
    return s;
}

} // namespace numrules
