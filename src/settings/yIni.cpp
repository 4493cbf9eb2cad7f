#include "settings/yIni.h"

#include "core/Messages.h"
#include "core/NumRules.h"
#include "platform/FileSystem.h"
#include "settings/yIniCodec.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTime>

#include <cmath>
#include <memory>
#include <optional>

namespace {

// elementText looks in the document (groups) or in the current group text (keys).
constexpr int kInDocument = 0;
constexpr int kInGroup = 1;
// makeElement builds the whole document, a group or a key line.
constexpr int kDocumentElm = 0;
constexpr int kGroupElm = 1;
constexpr int kKeyElm = 2;

const QString kCrLf = QStringLiteral("\r\n");
const QString kRoot = QStringLiteral("運用");
const QString kRootClose = QStringLiteral("</") + kRoot + u'>';
const QString kDeclaration = QStringLiteral("<?xml version='1.0' encoding='Shift-JIS' ?>");
const QString kGroupIndent = QStringLiteral("   ");
const QString kKeyIndent = QStringLiteral("      ");

QString openTag(const QString& name) {
    return u'<' + name + u'>';
}
QString closeTag(const QString& name) {
    return QStringLiteral("</") + name + u'>';
}

std::unique_ptr<yIni>& processInstance() {
    static std::unique_ptr<yIni> instance;
    return instance;
}

bool isDateKind(int type) {
    return type == QMetaType::QDate || type == QMetaType::QDateTime || type == QMetaType::QTime;
}

// Booleans are written "True"/"False"; numbers also convert (non-zero is true).
std::optional<bool> toBoolean(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (ok && !std::isnan(v))
        return v != 0.0;
    return std::nullopt;
}

// A date typed like the default; an invalid variant when the text is no ISO 8601 date.
QVariant toDate(const QString& text, int type) {
    const QString t = text.trimmed();
    if (type == QMetaType::QTime) {
        const QTime time = QTime::fromString(t, Qt::ISODate);
        return time.isValid() ? QVariant(time) : QVariant();
    }
    QDateTime dt = QDateTime::fromString(t, Qt::ISODate);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(t, Qt::ISODate);
        if (d.isValid())
            dt = d.startOfDay();
    }
    if (!dt.isValid())
        return {};
    return type == QMetaType::QDate ? QVariant(dt.date()) : QVariant(dt);
}

} // namespace

yIni::yIni(MessageSink* messages) : m_messages(messages) {}

yIni& yIni::instance() {
    auto& p = processInstance();
    if (!p)
        p = std::make_unique<yIni>();
    return *p;
}

void yIni::releaseInstance() {
    processInstance().reset();
}

bool yIni::loadDocument(const QString& path) {
    m_doc.clear();
    m_reported.clear();
    m_filePath = path;
    const qsizetype dv = m_filePath.indexOf(u"_DV.xml", 0, Qt::CaseInsensitive);
    if (dv >= 0)
        m_filePath.replace(dv, 7, QStringLiteral(".xml"));

    QFile file(m_filePath);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return false;
        // An empty file or an empty first line counts as no document at all.
        const QString text = yinicodec::decodeDocument(bytes);
        if (!text.isEmpty() && text[0] != u'\r' && text[0] != u'\n')
            m_doc = text;
    } else if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return false;
    }
    if (m_doc.isEmpty())
        m_doc = makeElement(kDocumentElm, kRoot, kCrLf);
    return true;
}

void yIni::loadGroup(const QString& sGp) {
    m_groupName = sGp;
    m_groupText = elementText(kInDocument, sGp);
}

QVariant yIni::readValue(const QString& key, const QVariant& fallback) {
    const QString t = yinicodec::unescapeValue(elementText(kInGroup, key));
    const int type = fallback.metaType().id();
    if (type == QMetaType::QString)
        return t.isEmpty() ? fallback : QVariant(t);
    if (type == QMetaType::Bool) {
        if (t.isEmpty())
            return fallback;
        const std::optional<bool> b = toBoolean(t);
        return b ? QVariant(*b) : fallback;
    }
    if (isDateKind(type)) {
        const QVariant d = toDate(t, type);
        return d.isValid() ? d : fallback;
    }
    return t.isEmpty() ? fallback : QVariant(numrules::leadingNumber(t));
}

void yIni::writeValue(const QString& key, const QVariant& value) {
    const QString text = yinicodec::escapeValue(valueText(value));
    const QString open = openTag(key);
    const qsizetype s = m_groupText.indexOf(open);
    if (s >= 0) {
        const qsizetype c = s + open.size();
        const qsizetype e = m_groupText.indexOf(closeTag(key), c);
        if (e >= 0) {
            m_groupText.replace(c, e - c, text);
            return;
        }
    }
    m_groupText += makeElement(kKeyElm, key, text);
}

void yIni::storeGroup() {
    if (m_doc.isEmpty())
        m_doc = makeElement(kDocumentElm, kRoot, kCrLf);
    const QString open = openTag(m_groupName);
    const qsizetype s = m_doc.indexOf(open);
    if (s >= 0) {
        const qsizetype c = s + open.size();
        const qsizetype e = m_doc.indexOf(closeTag(m_groupName), c);
        if (e >= c + 2) {
            // Keep the line end after the opening tag; the body ends with the closing tag's indent.
            m_doc.replace(c + 2, e - c - 2, m_groupText + kGroupIndent);
            return;
        }
        if (e >= 0) {
            // A group squeezed onto its opening tag's line gets its framing back.
            m_doc.replace(c, e - c, kCrLf + m_groupText + kGroupIndent);
            return;
        }
    }
    qsizetype r = m_doc.indexOf(kRootClose);
    if (r < 0) {
        // A document cut short gets its root closed again rather than losing the group.
        if (!m_doc.endsWith(kCrLf))
            m_doc += kCrLf;
        r = m_doc.size();
        m_doc += kRootClose;
    }
    m_doc.insert(r, makeElement(kGroupElm, m_groupName, m_groupText));
}

bool yIni::saveDocument() {
    if (m_filePath.isEmpty())
        return false;
    QString written;
    const QByteArray bytes = yinicodec::encodeDocument(m_doc, &written);
    // Replaced whole or not at all: a full disk leaves the old file as it was.
    if (!platform::writeFileWhole(m_filePath, bytes, nullptr))
        return false;
    m_doc = written;
    return true;
}

QString yIni::valueText(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Float:
        return numrules::formatSingle(v.toFloat());
    case QMetaType::Double:
        return numrules::formatDouble(v.toDouble());
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QString::number(v.toLongLong());
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QString::number(v.toULongLong());
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(Qt::ISODate);
    case QMetaType::QTime:
        return v.toTime().toString(Qt::ISODate);
    default:
        return v.toString();
    }
}

QString yIni::elementText(int mode, const QString& name) {
    const QString& text = mode == kInDocument ? m_doc : m_groupText;
    if (text.isEmpty())
        return {};
    const QString open = openTag(name);
    const qsizetype s = text.indexOf(open);
    const qsizetype e = text.indexOf(closeTag(name));
    if (s < 0 && e < 0)
        return {};
    if (s >= 0 && e >= s) {
        const qsizetype c = s + open.size();
        if (mode != kInDocument)
            return e >= c ? text.mid(c, e - c) : QString();
        // The group body without the line end after its opening tag and the indent of its
        // closing tag; a group closed too near its opening tag has none.
        const qsizetype length = e - c - 5;
        return length > 0 ? text.mid(c + 2, length) : QString();
    }
    reportDamaged(mode, name);
    return {};
}

QString yIni::makeElement(int mode, const QString& name, const QString& value) {
    // Line ends are put in the template only; the value goes in as it is.
    switch (mode) {
    case kDocumentElm:
        return kDeclaration + kCrLf + openTag(name) + value + closeTag(name);
    case kGroupElm:
        return kGroupIndent + openTag(name) + kCrLf + value + kGroupIndent + closeTag(name) + kCrLf;
    case kKeyElm:
        return kKeyIndent + openTag(name) + value + closeTag(name) + kCrLf;
    default:
        return {};
    }
}

void yIni::reportDamaged(int mode, const QString& name) {
    const QString id = mode == kInDocument ? name : m_groupName + QChar(0x1F) + name;
    if (m_reported.contains(QString::number(mode) + id))
        return;
    m_reported.insert(QString::number(mode) + id);
    if (m_messages)
        m_messages->ask(u'<' + name + QStringLiteral("> の設定が読み込めません\rﾕｰｻﾞｰ環境ﾌｧｲﾙ(") +
                        m_filePath + QStringLiteral(") が破損しています"));
}
