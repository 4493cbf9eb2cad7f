// Feeds arbitrary file bytes to the settings module. Input: three control bytes (group,
// key, kind of value), a value text ended by "\" and one more byte, then the file itself.
// Besides the sanitizers it checks that a written document reads back as it was, and that
// on a fresh document every value reads back as written.
#include "core/Messages.h"
#include "core/TextCodec.h"
#include "settings/yIni.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

class CountingMessages : public MessageSink {
public:
    int asked = 0;
    Answer ask(const QString&, Buttons) override {
        ++asked;
        return Answer::Ok;
    }
    void notice(const QString&) override {}
};

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "settings invariant broken: %s\n", what);
    std::abort();
}

// On tmpfs the flush of each replaced file costs nothing.
QString workFile() {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/tolvik-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/tolvik-fuzz-XXXXXX"));
    if (!dir.isValid())
        broken("no work folder");
    return dir.filePath(QStringLiteral("User.xml"));
}

// Group and key names apart: a key named like its group hides the group's closing tag.
const QStringList kGroups = {QStringLiteral("ﾌｫｰﾑ"), QStringLiteral("ﾕｰｻﾞｰ"), QStringLiteral("G")};
const QStringList kKeys = {QStringLiteral("Left"), QStringLiteral("QN_RNG"),
                           QStringLiteral("ｽｹｰﾙ表示"), QStringLiteral("K")};

QString pickName(const QStringList& names, uint8_t control, FuzzedDataProvider& fdp) {
    if (control & 0x80)
        return QString::fromUtf8(fdp.ConsumeRandomLengthString(12));
    return names[control % names.size()];
}

void writeFile(const QString& path, const std::string& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        broken("cannot write the input file");
    f.write(bytes.data(), qint64(bytes.size()));
}

QVariant valueOfKind(uint8_t kind, const QString& text) {
    switch (kind % 5) {
    case 0:
        return text;
    case 1:
        return float(text.size()) / 7.0f;
    case 2:
        return text.size() % 2 == 0;
    case 3:
        return QDate(2000, 1, 1).addDays(text.size());
    default:
        return qint32(text.size()) - 100;
    }
}

// Reads every kind of value, writes one, commits and saves; the file must read back.
void roundTripAnyFile(const QString& path, const QString& group, const QString& key,
                      const QVariant& value) {
    CountingMessages msgs;
    yIni ini(&msgs);
    if (!ini.loadDocument(path))
        broken("loadDocument failed on a readable file");
    ini.loadGroup(group);
    ini.readValue(key, QString());
    ini.readValue(key, 0);
    ini.readValue(key, 1.5f);
    ini.readValue(key, true);
    ini.readValue(key, QDate(2000, 1, 1));
    ini.readValue(key, QDateTime());
    ini.writeValue(key, value);
    ini.writeValue(key + u'2', value);
    ini.storeGroup();
    ini.loadGroup(key);
    ini.writeValue(group, value);
    ini.storeGroup();
    if (!ini.saveDocument())
        broken("saveDocument failed");

    yIni back;
    if (!back.loadDocument(path))
        broken("loadDocument failed on a written file");
    if (back.documentText() != ini.documentText())
        broken("the written document does not read back");
}

void roundTripValue(const QString& path, const QString& group, const QString& key,
                    const QString& value) {
    QFile::remove(path);
    yIni fresh;
    if (!fresh.loadDocument(path))
        broken("loadDocument failed on a missing file");
    fresh.loadGroup(group);
    fresh.writeValue(key, value);
    fresh.storeGroup();
    if (!fresh.saveDocument())
        broken("saveDocument failed");

    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        broken("written file missing");
    const bool utf8 = f.readAll().startsWith("<?xml version='1.0' encoding='UTF-8' ?>");
    yIni again;
    if (!again.loadDocument(path))
        broken("loadDocument failed on a written file");
    again.loadGroup(group);
    const QString got = again.readValue(key, QString()).toString();
    if (got != (utf8 ? value : textcodec::toCp932Forms(value)))
        broken("a value does not read back as written");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t control[3] = {0, 0, 0};
    const size_t head = std::min<size_t>(size, 3);
    std::copy(data, data + head, control);
    FuzzedDataProvider fdp(data + head, size - head);
    const QString valueText = QString::fromUtf8(fdp.ConsumeRandomLengthString(64));
    const QString group = pickName(kGroups, control[0], fdp);
    const QString key = pickName(kKeys, control[1], fdp);
    const std::string file = fdp.ConsumeRemainingBytesAsString();

    const QString path = workFile();
    writeFile(path, file);
    roundTripAnyFile(path, group, key, valueOfKind(control[2], valueText));
    roundTripValue(path, kGroups[control[0] % kGroups.size()], kKeys[control[1] % kKeys.size()],
                   valueText);
    return 0;
}
