#include "mainwindow/TopBand.h"

#include "core/Twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

namespace {
void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twips::toPx(left), twips::toPx(top), twips::toPx(width), twips::toPx(height));
}
} // namespace

TopBand::TopBand(QWidget* parent) : QWidget(parent) {
    setFixedHeight(twips::toPx(kHeightTwips));
    const char16_t* captions[] = {u"ﾌｧｲﾙ(&F)", u"編集(&E)", u"設定(&U)", u"ﾍﾙﾌﾟ(&H)"};
    const int lefts[] = {75, 860, 1645, 2430};
    for (int i = 0; i < 4; ++i) {
        menuLabels[size_t(i)] = new QLabel(QString::fromUtf16(captions[i]), this);
        menuLabels[size_t(i)]->setObjectName(QStringLiteral("lbCom%1").arg(i));
        QString shown = QString::fromUtf16(captions[i]);
        shown.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("<u>\\1</u>"));
        menuLabels[size_t(i)]->setText(shown);
        menuLabels[size_t(i)]->setTextFormat(Qt::RichText);
        menuLabels[size_t(i)]->setCursor(Qt::PointingHandCursor);
        menuLabels[size_t(i)]->setAccessibleName(QString::fromUtf16(captions[i]).remove(u'&'));
        place(menuLabels[size_t(i)], lefts[i], 45, 750, 255);
    }
    buttonArea = new QWidget(this);
    buttonArea->setObjectName(QStringLiteral("imBtnArea"));
    // Wide enough for all eight buttons; a narrower area would clip the last ones away.
    place(buttonArea, kButtonAreaLeftTwips, 0, kButtonAreaWidthTwips, kHeightTwips);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setStyleSheet(QStringLiteral("color: grey"));
    place(line, 4605, 15, 15, 300);

    scaleDisplay = new QCheckBox(QStringLiteral("ｽｹｰﾙ表示"), this);
    scaleDisplay->setObjectName(QStringLiteral("chDsp0"));
    scaleDisplay->setAccessibleName(scaleDisplay->text());
    place(scaleDisplay, 6045, 15, 1200, 255);
    scaleDisplay->setChecked(true); // designed checked; the loaded settings decide
    captureWait = new QCheckBox(QStringLiteral("ｷｬﾌﾞﾁｬｰ待機"), this);
    captureWait->setObjectName(QStringLiteral("chDsp1"));
    captureWait->setAccessibleName(captureWait->text());
    place(captureWait, 7335, 15, 1395, 255);

    prefixLabel = new QLabel(QStringLiteral("ﾌﾟﾚﾌｨｯｸｽ"), this);
    prefixLabel->setAccessibleName(prefixLabel->text());
    place(prefixLabel, 8850, 45, 750, 195);
    prefixBox = new QLineEdit(this);
    prefixBox->setObjectName(QStringLiteral("Text1"));
    prefixBox->setAccessibleName(QStringLiteral("ﾌﾟﾚﾌｨｯｸｽ"));
    prefixLabel->setBuddy(prefixBox);
    prefixBox->setToolTip(QStringLiteral("画像を連番で保存時の連番の前部分"));
    place(prefixBox, 9645, 15, 585, 270);
}
