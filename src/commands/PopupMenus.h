#pragma once
// The three popup menus of the main window: "ﾌｧｲﾙ(&F)", "画像編集(&E)" and "設定". An item of
// an operation triggers that operation's action; the choices within a family (colour depth,
// zoom step, registered size, the capture options) report what was chosen, typed.
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

class PopupMenus : public QObject {
    Q_OBJECT
public:
    explicit PopupMenus(OperationRegistry& operations, QObject* parent = nullptr);
    ~PopupMenus() override;

    enum Popup { FileMenu = 0, EditMenu = 1, SettingsMenu = 2 };
    std::array<QMenu*, 3> popups{};
    // Submenus of the settings popup: colour reduction, pointer, copies.
    std::array<QMenu*, 3> settingsMenus{};
    // Choices within a family, in menu order.
    std::vector<QAction*> rangeItems, depthItems, zoomItems, reductionItems, pointerItems,
        copyItems;

    // The menu item of an operation; none for an operation no menu shows.
    QAction* item(Operation op) const;
    QMenu* rangeMenu() const { return m_rangeMenu; }
    // The separator before "範囲の登録".
    QAction* rangeSeparator() const { return m_rangeSeparator; }

    // Shows popup 0, 1 or 2 at the pointer; what the user picks runs.
    void showPopup(int index);
    // Shows one popup and blocks until the user picks or dismisses. Tests replace it.
    std::function<void(QMenu*)> popup;

    // Enables, on every view state change, the items and submenus that need a picture or
    // a text.
    void applyViewState(ViewState state);
    // Registered-size items: one per caption; the separator before "範囲の登録" shows only
    // while there is one.
    void setRangeItems(const QStringList& captions);
    // Checks the colour-depth item of this depth code, and no other.
    void showDepth(int depthCode);
    // Check marks of the settings popup.
    void showReduction(int depthCode);
    void showPointerOption(bool on);
    void showCopyOption(bool on);

    // Tells whether the clipboard holds a picture, when the edit popup opens.
    std::function<bool()> canPasteImage;

signals:
    void depthChosen(int depthCode);
    void zoomChosen(double factor);
    void rangeChosen(int index);
    void reductionChosen(int depthCode);
    void pointerOptionChosen(bool on);
    void copyOptionChosen(bool on);

private:
    // Items of operations; an empty entry is a separator.
    void addItems(QMenu* menu, std::initializer_list<std::optional<Operation>> ops);
    // An item that, when picked, logs its caption as a command and runs chosen.
    QAction* addChoice(QMenu* menu, const QString& caption, std::function<void()> chosen);

    OperationRegistry& m_operations;
    std::vector<QMenu*> m_owned;
    std::vector<QAction*> m_items;        // by operation
    std::vector<QAction*> m_pictureMenus; // the submenus of the edit popup
    QMenu* m_rangeMenu = nullptr;
    QAction* m_rangeSeparator = nullptr;
};

// Zoom factor of a zoom menu caption: its leading number / 100 (" 50%" is 0.5); 1 without one.
double zoomFactorOfCaption(const QString& caption);
