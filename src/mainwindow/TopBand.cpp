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
        lbCom[size_t(i)] = new QLabel(QString::fromUtf16(captions[i]), this);
        lbCom[size_t(i)]->setObjectName(QStringLiteral("lbCom%1").arg(i));
        QString shown = QString::fromUtf16(captions[i]);
        shown.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("<u>\\1</u>"));
        lbCom[size_t(i)]->setText(shown);
        lbCom[size_t(i)]->setTextFormat(Qt::RichText);
        lbCom[size_t(i)]->setCursor(Qt::PointingHandCursor);
        lbCom[size_t(i)]->setAccessibleName(QString::fromUtf16(captions[i]).remove(u'&'));
        place(lbCom[size_t(i)], lefts[i], 45, 750, 255);
    }
    imBtnArea = new QWidget(this);
    imBtnArea->setObjectName(QStringLiteral("imBtnArea"));
    // Wide enough for all eight buttons; a narrower area would clip the last ones away.
    place(imBtnArea, kButtonAreaLeftTwips, 0, kButtonAreaWidthTwips, kHeightTwips);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setStyleSheet(QStringLiteral("color: grey"));
    place(line, 4605, 15, 15, 300);

    checkButtons[0] = new QCheckBox(QStringLiteral("ｽｹｰﾙ表示"), this);
    checkButtons[0]->setObjectName(QStringLiteral("chDsp0"));
    checkButtons[0]->setAccessibleName(checkButtons[0]->text());
    place(checkButtons[0], 6045, 15, 1200, 255);
    checkButtons[0]->setChecked(true); // designed checked; the loaded settings decide
    checkButtons[1] = new QCheckBox(QStringLiteral("ｷｬﾌﾞﾁｬｰ待機"), this);
    checkButtons[1]->setObjectName(QStringLiteral("chDsp1"));
    checkButtons[1]->setAccessibleName(checkButtons[1]->text());
    place(checkButtons[1], 7335, 15, 1395, 255);

    Label1 = new QLabel(QStringLiteral("ﾌﾟﾚﾌｨｯｸｽ"), this);
    Label1->setAccessibleName(Label1->text());
    place(Label1, 8850, 45, 750, 195);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("ﾌﾟﾚﾌｨｯｸｽ"));
    Label1->setBuddy(Text1);
    Text1->setToolTip(QStringLiteral("画像を連番で保存時の連番の前部分"));
    place(Text1, 9645, 15, 585, 270);
}
