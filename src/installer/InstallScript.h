// An automated run of the installer, for checks without a person at the screen. When the
// environment variable JUKORA_INSTALL_SCRIPT is set, its lines drive the window in order:
//   path <text>      types the install folder
//   desktop 0|1      clears or ticks "Place shortcut on desktop"
//   answer Yes|No    the answer to the next Yes/No box (boxes with only OK are answered OK)
//   install          presses "Install"
// Every box, status text, folder made and player start is written to standard output, one line
// each, fields separated by tabs:
//   field <control> <text>; box <title> <icon> <buttons> <text>; status <width> <text>;
//   made <folder>; started <program> <1|0>; stopped
// A run that stops at a stage ends the program with exit code 3 ("stopped"); a run that
// finishes ends it as the window does, with 0.
#pragma once

#include "installer/InstallDialogs.h"

#include <QStringList>

#include <deque>

class frmInstall;

class ScriptedInstallDialogs final : public InstallDialogs {
public:
    explicit ScriptedInstallDialogs(const QString& script);
    BoxAnswer MsgBox(const QString& prompt, BoxButtons buttons, const QString& title,
                     BoxIcon icon) override;

    // Writes the window's events to standard output; call before Form_Load.
    void Attach(frmInstall& form);
    // Performs the script's actions on the loaded window.
    void Run(frmInstall& form);

private:
    QStringList lines;
    std::deque<BoxAnswer> answers;
};

// Writes one transcript line: the fields joined by tabs, line breaks shown as "\n".
void WriteTranscriptLine(const QStringList& fields);
