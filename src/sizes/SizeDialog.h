#pragma once
// The dialog that edits the registered range list: names the current selection's size,
// takes sizes in pixels or centimetres, derives them from presets, and adds, overwrites,
// deletes and reorders entries. It works on a copy of the list and hands the copy back.
#include <QDialog>
#include <QString>

#include <array>
#include <optional>

class MessageSink;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace sizes {

class SizeDialog : public QDialog {
    Q_OBJECT
public:
    // Side 0 takes pixels, side 1 centimetres.
    enum Side { PixelSide = 0, CmSide = 1 };
    enum ListButton { MoveUp = 0, MoveDown, Delete, Replace, Add };

    // A dialog for the list and a selection of width x height pixels, centred over parent.
    SizeDialog(const QString& list, int width, int height, MessageSink& messages,
               QWidget* parent = nullptr);

    // Shows the dialog modally. The edited list when it differs from the one given, nothing
    // when it is the same; the dialog is gone when this returns.
    static std::optional<QString> edit(QWidget* parent, const QString& list, int width, int height,
                                       MessageSink& messages);

    // The working copy: changed only by the five list buttons.
    const QString& list() const { return m_list; }

    // The first desktop calculator found on PATH, empty when none is installed.
    static QString calculatorProgram();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void fillList(int selectRow);
    void selectEntry(int i, bool keepFields);
    QString buildEntry() const;
    void updateButtons();
    void showSize(int k);
    void applyPreset(int k);
    void fillPresets();
    void runListButton(ListButton button);
    void startCalculator();
    int side() const;
    // Marks every box holding a list separator; true when the entry to build holds one.
    bool refuseSeparators();
    void percentChanged(int k);

    MessageSink& m_messages;
    QString m_list;
    bool m_busy = false; // set while the dialog fills its own controls

    QListWidget* m_entries = nullptr;
    std::array<QPushButton*, 5> m_listButtons{};
    QLineEdit* m_name = nullptr;
    QLabel* m_nameMark = nullptr;
    QLabel* m_summary = nullptr;
    std::array<QRadioButton*, 2> m_sideOption{};
    std::array<QLineEdit*, 2> m_width{};
    std::array<QLineEdit*, 2> m_height{};
    std::array<QLabel*, 2> m_widthMark{};
    std::array<QLabel*, 2> m_heightMark{};
    std::array<QListWidget*, 2> m_presets{};
    std::array<QCheckBox*, 2> m_swap{};
    std::array<QLineEdit*, 2> m_percent{};
    QPushButton* m_close = nullptr;
    QToolButton* m_calculator = nullptr;
};

} // namespace sizes
