// The common ground of the main window's tests: a program folder of their own, scripted dialogs,
// a sender in place of the media service, and the main window made on them.
#pragma once

#include "skin/frmPlayer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

template <typename Sender = RecordingSender> class PlayerTest : public testing::Test {
protected:
    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    Sender sender;
    std::unique_ptr<frmPlayer> player;

    // A new main window on the folder, with `commandLine` (and its arguments) handed in; not
    // loaded yet.
    frmPlayer& MakePlayer(const QString& commandLine = {}, const QStringList& arguments = {}) {
        player = std::make_unique<frmPlayer>(
            PlayerServices{dialogs, sender, folder.Path(), commandLine, arguments});
        return *player;
    }
    // A new main window, loaded, with its lists filled.
    void StartPlayer() { LoadAndReload(MakePlayer()); }
};
