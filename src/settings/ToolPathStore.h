#pragma once
// The tool-path store shared by the tools of the family: application "QuellenTools",
// group "Path", one key per tool holding the full path of its executable.
#include <QString>

class ToolPathStore {
public:
    // An empty file uses the per-user store of the platform; tests pass a file of their own.
    explicit ToolPathStore(QString file = {});

    QString read(const QString& tool) const;
    void write(const QString& tool, const QString& path);

private:
    QString m_file;
};
