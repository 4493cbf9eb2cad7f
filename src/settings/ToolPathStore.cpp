#include "settings/ToolPathStore.h"

#include <QSettings>

#include <memory>

namespace {
std::unique_ptr<QSettings> open(const QString& file) {
    if (file.isEmpty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("QuellenTools"),
                                           QStringLiteral("QuellenTools"));
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}
const QString kGroup = QStringLiteral("Path");
} // namespace

ToolPathStore::ToolPathStore(QString file) : m_file(std::move(file)) {}

QString ToolPathStore::read(const QString& tool) const {
    auto s = open(m_file);
    s->beginGroup(kGroup);
    return s->value(tool).toString();
}

void ToolPathStore::write(const QString& tool, const QString& path) {
    auto s = open(m_file);
    s->beginGroup(kGroup);
    s->setValue(tool, path);
    s->endGroup();
    s->sync();
}
