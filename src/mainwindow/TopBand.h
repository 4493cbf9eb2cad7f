#pragma once
// The top band of the main window: the four menu labels, the place of the toolbar
// buttons, the two check buttons and the prefix box, at their designed positions.
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;

class TopBand : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeightTwips = 340;
    // The prefix box's right edge and the same margin as on the left.
    static constexpr int kWidthTwips = 10305;
    // From the first button's left edge to just before the first check button.
    static constexpr int kButtonAreaLeftTwips = 3240;
    static constexpr int kButtonAreaWidthTwips = 2760;

    explicit TopBand(QWidget* parent = nullptr);

    std::array<QLabel*, 4> lbCom{};
    QWidget* imBtnArea = nullptr; // the eight toolbar buttons go here, at their band positions
    std::array<QCheckBox*, 2> checkButtons{};
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
};
