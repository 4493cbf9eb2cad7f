#pragma once
// The settings module: one XML-shaped settings document in memory with typed access to
// its values. Elements are found by plain text search for their tags, so the layout that
// makeElement writes is what the readers rely on (every line ends with CR LF, the last not):
//
//   <?xml version='1.0' encoding='Shift-JIS' ?>
//   <運用>
//      <group>
//         <key>value</key>
//      </group>
//   </運用>
//
// Group tags are indented by three spaces, key lines by six. Values are stored with "&",
// "<" and ">" written as &amp; &lt; &gt;, so no value can hold a tag; files without those
// characters read and write exactly as before. A document that code page 932 cannot hold
// is written as UTF-8 and its declaration says so.
#include <QSet>
#include <QString>
#include <QVariant>

class MessageSink;

class yIni {
public:
    // Messages about damaged elements go to `messages`; none are shown without one.
    explicit yIni(MessageSink* messages = nullptr);

    // The process-wide instance, created on first use and kept until releaseInstance().
    static yIni& instance();
    static void releaseInstance();

    void setMessages(MessageSink* messages) { m_messages = messages; }

    // Loads the document of path ("_DV.xml" in any case becomes ".xml"); creates the file
    // empty when missing. False when the file cannot be read or created.
    bool loadDocument(const QString& path);
    // Selects a group: the current group text becomes that group's body.
    void loadGroup(const QString& sGp);
    // A value of the current group, typed by the default: a QString default gives text,
    // bool a boolean, QDate/QDateTime/QTime a date, anything else a double read from
    // the leading number (the default itself, unchanged, when the element is empty).
    QVariant readValue(const QString& key, const QVariant& fallback);
    // Replaces the value of a key in the current group text, or appends the key.
    void writeValue(const QString& key, const QVariant& value);
    // Puts the current group text back into the document (adding the group if needed).
    void storeGroup();
    // Writes the document to the path of the last loadDocument, replacing the file whole.
    bool saveDocument();

    const QString& filePath() const { return m_filePath; }
    const QString& documentText() const { return m_doc; }
    const QString& groupName() const { return m_groupName; }
    const QString& groupText() const { return m_groupText; }

    // The text writeValue stores for a value: numbers in plain decimal, booleans as "True" or
    // "False", dates in ISO 8601, before escaping.
    static QString valueText(const QVariant& v);

private:
    QString elementText(int mode, const QString& name);
    static QString makeElement(int mode, const QString& name, const QString& value);
    void reportDamaged(int mode, const QString& name);

    MessageSink* m_messages = nullptr;
    QString m_filePath;
    QString m_doc;
    QString m_groupName;
    QString m_groupText;
    QSet<QString> m_reported; // damaged elements already shown since the last loadDocument
};
