#pragma once
// The popup menus of the main window. The menu holder is never shown; a chosen item
// reports its group and caption through sGrp and sCap, which ShowMenu reads after the
// popup closes.
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
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
    std::vector<QAction*> mnFile, mnClp, mnEdt, mnRng, mnUsHn, mnResize, mnCut, mnRotate, mnColr,
        mnZoom, mnCptC, mnMpnt, mnCpyE;

    // Caption of an item as designed (the action's text carries the shortcut label too).
    static QString caption(const QAction* item);

    // Shows one popup and blocks until the user picks or dismisses. Tests replace it.
    std::function<void(QMenu*)> popup;

    // Enables, on every view state change, the items that need a picture or a text.
    void applyViewState(int state);

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
    std::vector<QAction*> addItems(QMenu* menu, const QString& group, const QStringList& captions,
                                   const QStringList& shortcuts = {});
    void record(const QString& group, const QString& caption);

    std::vector<QMenu*> m_owned;
    QMenu* m_rangeMenu = nullptr;
};
