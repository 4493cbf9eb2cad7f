#include "commands/spPic.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace {
const char* const kCaption = "tolvikCaption";
QStringList texts(std::initializer_list<const char16_t*> list) {
    QStringList out;
    for (const char16_t* s : list)
        out << QString::fromUtf16(s);
    return out;
}
} // namespace

spPic::spPic(QObject* parent) : QObject(parent) {
    popup = [](QMenu* m) { m->exec(QCursor::pos()); };
    for (int i = 0; i < 3; ++i) {
        mnJb[size_t(i)] = new QMenu;
        m_owned.push_back(mnJb[size_t(i)]);
    }
    mnJb[0]->setTitle(QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnJb[1]->setTitle(QStringLiteral("画像編集(&E)"));
    mnJb[2]->setTitle(QStringLiteral("設定"));

    mnFile = addItems(
        mnJb[0], QStringLiteral("File"),
        texts({u"開く(&O)", u"上書保存(&S)", u"名前を付けて保存", u"現在のﾌｧｲﾙをMarloで開く", u"-",
               u"印刷設定", u"印刷(&P)", u"-", u"作業ﾌｫﾙﾀﾞに保存", u"作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開く",
               u"作業ﾌｫﾙﾀﾞを Pirraで開く", u"-", u"作業ﾌｫﾙﾀﾞを空にする", u"-", u"終了(&X)"}),
        texts({u"Ctrl+O", u"F8", u"", u"", u"", u"", u"Ctrl+P", u"", u"Ctrl+W", u"Ctrl+E",
               u"Ctrl+A"}));

    QMenu* edit = mnJb[1];
    mnClp = addItems(edit, QStringLiteral("Clp"),
                     texts({u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ", u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ・最小化", u"-",
                            u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼付", u"-"}),
                     texts({u"Ctrl+C", u"", u"", u"Ctrl+V"}));
    // The edit items interleave with their submenus, so they are built one by one.
    auto sub = [&](const QString& title) {
        auto* m = new QMenu(title);
        m_owned.push_back(m);
        QAction* a = edit->addMenu(m);
        a->setProperty(kCaption, title);
        mnEdt.push_back(a);
        return m;
    };
    auto item = [&](const QString& text, const QString& shortcut = {}) {
        mnEdt.push_back(addItems(edit, QStringLiteral("Edt"), {text}, {shortcut}).front());
    };
    m_rangeMenu = sub(QStringLiteral("範囲"));
    setRangeItems({});
    mnRng =
        addItems(m_rangeMenu, QStringLiteral("Rng"),
                 texts({u"-", u"範囲の登録", u"範囲のｸﾘｱ", u"-", u"強調(相対)", u"強調(ﾏｰｶｰ)"}));
    mnRng[0]->setVisible(false);
    item(QStringLiteral("ﾄﾘﾐﾝｸﾞ"), QStringLiteral("Ctrl+T"));
    mnResize = addItems(
        sub(QStringLiteral("ﾘｻｲｽﾞ")), QStringLiteral("Resize"),
        texts({u"横方向を基準に縮小", u"縦方向を基準に縮小", u"-", u"縦横比率を変えて縮小"}));
    mnCut = addItems(sub(QStringLiteral("綴じ込み")), QStringLiteral("Cut"),
                     texts({u"縦方向", u"横方向"}));
    mnRotate = addItems(
        sub(QStringLiteral("回転")), QStringLiteral("Rotate"),
        texts({u"左右反転", u"上下反転", u"-", u"右90度", u"右180度", u"左90度", u"左180度"}),
        texts({u"", u"", u"", u"Ctrl+R", u"", u"Ctrl+L"}));
    item(QStringLiteral("-"));
    QMenu* colours = sub(QStringLiteral("色数"));
    mnColr.push_back(nullptr); // the colour items count from 1
    for (QAction* a : addItems(colours, QStringLiteral("Color"),
                               texts({u"16色(4bit)", u"ｸﾞﾚｰ(4bit)", u"256色(8bit)", u"ｸﾞﾚｰ(8bit)",
                                      u"16bit", u"24bit", u"32bit"}))) {
        a->setCheckable(true);
        mnColr.push_back(a);
    }
    item(QStringLiteral("ﾂｰﾙﾊﾞｰを表示"));
    mnEdt.back()->setCheckable(true);
    item(QStringLiteral("-"));
    mnZoom = addItems(sub(QStringLiteral("ｽﾞｰﾑ")), QStringLiteral("Zoom"),
                      texts({u" 50%", u" 60%", u" 70%", u" 80%", u" 90%", u"100%", u"150%", u"200%",
                             u"300%", u"500%", u"750%", u"1000%"}));
    item(QStringLiteral("-"));
    item(QStringLiteral("画像の消去"));

    const QStringList users = texts({u"ｷｬﾌﾟﾁｬ後の減色", u"ﾏｳｽﾎﾟｲﾝﾀ", u"ｺﾋﾟｰｲﾍﾞﾝﾄ"});
    for (int i = 0; i < 3; ++i) {
        mnUsr[size_t(i)] = new QMenu(users[i]);
        m_owned.push_back(mnUsr[size_t(i)]);
        mnJb[2]->addMenu(mnUsr[size_t(i)]);
    }
    mnCptC = addItems(mnUsr[0], QStringLiteral("CptC"),
                      texts({u"減色しない", u"16色(4bit)", u"ｸﾞﾚｰ(4bit)", u"256色(8bit)",
                             u"ｸﾞﾚｰ(8bit)", u"16bit"}));
    // The pointer and copy items act at once and leave sCap empty.
    const QStringList pointer = texts({u"ｷｬﾌﾟﾁｬ画面に取り込む", u"ｷｬﾌﾟﾁｬ画面に取り込まない"});
    const QStringList copy = texts({u"ﾃｷｽﾄ・画像のｺﾋﾟｰも取込む", u"ｷｬﾌﾟﾁｬ以外は取込まない"});
    for (int i = 0; i < 2; ++i) {
        QAction* p = mnUsr[1]->addAction(pointer[i]);
        p->setProperty(kCaption, pointer[i]);
        connect(p, &QAction::triggered, this, [this, i] {
            showPointerOption(i == 0);
            if (onPointerOption)
                onPointerOption(i == 0);
        });
        mnMpnt.push_back(p);
        QAction* c = mnUsr[2]->addAction(copy[i]);
        c->setProperty(kCaption, copy[i]);
        connect(c, &QAction::triggered, this, [this, i] {
            showCopyOption(i == 0);
            if (onCopyOption)
                onCopyOption(i == 0);
        });
        mnCpyE.push_back(c);
    }
    for (QAction* a : mnCptC)
        a->setCheckable(true);
    for (QAction* a : mnMpnt)
        a->setCheckable(true);
    for (QAction* a : mnCpyE)
        a->setCheckable(true);
    QString none = QStringLiteral("減色しない");
    SetCptC(none);
    showPointerOption(true);
    showCopyOption(true);

    // Menu 1 enables its paste item from the clipboard each time it opens.
    connect(mnJb[1], &QMenu::aboutToShow, this,
            [this] { mnClp[3]->setEnabled(canPasteImage ? canPasteImage() : false); });
}

spPic::~spPic() {
    for (auto it = m_owned.rbegin(); it != m_owned.rend(); ++it)
        delete *it;
}

void spPic::showDepth(int depthCode) {
    static constexpr int kCodes[] = {0, 4, 40, 8, 80, 16, 24, 32};
    for (size_t i = 1; i < mnColr.size() && i < std::size(kCodes); ++i)
        mnColr[i]->setChecked(kCodes[i] == depthCode);
}

QString spPic::caption(const QAction* item) {
    return item ? item->property(kCaption).toString() : QString();
}

std::vector<QAction*> spPic::addItems(QMenu* menu, const QString& group,
                                      const QStringList& captions, const QStringList& shortcuts) {
    std::vector<QAction*> out;
    for (int i = 0; i < captions.size(); ++i) {
        const QString& cap = captions[i];
        QAction* a = nullptr;
        if (cap == u"-") {
            a = menu->addSeparator();
        } else {
            // The shortcut is a label only: the keys are handled by the key table.
            const QString label = i < shortcuts.size() ? shortcuts[i] : QString();
            a = menu->addAction(label.isEmpty() ? cap : cap + u'\t' + label);
            connect(a, &QAction::triggered, this, [this, group, cap] { record(group, cap); });
        }
        a->setProperty(kCaption, cap);
        out.push_back(a);
    }
    return out;
}

void spPic::record(const QString& group, const QString& caption) {
    sGrp = group;
    sCap = caption;
}

void spPic::applyViewState(int state) {
    const bool picture = state > 0;
    mnFile[1]->setEnabled(state == 2);
    for (int i : {2, 3, 5, 6, 8})
        mnFile[size_t(i)]->setEnabled(picture);
    mnClp[0]->setEnabled(state != 0);
    mnClp[1]->setEnabled(state != 0);
    for (int i : {0, 1, 2, 3, 4, 6, 7, 9})
        mnEdt[size_t(i)]->setEnabled(picture);
}

void spPic::setRangeItems(const QStringList& captions) {
    // Item 0 exists from the start, captioned "?" and hidden.
    const size_t needed = std::max<size_t>(1, size_t(captions.size()));
    while (mnUsHn.size() < needed) {
        const int index = int(mnUsHn.size());
        auto* a = new QAction(QStringLiteral("?"), m_rangeMenu);
        m_rangeMenu->insertAction(mnRng.empty() ? nullptr : mnRng.front(), a);
        connect(a, &QAction::triggered, this, [this, index] {
            record(QStringLiteral("UsHn"), QStringLiteral("RG:%1").arg(index));
        });
        mnUsHn.push_back(a);
    }
    for (size_t i = 0; i < mnUsHn.size(); ++i) {
        const bool used = i < size_t(captions.size());
        mnUsHn[i]->setText(used ? captions[int(i)] : QStringLiteral("?"));
        mnUsHn[i]->setProperty(kCaption, mnUsHn[i]->text());
        mnUsHn[i]->setVisible(used);
    }
    if (!mnRng.empty())
        mnRng[0]->setVisible(!captions.isEmpty());
}

void spPic::SetCptC(QString& sCL) {
    if (sCL.isEmpty())
        sCL = QStringLiteral("減色しない");
    for (QAction* a : mnCptC)
        a->setChecked(caption(a) == sCL);
}

void spPic::showPointerOption(bool on) {
    mnMpnt[0]->setChecked(on);
    mnMpnt[1]->setChecked(!on);
}

void spPic::showCopyOption(bool on) {
    mnCpyE[0]->setChecked(on);
    mnCpyE[1]->setChecked(!on);
}
