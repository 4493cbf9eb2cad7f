#pragma once
// The popup menus of the main window. The menu holder is never shown; a chosen item
// reports its group and caption through sGrp and sCap, which ShowMenu reads after the
// popup closes. The items of operations take their captions, labels and enabling rules
// from the operation registry.
#include "commands/Operations.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

class QAction;
class QMenu;

class spPic : public QObject {
    Q_OBJECT
public:
    explicit spPic(QObject* parent = nullptr);
    ~spPic() override;

    QString sGrp;
    QString sCap;

    // The three popups "ﾌｧｲﾙ(&F)", "画像編集(&E)" and "設定".
    std::array<QMenu*, 3> mnJb{};
    std::array<QMenu*, 3> mnUsr{}; // submenus of the settings popup
    // Choices within a family: registered ranges, colour depths (from 1), zoom steps, and
    // the settings' colour reduction, pointer and copy options.
    std::vector<QAction*> mnUsHn, mnColr, mnZoom, mnCptC, mnMpnt, mnCpyE;

    // The menu item of an operation; none for an operation no menu shows.
    QAction* item(Operation op) const;
    QMenu* rangeMenu() const { return m_rangeMenu; }
    // The separator before "範囲の登録".
    QAction* rangeSeparator() const { return m_rangeSeparator; }

    // Caption of an item as designed (the action's text carries the shortcut label too).
    static QString caption(const QAction* item);

    // Shows one popup and blocks until the user picks or dismisses. Tests replace it.
    std::function<void(QMenu*)> popup;

    // Enables, on every view state change, the items and submenus that need a picture or
    // a text.
    void applyViewState(ViewState state);

    // Registered-range items: one per caption; the separator before "範囲の登録" shows
    // only while there is one.
    void setRangeItems(const QStringList& captions);

    // Checks the colour-depth item of this depth code, and no other (a 1-bit picture or no
    // picture leaves all unchecked).
    void showDepth(int depthCode);

    // Check marks of the settings popup.
    void SetCptC(QString& sCL);
    void showPointerOption(bool on);
    void showCopyOption(bool on);

    // Called by the settings items that act at once.
    std::function<void(bool)> onPointerOption;
    std::function<void(bool)> onCopyOption;
    // Tells whether the clipboard holds a picture, when menu 1 opens.
    std::function<bool()> canPasteImage;

private:
    // Items of operations; an empty entry is a separator.
    void addItems(QMenu* menu, std::initializer_list<std::optional<Operation>> ops);
    std::vector<QAction*> addChoices(QMenu* menu, const QString& group,
                                     const QStringList& captions);
    void record(const QString& group, const QString& caption);

    std::vector<QMenu*> m_owned;
    std::vector<QAction*> m_items;        // by operation
    std::vector<QAction*> m_pictureMenus; // the submenus of menu 1
    QMenu* m_rangeMenu = nullptr;
    QAction* m_rangeSeparator = nullptr;
};
