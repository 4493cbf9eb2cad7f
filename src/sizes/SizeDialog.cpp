#include "sizes/SizeDialog.h"

#include "core/Messages.h"
#include "core/NumRules.h"
#include "core/Twips.h"
#include "sizes/PresetColumns.h"
#include "sizes/SizeList.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QToolButton>

namespace sizes {

namespace {

constexpr int kDialogWidth = 7935;
constexpr int kDialogHeight = 6840;
constexpr int kRight = 3300; // left edge of the right column
constexpr int kSideTop[2] = {900, 3750};

QString noSeparatorsNote() {
    return QStringLiteral("｢:｣と｢,｣は登録に使えません");
}

void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twips::toPx(left), twips::toPx(top), twips::toPx(width), twips::toPx(height));
}

QLabel* label(const QString& text, QWidget* parent, int left, int top, int width) {
    auto* l = new QLabel(text, parent);
    l->setAccessibleName(text.simplified());
    place(l, left, top, width, 255);
    return l;
}

QLabel* separatorMark(QWidget* parent, const QString& objectName, int left, int top) {
    auto* mark = new QLabel(QStringLiteral("×"), parent);
    mark->setObjectName(objectName);
    mark->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    mark->setToolTip(noSeparatorsNote());
    mark->setAccessibleName(noSeparatorsNote());
    mark->hide();
    place(mark, left, top, 195, 255);
    return mark;
}

bool holdsSeparator(const QString& text) {
    return text.contains(u':') || text.contains(u',');
}

} // namespace

SizeDialog::SizeDialog(const QString& list, int width, int height, MessageSink& messages,
                       QWidget* parent)
    : QDialog(parent), m_messages(messages) {
    QScopedValueRollback busy(m_busy, true);
    setObjectName(QStringLiteral("spSize"));
    setWindowTitle(QStringLiteral("選択･切取ｻｲｽﾞの登録"));
    setAccessibleName(windowTitle());
    setModal(true);
    setFixedSize(twips::toPx(kDialogWidth), twips::toPx(kDialogHeight));
    buildControls();
    connectControls();

    if (parent) {
        const QRect main = parent->window()->frameGeometry();
        move(main.left() + (main.width() - this->width()) / 2,
             main.top() + (main.height() - this->height()) / 2);
    }

    m_width[PixelSide]->setText(QString::number(width));
    m_height[PixelSide]->setText(QString::number(height));
    m_name->setText(QStringLiteral("Temporary"));
    m_list = withTemporary(list, width, height);
    // The fields hold the selection's size under the name Temporary, so the row offered for
    // overwriting is the Temporary entry, wherever it stands.
    const QStringList entries = listEntries(m_list);
    int temporaryRow = 0;
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i].startsWith(u"Temporary,")) {
            temporaryRow = i;
            break;
        }
    fillList(temporaryRow);
    fillPresets();
}

void SizeDialog::buildControls() {
    m_entries = new QListWidget(this);
    m_entries->setObjectName(QStringLiteral("lsHani"));
    m_entries->setAccessibleName(QStringLiteral("登録済みのｻｲｽﾞ"));
    place(m_entries, 120, 120, 3015, 5580);

    const QString listTexts[5] = {QStringLiteral("↑"), QStringLiteral("↓"), QStringLiteral("削除"),
                                  QStringLiteral("←修正"), QStringLiteral("←追加")};
    const QString listNames[5] = {QStringLiteral("上へ"), QStringLiteral("下へ"),
                                  QStringLiteral("削除"), QStringLiteral("修正"),
                                  QStringLiteral("追加")};
    const int lefts[5] = {120, 1155, 2190, kRight, kRight + 1125};
    for (int b = 0; b < 5; ++b) {
        auto* button = new QPushButton(listTexts[b], this);
        button->setObjectName(QStringLiteral("cmLst%1").arg(b));
        button->setAccessibleName(listNames[b]);
        button->setAutoDefault(false); // Enter in a box confirms the box, not a button
        if (b >= Replace) {
            button->setToolTip(QStringLiteral("既存の登録名が存在すれば､上書きとなります"));
            place(button, lefts[b], 6330, 1050, 375);
        } else {
            place(button, lefts[b], 5775, 945, 345);
        }
        m_listButtons[size_t(b)] = button;
    }

    QLabel* nameLabel = label(QStringLiteral("指定ｻｲｽﾞの登録名"), this, kRight, 150, 1695);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txCap"));
    m_name->setAccessibleName(nameLabel->text());
    nameLabel->setBuddy(m_name);
    place(m_name, kRight + 1710, 120, 2580, 300);
    m_nameMark = separatorMark(this, QStringLiteral("txCapMark"), kRight + 4305, 150);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lbCap"));
    m_summary->setAccessibleName(QStringLiteral("ｻｲｽﾞ"));
    m_summary->setAutoFillBackground(true);
    QPalette grey = m_summary->palette();
    grey.setColor(QPalette::Window, QColor(0xe0, 0xe0, 0xe0));
    m_summary->setPalette(grey);
    place(m_summary, kRight, 495, 4515, 285);

    auto* sides = new QButtonGroup(this);
    const QString optionTexts[2] = {QStringLiteral("画像ｻｲｽﾞをﾋﾟｸｾﾙで指定する"),
                                    QStringLiteral("印刷ｻｲｽﾞをｾﾝﾁで指定する")};
    const QString middleTexts[2] = {QStringLiteral("px      縦"), QStringLiteral("cm    縦")};
    const QString units[2] = {QStringLiteral("px"), QStringLiteral("cm")};
    for (int k = 0; k < 2; ++k) {
        const int top = kSideTop[k];
        const size_t s = size_t(k);
        m_sideOption[s] = new QRadioButton(optionTexts[k], this);
        m_sideOption[s]->setObjectName(QStringLiteral("opSize%1").arg(k));
        m_sideOption[s]->setAccessibleName(optionTexts[k]);
        sides->addButton(m_sideOption[s], k);
        place(m_sideOption[s], kRight, top, 4515, 270);

        label(QStringLiteral("横"), this, kRight + 120, top + 360, 240);
        m_width[s] = new QLineEdit(QStringLiteral("0"), this);
        m_width[s]->setObjectName(QStringLiteral("txSizeX%1").arg(k));
        m_width[s]->setAccessibleName(QStringLiteral("横 ") + units[k]);
        place(m_width[s], kRight + 375, top + 330, 855, 300);
        m_widthMark[s] =
            separatorMark(this, QStringLiteral("txSizeX%1Mark").arg(k), kRight + 1245, top + 360);
        label(middleTexts[k], this, kRight + 1440, top + 360, 900);
        m_height[s] = new QLineEdit(QStringLiteral("0"), this);
        m_height[s]->setObjectName(QStringLiteral("txSizeY%1").arg(k));
        m_height[s]->setAccessibleName(QStringLiteral("縦 ") + units[k]);
        place(m_height[s], kRight + 2355, top + 330, 855, 300);
        m_heightMark[s] =
            separatorMark(this, QStringLiteral("txSizeY%1Mark").arg(k), kRight + 3225, top + 360);
        label(units[k], this, kRight + 3420, top + 360, 300);

        label(QStringLiteral("参照"), this, kRight + 120, top + 750, 480);
        m_presets[s] = new QListWidget(this);
        m_presets[s]->setObjectName(QStringLiteral("lsSize%1").arg(k));
        m_presets[s]->setAccessibleName(QStringLiteral("参照 ") + units[k]);
        m_presets[s]->setItemDelegate(new PresetColumns(m_presets[s]));
        place(m_presets[s], kRight + 615, top + 720, 2400, 1710);

        m_swap[s] = new QCheckBox(QStringLiteral("縦横入替"), this);
        m_swap[s]->setObjectName(QStringLiteral("chXY%1").arg(k));
        m_swap[s]->setAccessibleName(QStringLiteral("縦横入替 ") + units[k]);
        place(m_swap[s], kRight + 3135, top + 720, 1380, 270);
        label(QStringLiteral("*"), this, kRight + 3135, top + 1080, 150);
        m_percent[s] = new QLineEdit(QStringLiteral("100"), this);
        m_percent[s]->setObjectName(QStringLiteral("txPsnt%1").arg(k));
        m_percent[s]->setAccessibleName(QStringLiteral("% ") + units[k]);
        place(m_percent[s], kRight + 3300, top + 1050, 645, 300);
        label(QStringLiteral("%"), this, kRight + 3990, top + 1080, 240);
    }
    m_sideOption[PixelSide]->setChecked(true);
    label(QStringLiteral("ｽｸﾘｰﾝｻｲｽﾞは現在のﾀｽｸﾊﾞｰを除く表示域"), this, kRight + 120,
          kSideTop[PixelSide] + 2490, 4395);

    m_calculator = new QToolButton(this);
    m_calculator->setObjectName(QStringLiteral("ssCom"));
    m_calculator->setToolTip(QStringLiteral("電卓を起動します"));
    m_calculator->setAccessibleName(m_calculator->toolTip());
    m_calculator->setIcon(QIcon::fromTheme(QStringLiteral("accessories-calculator")));
    if (m_calculator->icon().isNull())
        m_calculator->setText(QStringLiteral("電卓"));
    place(m_calculator, kRight + 2415, 6330, 600, 375);

    m_close = new QPushButton(QStringLiteral("閉じる"), this);
    m_close->setObjectName(QStringLiteral("cmClose"));
    m_close->setAccessibleName(m_close->text());
    m_close->setAutoDefault(false);
    place(m_close, kRight + 3300, 6330, 1215, 375);
}

void SizeDialog::connectControls() {
    // A click on the selected row loads it again, so clicks count as well as row changes.
    connect(m_entries, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_busy)
            selectEntry(row, false);
    });
    connect(m_entries, &QListWidget::itemClicked, this, [this] {
        if (!m_busy)
            selectEntry(m_entries->currentRow(), false);
    });
    for (int b = 0; b < 5; ++b)
        connect(m_listButtons[size_t(b)], &QPushButton::clicked, this,
                [this, b] { runListButton(ListButton(b)); });

    connect(m_name, &QLineEdit::textChanged, this, [this] {
        if (m_busy)
            refuseSeparators();
        else
            updateButtons();
    });
    for (int k = 0; k < 2; ++k) {
        const size_t s = size_t(k);
        connect(m_sideOption[s], &QRadioButton::clicked, this, [this] { refuseSeparators(); });
        for (QLineEdit* box : {m_width[s], m_height[s]}) {
            box->installEventFilter(this);
            connect(box, &QLineEdit::textChanged, this, [this] { refuseSeparators(); });
            connect(box, &QLineEdit::returnPressed, this, [this, k] {
                if (!m_busy)
                    showSize(k);
            });
        }
        m_percent[s]->installEventFilter(this);
        connect(m_percent[s], &QLineEdit::textChanged, this, [this, k] {
            if (!m_busy)
                percentChanged(k);
        });
        connect(m_percent[s], &QLineEdit::returnPressed, this, [this, k] {
            if (!m_busy)
                applyPreset(k);
        });
        auto presetPicked = [this, k] {
            if (m_busy)
                return;
            m_sideOption[size_t(k)]->setChecked(true);
            applyPreset(k);
        };
        // By selection: tabbing into the list makes a row current without picking it.
        connect(m_presets[s], &QListWidget::itemSelectionChanged, this, presetPicked);
        connect(m_presets[s], &QListWidget::itemClicked, this, presetPicked);
        connect(m_swap[s], &QCheckBox::clicked, this, [this, k] { applyPreset(k); });
    }
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_calculator, &QToolButton::clicked, this, &SizeDialog::startCalculator);
}

bool SizeDialog::eventFilter(QObject* watched, QEvent* event) {
    const bool focusIn = event->type() == QEvent::FocusIn;
    if (!focusIn && event->type() != QEvent::FocusOut)
        return QDialog::eventFilter(watched, event);
    // Switching to another window, the calculator say, leaves the box as it was.
    if (static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason)
        return QDialog::eventFilter(watched, event);
    for (int k = 0; k < 2; ++k) {
        const size_t s = size_t(k);
        if (watched == m_width[s] || watched == m_height[s]) {
            auto* box = static_cast<QLineEdit*>(watched);
            // Queued, or the click that brought the focus would place the cursor instead.
            if (focusIn)
                QMetaObject::invokeMethod(box, &QLineEdit::selectAll, Qt::QueuedConnection);
            else if (!m_busy)
                showSize(k);
        } else if (watched == m_percent[s] && !focusIn && !m_busy) {
            applyPreset(k);
        }
    }
    return QDialog::eventFilter(watched, event);
}

int SizeDialog::side() const {
    return m_sideOption[PixelSide]->isChecked() ? PixelSide : CmSide;
}

void SizeDialog::fillList(int selectRow) {
    {
        QScopedValueRollback busy(m_busy, true);
        m_entries->clear();
        for (const QString& entry : listEntries(m_list))
            m_entries->addItem(listCaption(ParseEntry(entry)));
        if (selectRow >= 0)
            m_entries->setCurrentRow(selectRow);
    }
    if (selectRow >= 0)
        selectEntry(selectRow, true);
    else
        selectEntry(-1, false);
}

void SizeDialog::selectEntry(int i, bool keepFields) {
    QScopedValueRollback busy(m_busy, true);
    m_listButtons[MoveUp]->setEnabled(i > 0);
    m_listButtons[MoveDown]->setEnabled(i >= 0 && i < m_entries->count() - 1);
    m_listButtons[Delete]->setEnabled(i >= 0);
    m_listButtons[Replace]->setEnabled(keepFields);
    m_listButtons[Add]->setEnabled(false);
    if (i < 0)
        return;
    if (keepFields) {
        m_sideOption[PixelSide]->setChecked(true);
        m_summary->setText(m_width[PixelSide]->text() + QStringLiteral(" x ") +
                           m_height[PixelSide]->text() + QStringLiteral("px"));
    } else {
        const SizeEntry e = ParseEntry(listEntries(m_list).value(i));
        const size_t k = e.unit == u"px" ? PixelSide : CmSide;
        m_name->setText(e.name);
        m_sideOption[k]->setChecked(true);
        m_width[k]->setText(numrules::formatSingle(e.width));
        m_height[k]->setText(numrules::formatSingle(e.height));
        m_summary->setText(numrules::formatSingle(e.width) + QStringLiteral(" x ") +
                           numrules::formatSingle(e.height) + e.unit);
    }
    for (QListWidget* presets : m_presets) {
        presets->clearSelection();
        presets->setCurrentRow(-1);
    }
    refuseSeparators();
}

QString SizeDialog::buildEntry() const {
    const size_t k = size_t(side());
    return BuildEntry(m_name->text(), m_width[k]->text(), m_height[k]->text(), k == CmSide);
}

void SizeDialog::updateButtons() {
    // An entry without a name is not valid and would be dropped by the main window, so
    // neither button offers to store one.
    const QString name = m_name->text();
    m_listButtons[Replace]->setEnabled(m_entries->currentRow() >= 0 && !name.isEmpty());
    m_listButtons[Add]->setEnabled(!name.isEmpty() && !nameTaken(m_list, name));
    refuseSeparators();
}

bool SizeDialog::refuseSeparators() {
    const size_t k = size_t(side());
    bool refused = false;
    auto mark = [&](QLabel* markLabel, const QLineEdit* box, bool counts) {
        const bool held = holdsSeparator(box->text());
        markLabel->setVisible(held);
        refused = refused || (held && counts);
    };
    mark(m_nameMark, m_name, true);
    for (size_t s = 0; s < 2; ++s) {
        mark(m_widthMark[s], m_width[s], s == k);
        mark(m_heightMark[s], m_height[s], s == k);
    }
    if (refused) {
        m_listButtons[Replace]->setEnabled(false);
        m_listButtons[Add]->setEnabled(false);
    }
    return refused;
}

void SizeDialog::showSize(int k) {
    const size_t s = size_t(k);
    m_sideOption[s]->setChecked(true);
    m_summary->setText(m_width[s]->text() + QStringLiteral(" x ") + m_height[s]->text() +
                       (k == PixelSide ? QStringLiteral(" px") : QStringLiteral(" cm")));
    updateButtons();
}

void SizeDialog::percentChanged(int k) {
    const double p = numrules::leadingNumber(m_percent[size_t(k)]->text());
    QPalette palette = m_percent[size_t(k)]->palette();
    palette.setColor(QPalette::Text, p > 0.0 && p <= 100.0 ? Qt::black : Qt::red);
    m_percent[size_t(k)]->setPalette(palette);
}

void SizeDialog::applyPreset(int k) {
    const size_t s = size_t(k);
    const QList<QListWidgetItem*> picked = m_presets[s]->selectedItems();
    if (picked.isEmpty())
        return;
    const std::optional<Preset> preset = ParsePreset(picked.first()->text());
    if (!preset)
        return;
    const std::optional<ScaledSize> scaled =
        scalePreset(*preset, numrules::leadingNumber(m_percent[s]->text()), m_swap[s]->isChecked());
    if (!scaled)
        return;
    m_name->setText(scaled->name);
    m_width[s]->setText(numrules::formatSingle(scaled->width));
    m_height[s]->setText(numrules::formatSingle(scaled->height));
    showSize(k);
}

void SizeDialog::fillPresets() {
    QScopedValueRollback busy(m_busy, true);
    int width = 0;
    int height = 0;
    ScrnSz(width, height);
    m_presets[PixelSide]->clear();
    m_presets[PixelSide]->addItems(pixelPresets());
    m_presets[PixelSide]->addItem(screenPreset(width, height));
    m_presets[CmSide]->clear();
    m_presets[CmSide]->addItems(cmPresets());
}

void SizeDialog::runListButton(ListButton button) {
    if ((button == Replace || button == Add) && refuseSeparators())
        return;
    const int i = m_entries->currentRow();
    ListEdit result;
    switch (button) {
    case MoveUp:
        result = moveUp(m_list, i);
        break;
    case MoveDown:
        result = moveDown(m_list, i);
        break;
    case Delete:
        result = deleteEntry(m_list, i);
        break;
    case Replace:
        result = replaceEntry(m_list, i, buildEntry());
        break;
    case Add:
        result = insertEntry(m_list, i, buildEntry());
        break;
    }
    m_list = result.list;
    fillList(-1);
    QScopedValueRollback busy(m_busy, true);
    if (result.selected >= 0)
        m_entries->setCurrentRow(result.selected);
}

QString SizeDialog::calculatorProgram() {
    for (const char* name :
         {"gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk", "xcalc"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

void SizeDialog::startCalculator() {
    const QString program = calculatorProgram();
    if (program.isEmpty())
        m_messages.notice(QStringLiteral("電卓が見つかりません"));
    else if (!QProcess::startDetached(program, QStringList()))
        m_messages.notice(QStringLiteral("電卓を起動できません"));
}

std::optional<QString> SizeDialog::edit(QWidget* parent, const QString& list, int width, int height,
                                        MessageSink& messages) {
    SizeDialog dialog(list, width, height, messages, parent);
    dialog.exec();
    if (dialog.list() == list)
        return std::nullopt;
    return dialog.list();
}

} // namespace sizes
