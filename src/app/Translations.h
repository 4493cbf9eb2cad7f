#pragma once
// Qt's own texts (standard buttons, edit menus, file and print dialogs) in Japanese, like
// the rest of the program.
class QCoreApplication;
class QString;

namespace translations {

// Qt's Japanese catalogue in Qt's translations folder.
QString qtCatalogue();

// Before the application object exists: the system locale's dates in Japanese.
void japaneseDatesFromStart();

// Makes ja_JP the default locale and installs Qt's Japanese catalogue; false when the
// catalogue is missing or cannot be read (Qt then speaks English).
bool installQtJapanese(QCoreApplication& app);

} // namespace translations
