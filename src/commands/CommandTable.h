#pragma once
// Dispatch of commands by their caption: popup menus, toolbar buttons, labels and keys
// all end here.
#include <QHash>
#include <QLoggingCategory>
#include <QString>

#include <functional>

class QKeyEvent;
class spPic;

// Every dispatched command and whether an operation ran; off unless enabled, e.g. by
// QT_LOGGING_RULES="tolvik.commands.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcCommands)

// The operations the commands run, as the main window offers them.
class CommandHost {
public:
    virtual ~CommandHost() = default;
    virtual bool textShown() const = 0;
    virtual void SaveToWorkFolder() = 0;
    virtual void EmptyWorkFolder() = 0;
    virtual void ExploreWorkFolder() = 0;
    virtual void SaveWindowSettings() = 0;
    virtual void PasteText() = 0;
    virtual void CopyText(bool minimize) = 0;
    virtual void EraseImage() = 0;
    virtual void ClearRange() = 0;
    virtual void setColourReduction(const QString& caption) = 0;
};

class CommandTable {
public:
    CommandTable(spPic& menus, CommandHost& host);

    // Shows popup 0, 1 or 2 at the pointer and runs what the user picks.
    void ShowMenu(int menuIndex);
    // Runs the operation whose command text equals caption exactly; others do nothing.
    void RunCommand(const QString& caption);
    bool hasCommand(const QString& caption) const { return m_table.contains(caption); }

    // A picked item's caption as RunCommand takes it: cut before the first "(" except
    // for the groups "Edt" and "Rng".
    static QString commandText(const QString& group, const QString& caption);

    void lbCom_Click(int index);
    void imBtn_Click(int index);
    // Runs the operation of the key table for a key press; the key is not consumed.
    void Form_KeyDown(const QKeyEvent& event);

private:
    void add(const QString& caption, std::function<void()> run);

    spPic& m_menus;
    CommandHost& m_host;
    QHash<QString, std::function<void()>> m_table;
};
