#pragma once
// The drawing toolbar: a tool window beside the main window with one checkable button per
// drawing tool ("選択" draws nothing: the view's range drag), the colour, the line width and
// the text size. It sets the drawing session's choices; closing it from its frame tells the
// main window through closed().
#include "imaging/Drawing.h"

#include <QWidget>

#include <map>

class QButtonGroup;
class QComboBox;
class QToolButton;
namespace imaging {
class DrawingSession;
}

class DrawingToolbar : public QWidget {
    Q_OBJECT
public:
    // stampPath names the stamp picture; without it the stamp tool is disabled. The colour of
    // the stamp's top-left pixel is see-through.
    DrawingToolbar(imaging::DrawingSession& session, const QString& stampPath,
                   QWidget* parent = nullptr);

    QToolButton* button(imaging::DrawTool tool) const { return m_buttons.at(tool); }
    QToolButton* colourButton() const { return m_colour; }
    QComboBox* widthChoice() const { return m_width; }
    QComboBox* textSizeChoice() const { return m_textSize; }
    // Checks the tool's button and gives the session that tool.
    void selectTool(imaging::DrawTool tool);
    void setColour(const QColor& colour);

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseColour();

    imaging::DrawingSession& m_session;
    QButtonGroup* m_group = nullptr;
    std::map<imaging::DrawTool, QToolButton*> m_buttons;
    QToolButton* m_colour = nullptr;
    QComboBox* m_width = nullptr;
    QComboBox* m_textSize = nullptr;
};
