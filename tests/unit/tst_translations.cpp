// Qt's own texts in Japanese.
#include "app/Translations.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void qtSpeaksJapanese() {
        if (!QFile::exists(translations::qtCatalogue()))
            QSKIP("Qt's Japanese catalogue is not installed (qt6-translations-l10n)");
        QVERIFY(translations::installQtJapanese(*qApp));
        QCOMPARE(QLocale().name(), QStringLiteral("ja_JP"));
        // The context Qt 6 gives the standard buttons of QMessageBox and QDialogButtonBox.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("キャンセル"));
        QMessageBox box(QMessageBox::NoIcon, QString(), QString(),
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (const QAction* a : menu->actions())
            texts << a->text();
        QVERIFY2(texts.filter(QStringLiteral("Paste")).isEmpty(), qPrintable(texts.join(u'|')));
        QVERIFY2(!texts.filter(QStringLiteral("貼り付け")).isEmpty(), qPrintable(texts.join(u'|')));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
