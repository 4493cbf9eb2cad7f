#pragma once
// The top band of the main window: the four menu labels, the place of the toolbar
// buttons, the two check buttons and the prefix box, at their designed positions.
#include <QList>
#include <QPoint>
#include <QWidget>

#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;

class TopBand : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeightTwips = 340;
    // The prefix box's right edge and the same margin as on the left, at the designed font.
    static constexpr int kWidthTwips = 10305;
    // From the first button's left edge to just before the first check button.
    static constexpr int kButtonAreaLeftTwips = 3240;
    static constexpr int kButtonAreaWidthTwips = 2760;

    explicit TopBand(QWidget* parent = nullptr);

    // The width the band needs to show every control whole in one row, as laid out with the
    // fonts of this screen; the window asks never to be narrower.
    int neededWidth() const;

    // Lays the band out for the window's width and takes the height that needs. A window
    // manager may still make the window narrower than it asks (a tiling one, or a floating
    // one that places windows at a fixed share of the screen): then the check buttons and the
    // prefix box go to a second row, so that no control is cut off.
    void fitTo(int width);

    // "ﾌｧｲﾙ", "編集" and "設定" open their popups; "ﾍﾙﾌﾟ" the help page.
    std::array<QLabel*, 4> menuLabels{};
    QWidget* buttonArea = nullptr;     // the eight toolbar buttons go here, at their band positions
    QCheckBox* scaleDisplay = nullptr; // "ｽｹｰﾙ表示": fit the picture to the view
    QCheckBox* captureWait = nullptr;  // "ｷｬﾌﾞﾁｬｰ待機"
    QLabel* prefixLabel = nullptr;
    QLineEdit* prefixBox = nullptr;

signals:
    // A menu label clicked, or its underlined letter pressed with Alt (0..3, left to right).
    void menuRequested(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    static constexpr int kLineLeftTwips = 4605;
    static constexpr int kGapPx = 2;
    void layOut();
    QList<QWidget*> secondRow() const;

    QFrame* m_line = nullptr;
    int m_oneRowWidth = 0;
    int m_fitWidth = 0;
    bool m_twoRows = false;
    QPoint m_wrapShift;
};
