#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

namespace translations {

QString qtCatalogue() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm");
}

namespace {
// Qt 6 asks for some texts under contexts the packaged catalogue does not have yet (the
// file dialog's item types moved to QAbstractFileIconProvider); the same text under the
// dialogs' older contexts has its Japanese there.
class CatalogueWithSiblings : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        QString t = QTranslator::translate(context, source, disambiguation, n);
        for (const char* sibling : {"QFileDialog", "QFileSystemModel", "QPrintDialog",
                                    "QPrintSettingsOutput", "QPageSetupWidget"}) {
            if (!t.isEmpty())
                return t;
            t = QTranslator::translate(sibling, source, disambiguation, n);
        }
        // The print dialog's page range, which no context of the catalogue has.
        if (t.isEmpty() && qstrcmp(source, "Pages") == 0)
            t = QStringLiteral("ページ");
        return t;
    }
};
} // namespace

void japaneseDatesFromStart() {
    // Qt's file dialog writes its dates in the system locale's form, which Qt reads from the
    // environment once; a session language set for everything (LC_ALL) is left alone.
    if (!qEnvironmentVariableIsSet("LC_ALL"))
        qputenv("LC_TIME", "ja_JP.UTF-8");
}

bool installQtJapanese(QCoreApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* qt = new CatalogueWithSiblings(&app);
    if (!qt->load(qtCatalogue())) {
        delete qt;
        return false;
    }
    return QCoreApplication::installTranslator(qt);
}

} // namespace translations
