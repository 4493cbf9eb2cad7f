// Qt's own texts in Japanese.
#include "app/Translations.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
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

    void fileAndPrintDialogsSpeakJapanese() {
        if (!QFile::exists(translations::qtCatalogue()))
            QSKIP("Qt's Japanese catalogue is not installed (qt6-translations-l10n)");
        QVERIFY(translations::installQtJapanese(*qApp));
        // Month names in the file dialog's dates.
        QCOMPARE(QLocale().monthName(12, QLocale::ShortFormat), QStringLiteral("12月"));
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        QFileSystemModel model;
        const QModelIndex root = model.setRootPath(dir.path());
        QTRY_COMPARE(model.rowCount(root), 1);
        const QModelIndex folder = model.index(0, 2, root);
        QVERIFY2(model.data(folder).toString() != u"Folder",
                 qPrintable(model.data(folder).toString()));
        const QString date = model.data(model.index(0, 3, root)).toString();
        QVERIFY2(!date.contains(QRegularExpression(QStringLiteral("[A-Za-z]{3}"))),
                 qPrintable(date));
        QCOMPARE(QCoreApplication::translate("QPrintSettingsOutput", "Pages"),
                 QStringLiteral("ページ"));
    }
};

int main(int argc, char** argv) {
    translations::japaneseDatesFromStart(); // as the program does, before the application
    QApplication app(argc, argv);
    TestTranslations test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_translations.moc"
