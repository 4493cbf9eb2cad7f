#pragma once
// File1: the files of the work folder that match the list pattern.
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>

class FileList : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kDesignedWidthTwips = 1260;

    explicit FileList(QWidget* parent = nullptr);

    void setPath(const QString& folder);
    const QString& path() const { return m_path; }
    // "*.BMP;*.JPG" style; matched without regard to case.
    void setPattern(const QString& pattern);

    // Reads the folder again, keeping the selected name when it is still there. Only what
    // changed is added or taken away, so a large folder stays cheap to follow.
    void reread();
    QString selectedName() const;
    // Selects the item equal to name, ignoring case; false when there is none.
    bool selectName(const QString& name);

signals:
    void rightReleased();
    // A left click on the item that was already selected: no selection change reports it.
    void selectedItemClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QStringList namesOnDisk() const;
    bool matchesPattern(const QString& name) const;
    void rebuild();

    bool m_pressOnSelected = false;
    QStringList m_names; // the items' names, in list order
    QSet<QString> m_shown;
    QString m_path;
    QStringList m_suffixes;
    QList<QRegularExpression> m_wildcards;
};
